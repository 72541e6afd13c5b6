// The one way files are written: a regular file is replaced whole or not at
// all, and whatever else stands at the name (a link, a FIFO, a device,
// standard output) is written as what it is, never replaced.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace tangrel {

enum class SafeWriteResult {
  kWritten,
  kCannotCreate,  // the file could not be opened or made (a folder, a missing folder, read-only)
  kCannotWrite,   // writing, flushing or putting the file in place failed; nothing was replaced
};

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
class FileWriter {
 public:
  FileWriter() = default;
  ~FileWriter() { Abandon(); }
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  SafeWriteResult Open(const std::string& path);
  // Standard output as it stands, written in place (the tool's "-").
  SafeWriteResult OpenStandardOutput();
  // False once any write has failed; Commit then fails too.
  bool Write(const void* data, size_t size);
  SafeWriteResult Commit();
  void Abandon();

 private:
  enum class Kind { kClosed, kUnnamed, kNamed, kInPlace };

  SafeWriteResult OpenInPlace(const std::string& path, mode_t type);
  SafeWriteResult OpenReplacing(const std::string& path);
  bool OpenTemporary(mode_t mode);
  bool PutInPlace();
  bool LinkUnder(const std::string& name);
  void Reset();

  Kind kind_ = Kind::kClosed;
  int fd_ = -1;
  bool ownsFd_ = false;
  bool failed_ = false;
  int folder_ = -1;           // the folder of a replaced file
  std::string name_;          // its name there
  std::string temporary_;     // the named temporary file, when there is one
  int pendingSlot_ = -1;      // where that name waits for a signal's cleanup
  bool replacing_ = false;    // a file stood at the name when it was opened
  uid_t owner_ = 0;           // and these were its owner, group and mode
  gid_t group_ = 0;
  mode_t mode_ = 0;
};

// Open, Write and Commit of a whole buffer at once.
SafeWriteResult WriteFileReplacing(const std::string& path, const void* data, size_t size);

}  // namespace tangrel
