// SPDX-License-Identifier: GPL-3.0-or-later
// The recording journal: writing a take's events as they come, syncing them
// off the user-interface thread, and reading back the journals left behind.
#include "recording/RecordingJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "model/KeyData.h"
#include "model/LittleEndian.h"

namespace tangrel {
namespace {

constexpr char kMagic[4] = {'T', 'G', 'J', '1'};
constexpr uint32_t kVersion = 1;
// How long an event may sit in the kernel's cache before the disk has it.
constexpr auto kFlushInterval = std::chrono::seconds(1);

bool WriteAll(int fd, const void* data, size_t size, off_t at) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = pwrite(fd, bytes, size, at);
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
    at += n;
  }
  return true;
}

std::vector<uint8_t> ReadWhole(int fd) {
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  return bytes;
}

}  // namespace

std::string DefaultJournalFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  // The XDG rules ignore a relative path here.
  if (state && state[0] == '/') return std::string(state) + "/tangrel";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/state/tangrel";
  return {};
}

std::vector<uint8_t> JournalHeaderBytes(const JournalHeader& header) {
  std::vector<uint8_t> bytes(kJournalHeaderSize, 0);
  std::memcpy(bytes.data(), kMagic, sizeof kMagic);
  le::PutU32(&bytes[4], kVersion);
  le::PutU32(&bytes[8], header.pid);
  le::PutU32(&bytes[12], static_cast<uint32_t>(header.mode));
  le::PutU32(&bytes[16], static_cast<uint32_t>(header.bourdon));
  le::PutU64(&bytes[24], header.startedMs);
  return bytes;
}

std::optional<JournalHeader> ParseJournalHeader(const uint8_t* bytes, size_t size) {
  if (size < kJournalHeaderSize || std::memcmp(bytes, kMagic, sizeof kMagic) != 0 ||
      le::GetU32(bytes + 4) != kVersion) {
    return std::nullopt;
  }
  JournalHeader header;
  header.pid = le::GetU32(bytes + 8);
  header.mode = static_cast<int32_t>(le::GetU32(bytes + 12));
  header.bourdon = static_cast<int32_t>(le::GetU32(bytes + 16));
  header.startedMs = le::GetU64(bytes + 24);
  return header;
}

uint32_t LeftTake::Notes() const {
  return static_cast<uint32_t>(std::count_if(events.begin(), events.end(), [](const auto& e) {
    return e.message == WM_KEYDOWN;
  }));
}

uint64_t LeftTake::DurationMs() const {
  uint64_t sum = 0;
  for (const PerformanceEvent& e : events) sum += e.delay;
  return sum;
}

std::optional<LeftTake> ParseJournal(const uint8_t* bytes, size_t size) {
  auto header = ParseJournalHeader(bytes, size);
  if (!header) return std::nullopt;
  LeftTake take;
  take.header = *header;
  // Only whole records count: the last one may have been cut by the crash.
  const size_t whole = (size - kJournalHeaderSize) / sizeof(PerformanceEvent);
  take.events.resize(whole);
  if (whole) std::memcpy(take.events.data(), bytes + kJournalHeaderSize, whole * sizeof(PerformanceEvent));
  return take;
}

std::vector<LeftTake> FindLeftTakes(const std::string& folder) {
  std::vector<LeftTake> takes;
  std::error_code error;
  if (folder.empty()) return takes;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string path = entry.path().string();
    if (entry.path().extension() != kJournalSuffix || !entry.is_regular_file(error)) continue;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    // A running program holds its journal locked; the lock dies with it.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      close(fd);
      continue;
    }
    const std::vector<uint8_t> bytes = ReadWhole(fd);
    auto take = ParseJournal(bytes.data(), bytes.size());
    close(fd);
    // Journals of this very process were kept by an earlier window of it.
    if (take && take->header.pid == static_cast<uint32_t>(getpid())) continue;
    // A file this program cannot read (cut inside its header, or written by
    // a later version) is left as it is; one with no whole event holds
    // nothing to lose.
    if (!take) continue;
    if (take->events.empty()) {
      std::filesystem::remove(entry.path(), error);
      continue;
    }
    take->path = path;
    takes.push_back(std::move(*take));
  }
  std::stable_sort(takes.begin(), takes.end(), [](const LeftTake& a, const LeftTake& b) {
    return a.header.startedMs > b.header.startedMs;
  });
  return takes;
}

void DiscardLeftTake(const LeftTake& take) { unlink(take.path.c_str()); }

// ---- Writing ------------------------------------------------------------------

void RecordingJournal::Begin(int32_t mode, int32_t bourdon, uint64_t startedMs) {
  Discard();
  header_ = JournalHeader{static_cast<uint32_t>(getpid()), mode, bourdon, startedMs};
  begun_ = true;
  failed_ = false;
}

bool RecordingJournal::Create() {
  if (folder_.empty()) return false;
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  chmod(folder_.c_str(), 0700);
  path_ = folder_ + "/take-" + std::to_string(header_.startedMs) + "-" +
          std::to_string(header_.pid) + kJournalSuffix;
  fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    path_.clear();
    return false;
  }
  flock(fd_, LOCK_EX | LOCK_NB);
  const std::vector<uint8_t> header = JournalHeaderBytes(header_);
  if (!WriteAll(fd_, header.data(), header.size(), 0)) return false;
  size_ = kJournalHeaderSize;
  folderSynced_ = false;
  StartFlusher();
  return true;
}

void RecordingJournal::Append(const PerformanceEvent* events, size_t count) {
  if (!begun_ || failed_) return;
  if (fd_ < 0 && !Create()) {
    failed_ = true;
    return;
  }
  // One write, at the end: the kernel has the events at once.
  const size_t bytes = count * sizeof(PerformanceEvent);
  const ssize_t n = pwrite(fd_, events, bytes, size_);
  if (n != static_cast<ssize_t>(bytes)) {
    // A record written in part would shift every later one; stop here, the
    // whole records before it stay readable.
    failed_ = true;
    return;
  }
  size_ += static_cast<off_t>(bytes);
  dirty_.store(true, std::memory_order_relaxed);
}

void RecordingJournal::WriteHeader() {
  const std::vector<uint8_t> header = JournalHeaderBytes(header_);
  if (!WriteAll(fd_, header.data(), header.size(), 0)) failed_ = true;
  dirty_.store(true, std::memory_order_relaxed);
}

void RecordingJournal::SetModeAndBourdon(int32_t mode, int32_t bourdon) {
  header_.mode = mode;
  header_.bourdon = bourdon;
  if (fd_ >= 0) WriteHeader();
}

void RecordingJournal::SyncSoon() {
  if (fd_ < 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  syncNow_ = true;
  wake_.notify_one();
}

void RecordingJournal::Discard() {
  const bool had = fd_ >= 0 || !path_.empty();
  StopFlusher();
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (had && !path_.empty()) unlink(path_.c_str());
  path_.clear();
  begun_ = false;
}

void RecordingJournal::Keep() {
  StopFlusher();  // its last round syncs what is still in the cache
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  path_.clear();
  begun_ = false;
}

bool RecordingJournal::Adopt(const LeftTake& take) {
  Discard();
  fd_ = open(take.path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0 || flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    return false;
  }
  path_ = take.path;
  header_ = take.header;
  header_.pid = static_cast<uint32_t>(getpid());
  begun_ = true;
  failed_ = false;
  // A cut record at the end goes, so nothing could ever be appended behind it.
  const off_t whole = static_cast<off_t>(kJournalHeaderSize + take.events.size() * sizeof(PerformanceEvent));
  if (ftruncate(fd_, whole) != 0) failed_ = true;
  size_ = whole;
  WriteHeader();
  folderSynced_ = true;
  StartFlusher();
  return true;
}

// ---- The flusher ----------------------------------------------------------------

void RecordingJournal::StartFlusher() {
  stop_ = false;
  syncNow_ = false;
  flusher_ = std::thread([this] { FlushLoop(); });
}

void RecordingJournal::StopFlusher() {
  if (!flusher_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  flusher_.join();
}

void RecordingJournal::FlushLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait_for(lock, kFlushInterval, [this] { return stop_ || syncNow_; });
    const bool last = stop_;
    syncNow_ = false;
    lock.unlock();
    if (dirty_.exchange(false)) fdatasync(fd_);
    if (!folderSynced_) {
      // The new file's name must reach the disk too, or a power cut could
      // leave its events with no name to find them by.
      const int dir = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (dir >= 0) {
        fsync(dir);
        close(dir);
      }
      folderSynced_ = true;
    }
    lock.lock();
    if (last) return;
  }
}

}  // namespace tangrel
