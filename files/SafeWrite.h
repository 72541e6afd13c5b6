// SPDX-License-Identifier: GPL-3.0-or-later
// The one way files are written: a regular file is replaced whole or not at
// all, and whatever else stands at the name (a link, a FIFO, a device,
// standard output) is written as what it is, never replaced.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "model/Failure.h"

namespace tangrel {

// A writer's failures are CannotCreate (the file could not be opened or made:
// a folder, a missing folder, read-only) or CannotWrite (writing, flushing or
// putting the file in place failed; nothing was replaced), with the path and
// the errno that said why, when one did.

// One file being written: Open, Write as often as needed, then Commit. A
// writer that is destroyed or abandoned before Commit leaves no trace in the
// file system.
//
// A regular file (new, or existing and writable) is written to a temporary
// file in its folder: one without a name where the file system allows, else a
// short hidden name that is removed should SIGINT, SIGTERM or SIGHUP end the
// process. Commit flushes it to disk, gives it the replaced file's permission
// bits (and owner, where allowed) and puts it in place in one step. A symbolic
// link is followed to the file it names, which is written so, even when it
// does not exist yet; the link stays a link. A FIFO or character device is
// written in place as the bytes come; a FIFO waits for its reader.
//
// A hidden temporary name can outlive a process killed with SIGKILL (or one
// that loses its power) while it writes; the next writer into the same folder
// removes such names once they are an hour old, and only names the writer
// made: each carries a check that a user's file name does not pass.
class FileWriter {
 public:
  FileWriter() = default;
  ~FileWriter() { Abandon(); }
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  Failure Open(const std::string& path);
  // Standard output as it stands, written in place (the tool's "-").
  Failure OpenStandardOutput();
  // False once any write has failed; Commit then fails too, with its cause.
  bool Write(const void* data, size_t size);
  Failure Commit();
  void Abandon();

 private:
  enum class Kind { kClosed, kUnnamed, kNamed, kInPlace };

  Failure OpenInPlace(const std::string& path, mode_t type);
  Failure OpenReplacing(const std::string& path);
  Failure CannotCreate(int error);
  bool OpenTemporary(mode_t mode);
  bool PutInPlace();
  bool LinkUnder(const std::string& name);
  void Reset();

  Kind kind_ = Kind::kClosed;
  int fd_ = -1;
  bool ownsFd_ = false;
  bool failed_ = false;
  int error_ = 0;             // the errno of the first failed step
  std::string path_;          // the name given to Open, for the failure
  int folder_ = -1;           // the folder of a replaced file
  std::string name_;          // its name there
  std::string temporary_;     // the named temporary file, when there is one
  int pendingSlot_ = -1;      // where that name waits for a signal's cleanup
  bool replacing_ = false;    // a file stood at the name when it was opened
  uid_t owner_ = 0;           // and these were its owner, group and mode
  gid_t group_ = 0;
  mode_t mode_ = 0;
};

// A new hidden name of the kind a writer gives its file while it writes,
// where the file system has no unnamed files.
std::string TemporaryName();

// Open, Write and Commit of a whole buffer at once.
Failure WriteFileReplacing(const std::string& path, const void* data, size_t size);

}  // namespace tangrel
