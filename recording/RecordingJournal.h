// SPDX-License-Identifier: GPL-3.0-or-later
// The recording journal: every event of a take goes to a file in the user's
// state folder the moment it is recorded, so a crash, a kill or a lost display
// loses nothing already played; and the reading of journals that a program
// left behind, for recovery at the next start.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "model/PerformanceEvent.h"
#include "model/PlatformFile.h"
#include "recording/EventList.h"

namespace tangrel {

// A journal is this 32-byte header, little-endian, then the take's events as
// the performance file's 16-byte records.
//   0 "TGJ1"   4 version   8 pid of the recording program
//  12 mode    16 bourdon  20 record size (16)   24 start, ms since 1970 (64 bits)
// Version 2 encodes each record field by field. Version 1, which older
// programs left, held the events as they lay in memory and 0 at offset 20;
// it is still read.
struct JournalHeader {
  uint32_t pid = 0;
  int32_t mode = 0;
  int32_t bourdon = 0;
  uint64_t startedMs = 0;
  uint32_t version = 2;
};
constexpr size_t kJournalHeaderSize = 32;
constexpr uint32_t kJournalVersion = 2;
constexpr const char* kJournalSuffix = ".tgj";
// A damaged journal is renamed with this after its name, so that it is
// offered once and kept for whoever wants to look into it.
constexpr const char* kSetAsideSuffix = ".damaged";
// The most events a journal is read for: far beyond what a player records in
// a day and a night, so a file larger than this is no take; reading it would
// hold the start and its memory for nothing.
constexpr uint64_t kMostJournalEvents = uint64_t{1} << 23;

// $XDG_STATE_HOME/tangrel, else ~/.local/state/tangrel; empty when neither
// variable names a folder.
std::string DefaultJournalFolder();

// The header's bytes, and its reading: nothing when the bytes are no journal
// this program reads (another signature, a version it does not know).
std::vector<uint8_t> JournalHeaderBytes(const JournalHeader& header);
std::optional<JournalHeader> ParseJournalHeader(const uint8_t* bytes, size_t size);

// A journal read back: the header and every whole event; a tail cut short by
// a crash is left out.
struct LeftTake {
  std::string folder;    // the state folder it lies in
  std::string name;      // its file name there
  platform::FileId file;  // the file that was read, to adopt nothing else
  JournalHeader header;
  std::vector<PerformanceEvent> events;
  std::string Path() const { return folder + "/" + name; }
  uint32_t Notes() const;           // key-downs
  uint64_t DurationMs() const;      // the sum of the delays
};
std::optional<LeftTake> ParseJournal(const uint8_t* bytes, size_t size);

// A journal that cannot be read as one: not a journal, a version unknown
// here, or larger than any take. It was renamed to `setAsideAs` (empty when
// that failed).
struct DamagedJournal {
  std::string name;
  std::string setAsideAs;
};

// What the state folder holds that no running program holds (the lock
// tells, whichever process wrote it): takes newest first, and the damaged
// journals just set aside. Only headers and at most kMostJournalEvents
// records in all are read; a take beyond that waits for a later start.
// Journals that hold no whole event are removed: nothing is lost with them.
struct LeftJournals {
  std::vector<LeftTake> takes;
  std::vector<DamagedJournal> damaged;
};
LeftJournals FindLeftJournals(const std::string& folder);
// The user does not want a left take back: its journal goes, if it is still
// the file that was read.
void DiscardLeftTake(const LeftTake& take);

class RecordingJournal {
 public:
  RecordingJournal() = default;
  ~RecordingJournal() { Keep(); }
  RecordingJournal(const RecordingJournal&) = delete;
  RecordingJournal& operator=(const RecordingJournal&) = delete;

  void SetFolder(std::string folder) { folder_ = std::move(folder); }
  const std::string& Folder() const { return folder_; }

  // A new take: what its header will hold. The file is made by the first event.
  void Begin(int32_t mode, int32_t bourdon, uint64_t startedMs);
  // Writes events at once, in one write; the kernel keeps them if the program
  // dies, and the flusher puts them on the disk within about a second.
  void Append(const PerformanceEvent* events, size_t count);
  // The mode or the bourdon changed: the take is saved with the new ones.
  void SetModeAndBourdon(int32_t mode, int32_t bourdon);
  // Asks the flusher to put everything on the disk now, without waiting.
  void SyncSoon();
  // The take was saved or thrown away: the file goes.
  void Discard();
  // The program ends with the take unsaved: the file stays for the next start.
  void Keep();
  // Carries on a recovered journal as the current take's: it is cut to its
  // whole events and held, so no other start offers it. False (and Failed)
  // when it is no longer the file that was read, or cannot be opened.
  bool Adopt(const LeftTake& take);

  bool Open() const { return file_.Valid(); }
  // A file could not be made or written: the take is only in memory.
  bool Failed() const { return failed_; }
  // The errno of that failure, when there was one.
  int Error() const { return error_; }
  const std::string& Path() const { return path_; }

 private:
  bool Create();
  bool Fail(int error);
  void WriteHeader();
  void StartFlusher();
  void StopFlusher();
  void FlushLoop();
  void Close(bool remove);

  std::string folder_ = DefaultJournalFolder();
  std::string name_;
  std::string path_;
  JournalHeader header_;
  bool begun_ = false;
  bool failed_ = false;
  int error_ = 0;
  platform::Handle folderHandle_;
  platform::Handle file_;
  uint64_t size_ = 0;  // where the next event goes

  std::thread flusher_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  bool syncNow_ = false;
  std::atomic<bool> dirty_{false};
  bool folderSynced_ = false;  // the file's name is on the disk too
};

// Live playing's recorder: the take's EventList, each event also journaled.
// Live playing records a key before it sends the note; the journal's write
// waits until the note is out (JournalRecorded, at the end of the key's
// handling), so the disk is never on the way from key to sound.
class JournaledRecorder : public Recorder {
 public:
  JournaledRecorder(EventList& list, RecordingJournal& journal)
      : list_(list), journal_(journal) {}
  bool Recording() const override { return list_.recording; }
  uint32_t count() const override { return list_.count(); }
  void Record(uint32_t message, uint32_t keyData, int32_t octaveShift) override {
    list_.Record(message, keyData, octaveShift);
  }
  // A new take starts with nothing journaled.
  void NewTake() { journaled_ = 0; }
  // Writes the events recorded since the last call.
  void JournalRecorded() {
    if (!list_.recording || list_.count() <= journaled_) return;
    journal_.Append(list_.events.data() + journaled_, list_.count() - journaled_);
    journaled_ = list_.count();
  }

 private:
  EventList& list_;
  RecordingJournal& journal_;
  uint32_t journaled_ = 0;
};

}  // namespace tangrel
