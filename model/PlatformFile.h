// SPDX-License-Identifier: GPL-3.0-or-later
// The operating system's file calls that the core's own folders and files
// need, in one small layer: a private folder opened without following links,
// files opened inside it by name, positioned reads and writes, locks, syncs,
// and the process's id. Every failure gives back its errno.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace tangrel::platform {

// An open file or folder, closed when it goes.
class Handle {
 public:
  Handle() = default;
  explicit Handle(int fd) : fd_(fd) {}
  ~Handle() { Reset(); }
  Handle(Handle&& other) noexcept : fd_(other.Release()) {}
  Handle& operator=(Handle&& other) noexcept;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  int Fd() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset();

 private:
  int fd_ = -1;
};

// Which file a name led to: the same device and inode are the same file.
struct FileId {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileId& other) const {
    return device == other.device && inode == other.inode;
  }
  bool operator!=(const FileId& other) const { return !(*this == other); }
};

struct FileInfo {
  FileId id;
  uint64_t size = 0;
  bool regular = false;
};

// A folder that only this user may enter: made (with its parents) when
// `create` asks and it is missing, opened without following a link at its
// own name, refused (EPERM) when another user owns it, and narrowed to 0700
// through its descriptor. Sets `error` and gives an invalid handle on failure.
Handle OpenPrivateFolder(const std::string& path, bool create, int& error);

enum class OpenMode { ReadOnly, ReadWrite, CreateNew };
// `name` inside `folder`, never through a link; only a regular file opens.
// CreateNew makes it with mode 0600 and fails when the name is taken.
Handle OpenInFolder(const Handle& folder, const std::string& name, OpenMode mode, int& error);

// A regular file by its path, for reading; anything else (a FIFO, a device,
// a folder) is refused with EINVAL before it is opened, since opening some of
// them is itself an act or waits. A link is followed.
Handle OpenRegularFile(const std::string& path, int& error);

// The names in a folder, without "." and "..".
std::vector<std::string> FolderNames(const Handle& folder);
bool Describe(const Handle& file, FileInfo& info);
// An exclusive lock that dies with the process; false when another holds it.
bool TryLock(const Handle& file);

// Reads up to `count` bytes from `offset`; the number read, short at the
// end of the file, or -1 on an error.
long long ReadAt(const Handle& file, uint64_t offset, void* out, size_t count);
// Writes all of `count` bytes at `offset`; false with `error` set otherwise.
// `written` tells how many did reach the file before it failed.
bool WriteAt(const Handle& file, uint64_t offset, const void* data, size_t count, int& error,
             size_t* written = nullptr);
bool Truncate(const Handle& file, uint64_t size);
void SyncData(const Handle& file);
void SyncFolder(const Handle& folder);
bool RemoveInFolder(const Handle& folder, const std::string& name);
// Renames inside one folder; fails rather than replace a file at `to`.
bool RenameInFolder(const Handle& folder, const std::string& from, const std::string& to);

uint32_t ProcessId();
// The local calendar time of `seconds` since 1970.
std::tm LocalTime(std::time_t seconds);
// The user's folder for state that outlives a run: $XDG_STATE_HOME, else
// ~/.local/state; empty when neither variable names a folder.
std::string UserStateFolder();

}  // namespace tangrel::platform
