// SPDX-License-Identifier: GPL-3.0-or-later
// The recording journal on disk: its bytes, the takes left behind (newest
// first, a held one never), a cut at any byte of the last record, and the
// session around it: what keeps a journal, what throws it away, recovery at
// start and Record asking before it discards a take.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "SessionRig.h"
#include "files/PerformanceFile.h"
#include "recording/RecordingJournal.h"
#include "tests/support/InChild.h"
#include "tests/support/TempDir.h"

namespace tangrel {
namespace {

using testing::SessionRig;
using testing::TempDir;

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<PerformanceEvent> SomeEvents(uint32_t n) {
  std::vector<PerformanceEvent> events;
  for (uint32_t i = 0; i < n; ++i) {
    events.push_back({10 * i + 5, i % 2 ? WM_KEYUP : WM_KEYDOWN, (30u + i / 2) << 16 | 1u,
                      static_cast<int32_t>(i % 3) - 1});
  }
  return events;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

// A journal as a program that has ended would have left it, in the bytes of
// the first journals: "TGJ1", version 1, pid, mode, bourdon, 0, start, then
// the events as they lay in memory (this machine is little-endian).
std::string WriteLeftJournal(const std::string& folder, uint64_t startedMs,
                             const std::vector<PerformanceEvent>& events, size_t cutBytes = 0,
                             int32_t mode = 1300, int32_t bourdon = 1, uint32_t pid = 999999) {
  std::vector<uint8_t> bytes = {'T', 'G', 'J', '1'};
  le::Writer out(bytes);
  for (uint32_t word : {1u, pid, static_cast<uint32_t>(mode), static_cast<uint32_t>(bourdon), 0u}) {
    out.U32(word);
  }
  out.U64(startedMs);
  out.Bytes(events.data(), events.size() * sizeof(PerformanceEvent));
  bytes.resize(bytes.size() - cutBytes);
  const std::string path = folder + "/take-" + std::to_string(startedMs) + kJournalSuffix;
  WriteFile(path, bytes);
  return path;
}

std::vector<LeftTake> LeftTakes(const std::string& folder) {
  return FindLeftJournals(folder).takes;
}

bool SameEvents(const std::vector<PerformanceEvent>& a, const std::vector<PerformanceEvent>& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) {
           return x.delay == y.delay && x.message == y.message && x.keyData == y.keyData &&
                  x.octaveShift == y.octaveShift;
         });
}

TEST(RecordingJournal, HoldsTheHeaderAndEachEventAsItIsRecorded) {
  TempDir dir;
  RecordingJournal journal;
  journal.SetFolder(dir.File("state/tangrel"));
  journal.Begin(1297, 0, 1'765'000'000'123);
  EXPECT_FALSE(journal.Open());  // nothing is made before the first event
  const auto events = SomeEvents(3);
  journal.Append(events.data(), 1);
  journal.Append(events.data() + 1, 2);
  journal.SetModeAndBourdon(1313, 1);
  ASSERT_TRUE(journal.Open());

  // Read while the journal is open: write() has handed each event over.
  const std::vector<uint8_t> bytes = ReadBytes(journal.Path());
  ASSERT_EQ(bytes.size(), kJournalHeaderSize + 3 * 16);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "TGJ1");
  EXPECT_EQ(le::GetU32(&bytes[4]), 2u);   // the version
  EXPECT_EQ(le::GetU32(&bytes[20]), 16u);  // the record size
  auto take = ParseJournal(bytes.data(), bytes.size());
  ASSERT_TRUE(take);
  EXPECT_EQ(take->header.pid, static_cast<uint32_t>(getpid()));
  EXPECT_EQ(take->header.mode, 1313);
  EXPECT_EQ(take->header.bourdon, 1);
  EXPECT_EQ(take->header.startedMs, 1'765'000'000'123u);
  EXPECT_TRUE(SameEvents(take->events, events));
  // The records are the performance file's, byte for byte.
  EXPECT_EQ(0, std::memcmp(bytes.data() + kJournalHeaderSize, events.data(), 48));

  const std::string path = journal.Path();
  journal.Keep();
  EXPECT_EQ(ReadBytes(path).size(), bytes.size());
  RecordingJournal second;
  second.SetFolder(dir.File("state/tangrel"));
  second.Begin(1297, 0, 1);
  second.Append(events.data(), 1);
  const std::string secondPath = second.Path();
  second.Discard();
  EXPECT_FALSE(std::ifstream(secondPath).good());
}

TEST(RecordingJournal, ACutInTheLastRecordRecoversEveryWholeRecordBeforeIt) {
  const auto events = SomeEvents(5);
  for (size_t cut = 1; cut <= 16; ++cut) {
    SCOPED_TRACE(cut);
    TempDir dir;
    WriteLeftJournal(dir.Path(), 100, events, cut);
    const auto takes = LeftTakes(dir.Path());
    ASSERT_EQ(takes.size(), 1u);
    EXPECT_TRUE(SameEvents(takes[0].events, {events.begin(), events.end() - 1}));
  }
}

TEST(RecordingJournal, LeftTakesComeNewestFirstWhateverPidWroteThemAndAHeldOrEmptyOneNever) {
  TempDir dir;
  WriteLeftJournal(dir.Path(), 200, SomeEvents(2));
  // Written by a process with this one's id, as every start in a PID namespace has.
  WriteLeftJournal(dir.Path(), 300, SomeEvents(4), 0, 1300, 1, static_cast<uint32_t>(getpid()));
  const std::string held = WriteLeftJournal(dir.Path(), 400, SomeEvents(1));
  const std::string empty = WriteLeftJournal(dir.Path(), 500, SomeEvents(1), 12);
  const std::string cutHeader = WriteLeftJournal(dir.Path(), 600, SomeEvents(1), 20);
  const int fd = open(held.c_str(), O_RDONLY);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);  // as the program still recording it holds it

  const auto takes = LeftTakes(dir.Path());
  ASSERT_EQ(takes.size(), 2u);
  EXPECT_EQ(takes[0].header.startedMs, 300u);
  EXPECT_EQ(takes[0].Notes(), 2u);
  EXPECT_EQ(takes[0].DurationMs(), 5u + 15 + 25 + 35);
  EXPECT_EQ(takes[1].header.startedMs, 200u);
  EXPECT_FALSE(std::ifstream(empty).good());  // nothing whole in it: removed
  EXPECT_FALSE(std::ifstream(cutHeader).good());
  close(fd);
  EXPECT_EQ(LeftTakes(dir.Path()).size(), 3u);
}

TEST(RecordingJournal, HostileJournalsAreSetAsideOnceAndNeverReadWhole) {
  TempDir dir;
  const std::string sparse = WriteLeftJournal(dir.Path(), 100, SomeEvents(2));
  ASSERT_EQ(truncate(sparse.c_str(), off_t{1} << 30), 0);  // 1 GB, nearly all a hole
  std::vector<uint8_t> noise = {'T', 'G', 'J', '1'};
  for (int i = 0; i < 60; ++i) noise.push_back(static_cast<uint8_t>(i * 97 + 13));
  WriteFile(dir.File("noise.tgj"), noise);
  WriteFile(dir.File("other.tgj"), std::vector<uint8_t>(64, 'x'));

  const auto started = std::chrono::steady_clock::now();
  const LeftJournals left = FindLeftJournals(dir.Path());
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);
  std::printf("scan with a 1 GB journal present: %lld ms\n", static_cast<long long>(ms.count()));
  EXPECT_TRUE(left.takes.empty());
  ASSERT_EQ(left.damaged.size(), 3u);
  for (const DamagedJournal& journal : left.damaged) {
    EXPECT_EQ(journal.setAsideAs, journal.name + ".damaged");
    EXPECT_TRUE(std::ifstream(dir.File(journal.setAsideAs)).good());
  }
  const LeftJournals again = FindLeftJournals(dir.Path());
  EXPECT_TRUE(again.takes.empty() && again.damaged.empty());  // said once
}

TEST(RecordingJournal, NeitherTheFolderNorTheJournalIsReachedThroughALink) {
  TempDir dir;
  const std::string shared = dir.File("shared");
  ASSERT_EQ(mkdir(shared.c_str(), 01777), 0);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  ASSERT_EQ(symlink(shared.c_str(), dir.File("state").c_str()), 0);
  RecordingJournal linked;
  linked.SetFolder(dir.File("state"));
  linked.Begin(1297, 0, 5);
  const auto events = SomeEvents(2);
  linked.Append(events.data(), 2);
  EXPECT_TRUE(linked.Failed());
  EXPECT_EQ(linked.Error(), ELOOP);
  struct stat info;
  ASSERT_EQ(stat(shared.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 01777u);  // the shared folder keeps its mode
  WriteLeftJournal(shared, 300, events);
  EXPECT_TRUE(LeftTakes(dir.File("state")).empty());
  // A folder of another user's is not used either.
  if (geteuid() == 0 && chown(shared.c_str(), 65534, 65534) == 0) {
    RecordingJournal foreign;
    foreign.SetFolder(shared);
    foreign.Begin(1297, 0, 6);
    foreign.Append(events.data(), 2);
    EXPECT_EQ(foreign.Error(), EPERM);
  }

  // Between the scan and Yes, the journal becomes a link to another file.
  const std::string left = WriteLeftJournal(dir.Path(), 400, events);
  const std::string victim = dir.File("victim");
  WriteFile(victim, std::vector<uint8_t>(15000, 'v'));
  const auto takes = LeftTakes(dir.Path());
  ASSERT_EQ(takes.size(), 1u);
  ASSERT_EQ(unlink(left.c_str()), 0);
  ASSERT_EQ(symlink(victim.c_str(), left.c_str()), 0);
  RecordingJournal adopting;
  EXPECT_FALSE(adopting.Adopt(takes[0]));
  EXPECT_EQ(ReadBytes(victim).size(), 15000u);
  // Nor is a file put at its name in place of it adopted, or deleted.
  const std::string other = WriteLeftJournal(shared, 400, events);
  ASSERT_EQ(rename(other.c_str(), left.c_str()), 0);
  EXPECT_FALSE(adopting.Adopt(takes[0]));
  DiscardLeftTake(takes[0]);
  EXPECT_TRUE(std::ifstream(left).good());
}

// ---- The session -----------------------------------------------------------------

// A take of one key pressed and released, still unsaved.
void RecordOneNote(SessionRig& rig) {
  rig.Command(IDM_RECORD);
  rig.now += 100;
  rig.Press(30);
  rig.now += 100;
  rig.Release(30);
  rig.Command(IDM_END_RECORD);
}

TEST(SessionJournal, ATakeIsJournaledUntilSavedAndKeptWhenTheProgramEndsUnsaved) {
  TempDir files;
  SessionRig rig;
  rig.Command(IDM_RECORD);
  EXPECT_EQ(rig.journals.EntryCount(), 0u);
  rig.Press(30, {true, false});
  ASSERT_EQ(rig.journals.EntryCount(), 1u);
  rig.Release(30);
  rig.Command(IDM_END_RECORD);
  auto take = ParseJournal(ReadBytes(rig.session.Journal().Path()).data(),
                           ReadBytes(rig.session.Journal().Path()).size());
  ASSERT_TRUE(take);
  EXPECT_TRUE(SameEvents(take->events, rig.session.Events().events));
  EXPECT_EQ(take->events[1].octaveShift, 1);

  rig.screen.files.push_back(ChosenFile{files.File("a.tgi"), "a.tgi"});
  rig.Command(IDM_SAVE);
  EXPECT_EQ(rig.journals.EntryCount(), 0u);  // saved: the journal goes

  RecordOneNote(rig);
  rig.session.Destroy();
  EXPECT_EQ(rig.journals.EntryCount(), 1u);  // unsaved at the end: it stays
}

TEST(SessionJournal, RecordAsksAboutAnUnsavedTakeFirst) {
  TempDir files;
  SessionRig rig;
  RecordOneNote(rig);
  const auto take = rig.session.Events().events;

  // Cancel keeps the take and does not record.
  rig.screen.answers = {MessageAnswer::Cancel};
  rig.Command(IDM_RECORD);
  EXPECT_FALSE(rig.session.Events().recording);
  EXPECT_TRUE(SameEvents(rig.session.Events().events, take));
  EXPECT_TRUE(rig.session.State().modified);
  EXPECT_EQ(rig.screen.boxes.back().text, "Do you save current change in Untitle?");

  // Yes saves it first, then records.
  rig.screen.answers = {MessageAnswer::Yes};
  rig.screen.files.push_back(ChosenFile{files.File("kept.tgi"), "kept.tgi"});
  rig.Command(IDM_RECORD);
  EXPECT_TRUE(rig.session.Events().recording);
  LoadedPerformance saved;
  ASSERT_FALSE(LoadPerformanceFile(files.File("kept.tgi"), saved));
  EXPECT_TRUE(SameEvents(saved.events, take));
  rig.now += 50;
  rig.Press(31);
  rig.Command(IDM_END_RECORD);

  // No throws the take and its journal away, then records.
  rig.screen.answers = {MessageAnswer::No};
  rig.Command(IDM_RECORD);
  EXPECT_TRUE(rig.session.Events().recording);
  EXPECT_EQ(rig.session.Events().count(), 0u);
  EXPECT_EQ(rig.journals.EntryCount(), 0u);
  EXPECT_TRUE(rig.screen.answers.empty());
}

TEST(SessionJournal, ALeftTakeIsOfferedAtStartAndYesMakesItTheUnsavedTake) {
  TempDir state;
  auto events = SomeEvents(6);
  events[2].octaveShift = INT32_MAX;  // damaged: comes back clamped as a loaded file's
  // Cut inside its last record by the crash: five whole events, three notes.
  const std::string path = WriteLeftJournal(state.Path(), 1'765'000'000'000, events, 7);
  SessionRig rig(true, {}, state.Path(), {MessageAnswer::Yes});
  ASSERT_EQ(rig.screen.boxes.size(), 1u);
  const std::string& question = rig.screen.boxes[0].text;
  EXPECT_NE(question.find("\ntake-1765000000000.tgj, recorded at "), std::string::npos) << question;
  EXPECT_NE(question.find(", 0 min 0 s, 3 notes\n"), std::string::npos) << question;
  EXPECT_EQ(rig.screen.boxes[0].buttons, MessageButtons::YesNoCancel);

  events[2].octaveShift = kFarthestLoadedShift;
  EXPECT_TRUE(SameEvents(rig.session.Events().events, {events.begin(), events.end() - 1}));
  EXPECT_EQ(rig.session.Settings().mode, 1300);
  EXPECT_TRUE(rig.screen.Checked(1300));
  EXPECT_TRUE(rig.screen.Checked(IDM_BOURDON));
  EXPECT_EQ(rig.screen.caption, "Tangrel - [Untitle]");
  EXPECT_TRUE(rig.screen.Enabled(IDM_SAVE));
  EXPECT_TRUE(rig.session.State().modified);
  // Held as this take's journal, cut to its whole events and written again
  // in the records of today's version.
  EXPECT_EQ(rig.session.Journal().Path(), path);
  const auto bytes = ReadBytes(path);
  EXPECT_EQ(bytes.size(), kJournalHeaderSize + 5 * 16);
  auto held = ParseJournal(bytes.data(), bytes.size());
  ASSERT_TRUE(held);
  EXPECT_EQ(held->header.version, 2u);
  EXPECT_TRUE(SameEvents(held->events, rig.session.Events().events));

  TempDir files;
  rig.screen.files.push_back(ChosenFile{files.File("back.tgi"), "back.tgi"});
  rig.Command(IDM_SAVE);
  EXPECT_FALSE(std::ifstream(path).good());
}

TEST(SessionJournal, OneBoxListsTheLeftTakesNoDeletesTheFirstAndCancelKeepsTheRest) {
  TempDir state;
  TempDir files;
  const std::string older = WriteLeftJournal(state.Path(), 200, SomeEvents(2));
  const std::string newer = WriteLeftJournal(state.Path(), 300, SomeEvents(4));
  auto endless = SomeEvents(2);
  endless[0].delay = endless[1].delay = UINT32_MAX;  // 143 165 min: no length to show
  const std::string odd = WriteLeftJournal(state.Path(), 250, endless);
  WriteFile(state.File("broken.tgj"), std::vector<uint8_t>(40, 'x'));
  const auto named = SomeEvents(8);
  ASSERT_FALSE(SavePerformanceFile(named.data(), 8, 1297, 0, files.File("named.tgi")));

  SessionRig rig(true, files.File("named.tgi"), state.Path(),
                 {MessageAnswer::No, MessageAnswer::Cancel});
  ASSERT_EQ(rig.screen.boxes.size(), 3u);
  EXPECT_NE(rig.screen.boxes[0].text.find("broken.tgj, now broken.tgj.damaged"), std::string::npos);
  // Newest first; a start in 1970 is no date to show.
  const std::string& both = rig.screen.boxes[1].text;
  EXPECT_NE(both.find("\ntake-300.tgj, 0 min 0 s, 2 notes\ntake-250.tgj, 1 notes\n"
                      "take-200.tgj, 0 min 0 s, 1 notes\n"),
            std::string::npos) << both;
  EXPECT_EQ(rig.screen.boxes[2].text.find("take-300"), std::string::npos);
  EXPECT_FALSE(std::ifstream(newer).good());
  EXPECT_TRUE(std::ifstream(older).good() && std::ifstream(odd).good());  // later: kept
  EXPECT_TRUE(SameEvents(rig.session.Events().events, named));
}

TEST(SessionJournal, AJournalThatCannotBeWrittenIsSaidAtOnceAndTheTakeStaysInMemory) {
  TempDir full;
  const int result = testing::RunInChild([&] {
    if (!testing::EnterPrivateMounts()) return testing::kNoPrivateMounts;
    if (mount("tangrel-full", full.Path().c_str(), "tmpfs", 0, "size=4k") != 0) {
      return testing::kNoPrivateMounts;
    }
    mkdir(full.File("state").c_str(), 0700);
    std::ofstream filler(full.File("filler"), std::ios::binary);
    filler << std::string(64 * 1024, 'f');  // until the disk is full
    filler.close();
    SessionRig rig(true, {}, full.File("state"));
    rig.Command(IDM_RECORD);
    rig.Press(30);
    if (rig.screen.boxes.size() != 1) return 1;  // at the first key, not at Finish
    if (rig.screen.boxes[0].text.find("The disk is full.") == std::string::npos) return 2;
    if (rig.session.ActivityText().format != std::string("Recording: %1, notes: %2, in memory only"))
      return 3;
    rig.Release(30);
    rig.Command(IDM_END_RECORD);
    if (rig.screen.boxes.size() != 1 || rig.session.Events().count() != 2) return 4;
    return std::filesystem::is_empty(full.File("state")) ? 0 : 5;  // no 0-byte journal left
  });
  if (result == testing::kNoPrivateMounts) GTEST_SKIP() << "no tmpfs of its own without root";
  EXPECT_EQ(result, 0);
}

TEST(SessionJournal, WithNoStateFolderTheWarningSaysWhyAndNamesNoFolder) {
  SessionRig rig;
  rig.session.SetJournalFolder("");
  rig.Command(IDM_RECORD);
  rig.Press(30);
  ASSERT_EQ(rig.screen.boxes.size(), 1u);
  EXPECT_EQ(rig.screen.boxes[0].text.find("Untitle"), std::string::npos);
  EXPECT_NE(rig.screen.boxes[0].text.find("neither XDG_STATE_HOME nor HOME"), std::string::npos);
}

TEST(SessionJournal, ARecoveredTakeIsAskedAboutBeforeTheNamedFileReplacesIt) {
  TempDir state;
  TempDir files;
  const std::string left = WriteLeftJournal(state.Path(), 300, SomeEvents(4));
  const auto named = SomeEvents(8);
  ASSERT_FALSE(SavePerformanceFile(named.data(), 8, 1297, 0, files.File("named.tgi")));

  SessionRig kept(true, files.File("named.tgi"), state.Path(),
                  {MessageAnswer::Yes, MessageAnswer::Cancel});
  EXPECT_EQ(kept.session.Events().count(), 4u);  // Cancel: the recovered take stays
  kept.session.Destroy();
  WriteLeftJournal(state.Path(), 300, SomeEvents(4));  // as a program that ended left it

  SessionRig given(true, files.File("named.tgi"), state.Path(),
                   {MessageAnswer::Yes, MessageAnswer::No});
  EXPECT_EQ(given.screen.boxes.back().text, "Do you save current change in Untitle?");
  EXPECT_TRUE(SameEvents(given.session.Events().events, named));
  EXPECT_FALSE(std::ifstream(left).good());
}

}  // namespace
}  // namespace tangrel
