// SPDX-License-Identifier: GPL-3.0-or-later
// The platform file layer with POSIX and Linux calls.
#include "model/PlatformFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace tangrel::platform {

Handle& Handle::operator=(Handle&& other) noexcept {
  if (this != &other) {
    Reset();
    fd_ = other.Release();
  }
  return *this;
}

void Handle::Reset() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

namespace {

// mkdir -p for the folders above the private one; a link among them is the
// user's own arrangement and is followed.
void MakeParents(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0755);
  }
}

}  // namespace

Handle OpenPrivateFolder(const std::string& path, bool create, int& error) {
  if (path.empty()) {
    error = ENOENT;
    return {};
  }
  if (create) {
    MakeParents(path);
    mkdir(path.c_str(), 0700);
  }
  // O_NOFOLLOW: a link at the folder's own name is refused, so nothing done
  // through this folder can reach a folder that someone else shares.
  Handle folder(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!folder.Valid()) {
    error = errno;
    // A link is refused as one, not as a missing folder.
    struct stat link;
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) error = ELOOP;
    return {};
  }
  struct stat info;
  if (fstat(folder.Fd(), &info) != 0) {
    error = errno;
    return {};
  }
  if (info.st_uid != geteuid()) {
    error = EPERM;
    return {};
  }
  if ((info.st_mode & 07777) != 0700 && fchmod(folder.Fd(), 0700) != 0) {
    error = errno;
    return {};
  }
  return folder;
}

Handle OpenInFolder(const Handle& folder, const std::string& name, OpenMode mode, int& error) {
  static constexpr int kFlags[] = {O_RDONLY, O_RDWR, O_RDWR | O_CREAT | O_EXCL};
  // O_NONBLOCK: a FIFO put at the name must not hold the open.
  const int flags = kFlags[static_cast<int>(mode)] | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  Handle file(openat(folder.Fd(), name.c_str(), flags, 0600));
  if (!file.Valid()) {
    error = errno;
    return {};
  }
  struct stat info;
  if (fstat(file.Fd(), &info) != 0 || !S_ISREG(info.st_mode)) {
    error = EINVAL;
    return {};
  }
  // Back to blocking reads and writes now that it is known to be a file.
  fcntl(file.Fd(), F_SETFL, fcntl(file.Fd(), F_GETFL) & ~O_NONBLOCK);
  return file;
}

Handle OpenRegularFile(const std::string& path, int& error) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    error = errno != 0 ? errno : EINVAL;
    return {};
  }
  Handle file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  // Checked again on what was opened, should the name have changed meanwhile.
  if (!file.Valid() || fstat(file.Fd(), &info) != 0 || !S_ISREG(info.st_mode)) {
    error = file.Valid() ? EINVAL : errno;
    return {};
  }
  return file;
}

std::vector<std::string> FolderNames(const Handle& folder) {
  std::vector<std::string> names;
  const int fd = fcntl(folder.Fd(), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return names;
  DIR* dir = fdopendir(fd);
  if (!dir) {
    close(fd);
    return names;
  }
  rewinddir(dir);
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

bool Describe(const Handle& file, FileInfo& info) {
  struct stat st;
  if (fstat(file.Fd(), &st) != 0) return false;
  info.id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  info.size = static_cast<uint64_t>(st.st_size);
  info.regular = S_ISREG(st.st_mode);
  return true;
}

bool TryLock(const Handle& file) { return flock(file.Fd(), LOCK_EX | LOCK_NB) == 0; }

long long ReadAt(const Handle& file, uint64_t offset, void* out, size_t count) {
  auto* bytes = static_cast<uint8_t*>(out);
  size_t done = 0;
  while (done < count) {
    const size_t want = std::min<size_t>(count - done, SSIZE_MAX);
    const ssize_t n = pread(file.Fd(), bytes + done, want, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<long long>(done);
}

bool WriteAt(const Handle& file, uint64_t offset, const void* data, size_t count, int& error,
             size_t* written) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t done = 0;
  while (done < count) {
    const ssize_t n = pwrite(file.Fd(), bytes + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (written) *written = done;
  return done == count;
}

bool Truncate(const Handle& file, uint64_t size) {
  return ftruncate(file.Fd(), static_cast<off_t>(size)) == 0;
}

void SyncData(const Handle& file) { fdatasync(file.Fd()); }
void SyncFolder(const Handle& folder) { fsync(folder.Fd()); }

bool RemoveInFolder(const Handle& folder, const std::string& name) {
  return unlinkat(folder.Fd(), name.c_str(), 0) == 0;
}

bool RenameInFolder(const Handle& folder, const std::string& from, const std::string& to) {
  // A hard link and the removal of the old name: never replaces a file at `to`.
  if (linkat(folder.Fd(), from.c_str(), folder.Fd(), to.c_str(), 0) != 0) return false;
  return unlinkat(folder.Fd(), from.c_str(), 0) == 0;
}

std::tm LocalTime(std::time_t seconds) {
  std::tm local{};
  localtime_r(&seconds, &local);
  return local;
}

uint32_t ProcessId() { return static_cast<uint32_t>(getpid()); }

std::string UserStateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  // The XDG rules ignore a relative path here.
  if (state && state[0] == '/') return state;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/state";
  return {};
}

}  // namespace tangrel::platform
