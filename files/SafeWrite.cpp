// Writing a file through a temporary file and a rename, with POSIX calls.
#include "files/SafeWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace tangrel {

namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A symbolic link is replaced through, so the link keeps pointing at the file.
std::string ResolvedTarget(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (!realpath(path.c_str(), resolved)) return path;
  return resolved;
}

// A fresh name beside the target, created exclusively so no other file is
// ever opened by mistake. Returns the descriptor, or -1.
int CreateTemporary(const std::string& target, std::string& tempPath) {
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(serial++);
    int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t written = write(fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // best effort: the rename is already visible
  close(fd);
}

}  // namespace

SafeWriteResult WriteFileReplacing(const std::string& path, const void* data, size_t size) {
  std::string target = ResolvedTarget(path);
  struct stat existing;
  bool exists = stat(target.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return SafeWriteResult::kCannotCreate;

  std::string tempPath;
  int fd = CreateTemporary(target, tempPath);
  if (fd < 0) return SafeWriteResult::kCannotCreate;

  // A replaced file keeps its permissions.
  bool ok = !exists || fchmod(fd, existing.st_mode & 07777) == 0;
  ok = ok && WriteAll(fd, data, size) && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && rename(tempPath.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(tempPath.c_str());
    return SafeWriteResult::kCannotWrite;
  }
  SyncFolder(FolderOf(target));
  return SafeWriteResult::kWritten;
}

}  // namespace tangrel
