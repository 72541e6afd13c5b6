// SPDX-License-Identifier: GPL-3.0-or-later
// The file writer: temporary files, links and in-place streams, with POSIX
// and Linux calls.
#include "files/SafeWrite.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <mutex>
#include <vector>

namespace tangrel {

namespace {

constexpr size_t kTemporaryNameSize = 32;
constexpr int kMostLinkHops = 40;  // as the kernel allows
// A hidden name older than this belongs to no writer still at work: a writer
// keeps its name for the moments of one save, and every write renews its time.
constexpr time_t kStaleAfterSeconds = 60 * 60;

// Named temporary files being written, for the signal handler to remove. The
// slots are plain atomics so that the handler may read them at any moment.
struct PendingName {
  std::atomic<bool> taken{false};
  std::atomic<int> folder{-1};
  char name[kTemporaryNameSize] = {};
};
PendingName gPending[8];

void RemovePendingNames(int signal) {
  for (PendingName& pending : gPending) {
    const int folder = pending.folder.load();
    if (folder >= 0) unlinkat(folder, pending.name, 0);
  }
  // SA_RESETHAND restored the default action: the process ends as it would have.
  raise(signal);
}

// The handler takes only signals whose action is still the default one: a
// program that ignores or handles a signal keeps doing so.
void WatchEndingSignals() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
      struct sigaction old {};
      if (sigaction(signal, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) ||
          old.sa_handler != SIG_DFL) {
        continue;
      }
      struct sigaction action {};
      action.sa_handler = RemovePendingNames;
      sigemptyset(&action.sa_mask);
      action.sa_flags = SA_RESETHAND;
      sigaction(signal, &action, nullptr);
    }
  });
}

int AddPending(int folder, const std::string& name) {
  WatchEndingSignals();
  for (int slot = 0; slot < static_cast<int>(std::size(gPending)); ++slot) {
    PendingName& pending = gPending[slot];
    if (pending.taken.exchange(true)) continue;
    std::strncpy(pending.name, name.c_str(), kTemporaryNameSize - 1);
    pending.folder.store(folder);
    return slot;
  }
  return -1;  // more writers at once than slots: this one goes unwatched
}

void RemovePending(int& slot) {
  if (slot < 0) return;
  gPending[slot].folder.store(-1);
  gPending[slot].taken.store(false);
  slot = -1;
}

// The writer's hidden names: ".tangrel.", twelve random hex digits, a dot
// and four hex digits that check the twelve. The sweep removes a file only
// when its name passes that check: a user's file (".tgsettings", a name typed
// or copied by hand) does not, whatever its age. Older versions named their
// files ".tg" and eight letters or digits, a shape a user's file can have:
// those are left alone.
constexpr char kTemporaryPrefix[] = ".tangrel.";
constexpr size_t kPrefixSize = sizeof kTemporaryPrefix - 1;
constexpr size_t kRandomDigits = 12;
constexpr size_t kCheckDigits = 4;
constexpr size_t kTemporaryNameLength = kPrefixSize + kRandomDigits + 1 + kCheckDigits;
static_assert(kTemporaryNameLength < kTemporaryNameSize);
constexpr char kHexDigits[] = "0123456789abcdef";

// FNV-1a of the random digits, folded to the check's 16 bits.
uint32_t NameCheck(const char* digits) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < kRandomDigits; ++i) hash = (hash ^ uint8_t(digits[i])) * 16777619u;
  return (hash ^ (hash >> 16)) & 0xFFFF;
}

void AppendHex(std::string& to, uint64_t value, size_t digits) {
  for (size_t i = digits; i-- > 0;) to += kHexDigits[(value >> (4 * i)) & 0xF];
}

bool IsLowerHex(const char* text, size_t size) {
  return std::all_of(text, text + size,
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool IsTemporaryName(const char* name) {
  if (std::strlen(name) != kTemporaryNameLength ||
      std::strncmp(name, kTemporaryPrefix, kPrefixSize) != 0) {
    return false;
  }
  const char* digits = name + kPrefixSize;
  const char* check = digits + kRandomDigits + 1;
  if (!IsLowerHex(digits, kRandomDigits) || digits[kRandomDigits] != '.' ||
      !IsLowerHex(check, kCheckDigits)) {
    return false;
  }
  return std::strtoul(check, nullptr, 16) == NameCheck(digits);
}

// Removes the writer's own hidden names that a killed process left in the
// folder: only regular files of this user, and only once they are old.
void SweepStaleTemporaries(int folder) {
  const int listing = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* entries = listing >= 0 ? fdopendir(listing) : nullptr;
  if (!entries) {
    if (listing >= 0) close(listing);
    return;
  }
  const time_t now = time(nullptr);
  while (const dirent* entry = readdir(entries)) {
    struct stat info;
    if (!IsTemporaryName(entry->d_name) ||
        fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
      continue;
    }
    if (S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
        now - info.st_mtime > kStaleAfterSeconds) {
      unlinkat(folder, entry->d_name, 0);
    }
  }
  closedir(entries);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The name a chain of symbolic links ends at, which need not exist yet (a
// dangling link is written through too). Empty when the chain does not end.
std::string EndOfLinks(std::string path) {
  std::vector<char> target(PATH_MAX);
  for (int hop = 0; hop <= kMostLinkHops; ++hop) {
    const ssize_t size = readlink(path.c_str(), target.data(), target.size());
    if (size < 0) return path;  // not a link, or nothing there
    if (static_cast<size_t>(size) == target.size()) return {};
    std::string next(target.data(), static_cast<size_t>(size));
    path = next[0] == '/' ? next : FolderOf(path) + "/" + next;
  }
  return {};
}

// Zero when all was written, else the errno that stopped it (EIO when a
// write took nothing without saying why).
int WriteAll(int fd, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    if (written == 0) return EIO;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return 0;
}

std::string ProcPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

}  // namespace

std::string TemporaryName() {
  static std::atomic<uint64_t> serial{0};
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t bits = (uint64_t(getpid()) << 40) ^ uint64_t(now.tv_nsec) ^
                        (serial++ * 0x9E3779B97F4A7C15u);
  std::string name = kTemporaryPrefix;
  AppendHex(name, bits, kRandomDigits);
  name += '.';
  AppendHex(name, NameCheck(name.c_str() + kPrefixSize), kCheckDigits);
  return name;
}

Failure FileWriter::Open(const std::string& path) {
  Abandon();
  path_ = path;
  if (path.empty()) return CannotCreate(0);
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    return OpenInPlace(path, info.st_mode & S_IFMT);
  }
  return OpenReplacing(EndOfLinks(path));
}

Failure FileWriter::OpenStandardOutput() {
  Abandon();
  path_ = "-";
  const int flags = fcntl(STDOUT_FILENO, F_GETFL);
  if (flags < 0) return CannotCreate(errno);
  if ((flags & O_ACCMODE) == O_RDONLY) return CannotCreate(EBADF);
  kind_ = Kind::kInPlace;
  fd_ = STDOUT_FILENO;
  ownsFd_ = false;
  return {};
}

Failure FileWriter::CannotCreate(int error) {
  Reset();
  return Fail(FailureKind::CannotCreate, path_, error);
}

// A FIFO or a character device is written as it stands. Anything else that
// is not a regular file (a folder, a socket, a disk) is no place for a file.
Failure FileWriter::OpenInPlace(const std::string& path, mode_t type) {
  if (type != S_IFIFO && type != S_IFCHR) return CannotCreate(type == S_IFDIR ? EISDIR : 0);
  const int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  struct stat opened;
  if (fd < 0) return CannotCreate(errno);
  if (fstat(fd, &opened) != 0 || (opened.st_mode & S_IFMT) != type) {
    close(fd);
    return CannotCreate(0);
  }
  kind_ = Kind::kInPlace;
  fd_ = fd;
  ownsFd_ = true;
  return {};
}

Failure FileWriter::OpenReplacing(const std::string& path) {
  // A chain of links that never ends names no file.
  if (path.empty()) return CannotCreate(ELOOP);
  const size_t slash = path.rfind('/');
  name_ = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name_.empty() || name_ == "." || name_ == "..") return CannotCreate(EISDIR);
  folder_ = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_ < 0) return CannotCreate(errno);
  SweepStaleTemporaries(folder_);

  struct stat existing;
  replacing_ = fstatat(folder_, name_.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
  if (replacing_) {
    // A file that may not be written is not replaced either, however
    // writable its folder.
    const int probe = openat(folder_, name_.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    const int error = probe < 0 ? errno : 0;
    if (probe < 0 || !S_ISREG(existing.st_mode)) {
      if (probe >= 0) close(probe);
      return CannotCreate(error);
    }
    close(probe);
    owner_ = existing.st_uid;
    group_ = existing.st_gid;
    mode_ = existing.st_mode & 07777;
  }
  if (!OpenTemporary(replacing_ ? (mode_ & 0777) : 0666)) return CannotCreate(errno);
  return {};
}

// A file without a name needs /proc to be given one at the end; without it,
// or where the file system cannot make one, the file gets a hidden name.
bool FileWriter::OpenTemporary(mode_t mode) {
  fd_ = openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  struct stat linkable;
  if (fd_ >= 0 && stat(ProcPath(fd_).c_str(), &linkable) == 0) {
    kind_ = Kind::kUnnamed;
    ownsFd_ = true;
    return true;
  }
  if (fd_ >= 0) close(fd_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary_ = TemporaryName();
    fd_ = openat(folder_, temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd_ >= 0) {
      kind_ = Kind::kNamed;
      ownsFd_ = true;
      pendingSlot_ = AddPending(folder_, temporary_);
      return true;
    }
    if (errno != EEXIST) break;
  }
  temporary_.clear();
  return false;
}

bool FileWriter::Write(const void* data, size_t size) {
  if (kind_ == Kind::kClosed || failed_) return false;
  error_ = WriteAll(fd_, data, size);
  failed_ = error_ != 0;
  return !failed_;
}

Failure FileWriter::Commit() {
  if (kind_ == Kind::kClosed) return Fail(FailureKind::CannotWrite, path_);
  bool ok = !failed_;
  if (kind_ == Kind::kInPlace) {
    // Where writes only fill a cache, closing is what reports a full disk.
    if (ownsFd_ && close(fd_) != 0 && ok) {
      ok = false;
      error_ = errno;
    }
    fd_ = -1;
  } else if (ok && !PutInPlace()) {
    ok = false;
    error_ = errno;
  }
  if (ok) {
    Reset();
    return {};
  }
  const int error = error_;
  Abandon();
  return Fail(FailureKind::CannotWrite, path_, error);
}

bool FileWriter::PutInPlace() {
  if (replacing_) {
    // Only root may give a file away; for anyone else the owner is already theirs.
    if (fchown(fd_, owner_, group_) != 0 && errno != EPERM) return false;
    if (fchmod(fd_, mode_) != 0) return false;
  }
  if (fsync(fd_) != 0) return false;
  bool placed;
  if (kind_ == Kind::kUnnamed) {
    // A new file is linked under its name directly; one that replaces
    // another needs a name to rename from, held only for that moment.
    placed = (!replacing_ && LinkUnder(name_));
    if (!placed) {
      for (int attempt = 0; attempt < 100 && temporary_.empty(); ++attempt) {
        std::string name = TemporaryName();
        if (LinkUnder(name)) temporary_ = name;
        else if (errno != EEXIST) break;
      }
      if (temporary_.empty()) return false;
      pendingSlot_ = AddPending(folder_, temporary_);
    }
  }
  if (!temporary_.empty()) {
    if (renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0) return false;
    RemovePending(pendingSlot_);
    temporary_.clear();
  }
  fsync(folder_);  // best effort: the new name is already visible
  return true;
}

bool FileWriter::LinkUnder(const std::string& name) {
  return linkat(AT_FDCWD, ProcPath(fd_).c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

void FileWriter::Abandon() {
  if (!temporary_.empty()) unlinkat(folder_, temporary_.c_str(), 0);
  Reset();
}

void FileWriter::Reset() {
  RemovePending(pendingSlot_);
  if (fd_ >= 0 && ownsFd_) close(fd_);
  if (folder_ >= 0) close(folder_);
  kind_ = Kind::kClosed;
  fd_ = folder_ = -1;
  ownsFd_ = failed_ = replacing_ = false;
  error_ = 0;
  temporary_.clear();
  name_.clear();
}

Failure WriteFileReplacing(const std::string& path, const void* data, size_t size) {
  FileWriter writer;
  if (Failure opened = writer.Open(path)) return opened;
  writer.Write(data, size);
  return writer.Commit();
}

}  // namespace tangrel
