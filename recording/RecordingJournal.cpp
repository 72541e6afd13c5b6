// SPDX-License-Identifier: GPL-3.0-or-later
// The recording journal: writing a take's events as they come, syncing them
// off the user-interface thread, and reading back the journals left behind.
#include "recording/RecordingJournal.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <new>

#include "model/KeyData.h"
#include "model/LittleEndian.h"

namespace tangrel {
namespace {

constexpr char kMagic[4] = {'T', 'G', 'J', '1'};
// How long an event may sit in the kernel's cache before the disk has it.
constexpr auto kFlushInterval = std::chrono::seconds(1);

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::vector<uint8_t> EncodeEvents(const PerformanceEvent* events, size_t count) {
  std::vector<uint8_t> bytes;
  bytes.reserve(count * kEventRecordSize);
  le::Writer out(bytes);
  for (size_t i = 0; i < count; ++i) WriteEvent(out, events[i]);
  return bytes;
}

// The whole records in `bytes`, as the header's version stored them.
std::vector<PerformanceEvent> DecodeEvents(const uint8_t* bytes, size_t size, uint32_t version) {
  std::vector<PerformanceEvent> events(size / kEventRecordSize);
  if (version == 1) {
    // The first journals held the events as they lay in the writer's memory.
    if (!events.empty()) std::memcpy(events.data(), bytes, events.size() * kEventRecordSize);
    return events;
  }
  le::Reader in(bytes, size);
  for (PerformanceEvent& event : events) event = ReadEvent(in);
  return events;
}

enum class Verdict { Take, Empty, Damaged, Held, Gone, Later };

// Reads one journal with bounds: the header, then no more records than a
// take can hold, nor than `budget` (what one start reads in all) has left.
Verdict ReadLeftJournal(const platform::Handle& folder, const std::string& name, uint64_t budget,
                        LeftTake& take) {
  int error = 0;
  platform::Handle file = platform::OpenInFolder(folder, name, platform::OpenMode::ReadOnly, error);
  if (!file.Valid()) return Verdict::Gone;
  // A running program holds its journal locked; the lock dies with it.
  if (!platform::TryLock(file)) return Verdict::Held;
  platform::FileInfo info;
  if (!platform::Describe(file, info)) return Verdict::Gone;
  uint8_t head[kJournalHeaderSize];
  const long long got = platform::ReadAt(file, 0, head, sizeof head);
  if (got < 0) return Verdict::Later;  // the disk failed to read; it may not next time
  // A journal cut inside its header never got an event: the header goes first.
  if (static_cast<size_t>(got) < sizeof head || info.size < kJournalHeaderSize) {
    const bool ours = got < 4 || std::memcmp(head, kMagic, sizeof kMagic) == 0;
    return ours ? Verdict::Empty : Verdict::Damaged;
  }
  const auto header = ParseJournalHeader(head, sizeof head);
  const uint64_t records = (info.size - kJournalHeaderSize) / kEventRecordSize;
  if (!header || records > kMostJournalEvents) return Verdict::Damaged;
  if (records == 0) return Verdict::Empty;
  if (records > budget) return Verdict::Later;
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(records * kEventRecordSize));
    const long long read = platform::ReadAt(file, kJournalHeaderSize, bytes.data(), bytes.size());
    if (read < 0) return Verdict::Later;
    take.events = DecodeEvents(bytes.data(), static_cast<size_t>(read), header->version);
  } catch (const std::bad_alloc&) {
    return Verdict::Later;  // kept for a start with more memory to spare
  }
  if (take.events.empty()) return Verdict::Empty;
  take.header = *header;
  take.file = info.id;
  take.name = name;
  return Verdict::Take;
}

// The journal at `name` in `folder` if it is still the file `id`.
platform::Handle OpenSameFile(const platform::Handle& folder, const std::string& name,
                              const platform::FileId& id, platform::OpenMode mode, int& error) {
  platform::Handle file = platform::OpenInFolder(folder, name, mode, error);
  platform::FileInfo info;
  if (file.Valid() && (!platform::Describe(file, info) || info.id != id)) {
    error = ESTALE;
    return {};
  }
  return file;
}

}  // namespace

std::string DefaultJournalFolder() {
  const std::string state = platform::UserStateFolder();
  return state.empty() ? state : state + "/tangrel";
}

std::vector<uint8_t> JournalHeaderBytes(const JournalHeader& header) {
  std::vector<uint8_t> bytes;
  bytes.reserve(kJournalHeaderSize);
  le::Writer out(bytes);
  out.Bytes(kMagic, sizeof kMagic);
  out.U32(header.version);
  out.U32(header.pid);
  out.I32(header.mode);
  out.I32(header.bourdon);
  out.U32(header.version == 1 ? 0 : kEventRecordSize);
  out.U64(header.startedMs);
  return bytes;
}

std::optional<JournalHeader> ParseJournalHeader(const uint8_t* bytes, size_t size) {
  le::Reader in(bytes, size);
  char magic[sizeof kMagic];
  JournalHeader header;
  in.Bytes(magic, sizeof magic);
  header.version = in.U32();
  header.pid = in.U32();
  header.mode = in.I32();
  header.bourdon = in.I32();
  const uint32_t recordSize = in.U32();
  header.startedMs = in.U64();
  const bool known = (header.version == 1 && recordSize == 0) ||
                     (header.version == kJournalVersion && recordSize == kEventRecordSize);
  if (!in.Ok() || std::memcmp(magic, kMagic, sizeof kMagic) != 0 || !known) return std::nullopt;
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
  take.events = DecodeEvents(bytes + kJournalHeaderSize, size - kJournalHeaderSize, header->version);
  return take;
}

LeftJournals FindLeftJournals(const std::string& folder) {
  LeftJournals found;
  int error = 0;
  const platform::Handle dir = platform::OpenPrivateFolder(folder, false, error);
  if (!dir.Valid()) return found;
  // Several journals together are read no further than one may be.
  uint64_t budget = kMostJournalEvents;
  for (const std::string& name : platform::FolderNames(dir)) {
    if (!EndsWith(name, kJournalSuffix)) continue;
    LeftTake take;
    switch (ReadLeftJournal(dir, name, budget, take)) {
      case Verdict::Take:
        take.folder = folder;
        budget -= take.events.size();
        found.takes.push_back(std::move(take));
        break;
      case Verdict::Empty:
        platform::RemoveInFolder(dir, name);
        break;
      case Verdict::Damaged: {
        // Renamed, so that it is offered this once and never read again.
        const std::string aside = name + kSetAsideSuffix;
        found.damaged.push_back({name, platform::RenameInFolder(dir, name, aside) ? aside : ""});
        break;
      }
      case Verdict::Held:
      case Verdict::Gone:
      case Verdict::Later:
        break;
    }
  }
  std::stable_sort(found.takes.begin(), found.takes.end(), [](const LeftTake& a, const LeftTake& b) {
    return a.header.startedMs > b.header.startedMs;
  });
  return found;
}

void DiscardLeftTake(const LeftTake& take) {
  int error = 0;
  const platform::Handle dir = platform::OpenPrivateFolder(take.folder, false, error);
  if (!dir.Valid()) return;
  if (OpenSameFile(dir, take.name, take.file, platform::OpenMode::ReadOnly, error).Valid()) {
    platform::RemoveInFolder(dir, take.name);
  }
}

// ---- Writing ------------------------------------------------------------------

void RecordingJournal::Begin(int32_t mode, int32_t bourdon, uint64_t startedMs) {
  Discard();
  header_ = JournalHeader{platform::ProcessId(), mode, bourdon, startedMs};
  begun_ = true;
  failed_ = false;
  error_ = 0;
}

bool RecordingJournal::Fail(int error) {
  failed_ = true;
  error_ = error;
  return false;
}

bool RecordingJournal::Create() {
  int error = ENOENT;
  folderHandle_ = platform::OpenPrivateFolder(folder_, true, error);
  if (!folderHandle_.Valid()) return Fail(error);
  name_ = "take-" + std::to_string(header_.startedMs) + "-" + std::to_string(header_.pid) +
          kJournalSuffix;
  file_ = platform::OpenInFolder(folderHandle_, name_, platform::OpenMode::CreateNew, error);
  if (!file_.Valid()) return Fail(error);
  path_ = folder_ + "/" + name_;
  platform::TryLock(file_);
  const std::vector<uint8_t> header = JournalHeaderBytes(header_);
  if (!platform::WriteAt(file_, 0, header.data(), header.size(), error)) {
    Close(true);  // a journal without a record holds nothing
    return Fail(error);
  }
  size_ = kJournalHeaderSize;
  folderSynced_ = false;
  StartFlusher();
  return true;
}

void RecordingJournal::Append(const PerformanceEvent* events, size_t count) {
  if (!begun_ || failed_) return;
  if (!file_.Valid() && !Create()) return;
  // One write, at the end: the kernel has the events at once.
  const std::vector<uint8_t> bytes = EncodeEvents(events, count);
  int error = 0;
  size_t written = 0;
  if (!platform::WriteAt(file_, size_, bytes.data(), bytes.size(), error, &written)) {
    // A record written in part would shift every later one: it goes, and the
    // whole records before it stay readable. A journal that never got one goes
    // whole. The take itself stays in memory.
    if (written > 0) platform::Truncate(file_, size_);
    if (size_ == kJournalHeaderSize) Close(true);
    Fail(error);
    return;
  }
  size_ += bytes.size();
  dirty_.store(true, std::memory_order_relaxed);
}

void RecordingJournal::WriteHeader() {
  const std::vector<uint8_t> header = JournalHeaderBytes(header_);
  int error = 0;
  if (!platform::WriteAt(file_, 0, header.data(), header.size(), error)) Fail(error);
  dirty_.store(true, std::memory_order_relaxed);
}

void RecordingJournal::SetModeAndBourdon(int32_t mode, int32_t bourdon) {
  header_.mode = mode;
  header_.bourdon = bourdon;
  if (file_.Valid()) WriteHeader();
}

void RecordingJournal::SyncSoon() {
  if (!file_.Valid()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  syncNow_ = true;
  wake_.notify_one();
}

void RecordingJournal::Close(bool remove) {
  StopFlusher();  // its last round syncs what is still in the cache
  file_.Reset();
  if (remove && folderHandle_.Valid() && !name_.empty()) {
    platform::RemoveInFolder(folderHandle_, name_);
  }
  folderHandle_.Reset();
  name_.clear();
  path_.clear();
}

void RecordingJournal::Discard() {
  Close(true);
  begun_ = false;
  failed_ = false;  // no take is left that the failure could concern
  error_ = 0;
}

void RecordingJournal::Keep() {
  Close(false);
  begun_ = false;
}

bool RecordingJournal::Adopt(const LeftTake& take) {
  Discard();
  begun_ = true;
  failed_ = false;
  header_ = take.header;
  header_.pid = platform::ProcessId();
  int error = 0;
  folderHandle_ = platform::OpenPrivateFolder(take.folder, false, error);
  if (!folderHandle_.Valid()) return Fail(error);
  // Only the file that was read: a link or another file put at its name since
  // is never opened for writing.
  file_ = OpenSameFile(folderHandle_, take.name, take.file, platform::OpenMode::ReadWrite, error);
  if (file_.Valid() && !platform::TryLock(file_)) error = EWOULDBLOCK;  // another start has it
  if (error != 0) {
    Close(false);
    return Fail(error);
  }
  name_ = take.name;
  path_ = take.folder + "/" + take.name;
  size_ = kJournalHeaderSize + take.events.size() * kEventRecordSize;
  // A cut record at the end goes, so nothing could ever be appended behind
  // it; a journal of the first version is written again in this one's records.
  if (!platform::Truncate(file_, size_)) Fail(EIO);
  if (header_.version != kJournalVersion) {
    header_.version = kJournalVersion;
    const std::vector<uint8_t> bytes = EncodeEvents(take.events.data(), take.events.size());
    if (!platform::WriteAt(file_, kJournalHeaderSize, bytes.data(), bytes.size(), error)) Fail(error);
  }
  WriteHeader();
  folderSynced_ = true;
  StartFlusher();
  return !failed_;
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
    if (dirty_.exchange(false)) platform::SyncData(file_);
    if (!folderSynced_) {
      // The new file's name must reach the disk too, or a power cut could
      // leave its events with no name to find them by.
      platform::SyncFolder(folderHandle_);
      folderSynced_ = true;
    }
    lock.lock();
    if (last) return;
  }
}

}  // namespace tangrel
