// SPDX-License-Identifier: GPL-3.0-or-later
// The recording journal on disk: its bytes, the takes left behind (newest
// first, a held one never), a cut at any byte of the last record, and the
// session around it: what keeps a journal, what throws it away, recovery at
// start and Record asking before it discards a take.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "SessionRig.h"
#include "files/PerformanceFile.h"
#include "recording/RecordingJournal.h"
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

// A journal as a program that has ended would have left it.
std::string WriteLeftJournal(const std::string& folder, uint64_t startedMs,
                             const std::vector<PerformanceEvent>& events, size_t cutBytes = 0,
                             int32_t mode = 1300, int32_t bourdon = 1) {
  std::vector<uint8_t> bytes = JournalHeaderBytes({999999, mode, bourdon, startedMs});
  const auto* raw = reinterpret_cast<const uint8_t*>(events.data());
  bytes.insert(bytes.end(), raw, raw + events.size() * sizeof(PerformanceEvent));
  bytes.resize(bytes.size() - cutBytes);
  const std::string path = folder + "/take-" + std::to_string(startedMs) + kJournalSuffix;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  return path;
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
    const auto takes = FindLeftTakes(dir.Path());
    ASSERT_EQ(takes.size(), 1u);
    EXPECT_TRUE(SameEvents(takes[0].events, {events.begin(), events.end() - 1}));
  }
}

TEST(RecordingJournal, LeftTakesComeNewestFirstAndAHeldOrEmptyOneNever) {
  TempDir dir;
  WriteLeftJournal(dir.Path(), 200, SomeEvents(2));
  WriteLeftJournal(dir.Path(), 300, SomeEvents(4));
  const std::string held = WriteLeftJournal(dir.Path(), 400, SomeEvents(1));
  const std::string empty = WriteLeftJournal(dir.Path(), 500, SomeEvents(1), 12);
  const std::string unreadable = WriteLeftJournal(dir.Path(), 600, SomeEvents(1), 20);
  const int fd = open(held.c_str(), O_RDONLY);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);  // as the program still recording it holds it

  const auto takes = FindLeftTakes(dir.Path());
  ASSERT_EQ(takes.size(), 2u);
  EXPECT_EQ(takes[0].header.startedMs, 300u);
  EXPECT_EQ(takes[0].Notes(), 2u);
  EXPECT_EQ(takes[0].DurationMs(), 5u + 15 + 25 + 35);
  EXPECT_EQ(takes[1].header.startedMs, 200u);
  EXPECT_FALSE(std::ifstream(empty).good());  // nothing whole in it: removed
  EXPECT_TRUE(std::ifstream(unreadable).good());  // cut in its header: left alone
  close(fd);
  EXPECT_EQ(FindLeftTakes(dir.Path()).size(), 3u);
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
  const auto events = SomeEvents(6);
  // Cut inside its last record by the crash: five whole events, three notes.
  const std::string path = WriteLeftJournal(state.Path(), 1'765'000'000'000, events, 7);
  SessionRig rig(true, {}, state.Path(), {MessageAnswer::Yes});
  ASSERT_EQ(rig.screen.boxes.size(), 1u);
  const std::string& question = rig.screen.boxes[0].text;
  EXPECT_EQ(question.rfind("Recover the take recorded at ", 0), 0u) << question;
  EXPECT_NE(question.find(", 0 min 0 s, 3 notes?"), std::string::npos) << question;
  EXPECT_EQ(rig.screen.boxes[0].buttons, MessageButtons::YesNoCancel);

  EXPECT_TRUE(SameEvents(rig.session.Events().events, {events.begin(), events.end() - 1}));
  EXPECT_EQ(rig.session.Settings().mode, 1300);
  EXPECT_TRUE(rig.screen.Checked(1300));
  EXPECT_TRUE(rig.screen.Checked(IDM_BOURDON));
  EXPECT_EQ(rig.screen.caption, "Tangrel - [Untitle]");
  EXPECT_TRUE(rig.screen.Enabled(IDM_SAVE));
  EXPECT_TRUE(rig.session.State().modified);
  // Held as this take's journal, cut to its whole events.
  EXPECT_EQ(rig.session.Journal().Path(), path);
  EXPECT_EQ(ReadBytes(path).size(), kJournalHeaderSize + 5 * 16);

  TempDir files;
  rig.screen.files.push_back(ChosenFile{files.File("back.tgi"), "back.tgi"});
  rig.Command(IDM_SAVE);
  EXPECT_FALSE(std::ifstream(path).good());
}

TEST(SessionJournal, NoDeletesALeftTakeLaterKeepsItAndTheNamedFileStillLoads) {
  TempDir state;
  TempDir files;
  const std::string older = WriteLeftJournal(state.Path(), 200, SomeEvents(2));
  const std::string newer = WriteLeftJournal(state.Path(), 300, SomeEvents(4));
  const auto named = SomeEvents(8);
  ASSERT_FALSE(SavePerformanceFile(named.data(), 8, 1297, 0, files.File("named.tgi")));

  SessionRig rig(true, files.File("named.tgi"), state.Path(),
                 {MessageAnswer::Cancel, MessageAnswer::No});
  ASSERT_EQ(rig.screen.boxes.size(), 2u);
  EXPECT_NE(rig.screen.boxes[0].text.find("2 notes"), std::string::npos);  // newest first
  EXPECT_NE(rig.screen.boxes[1].text.find("1 notes"), std::string::npos);
  EXPECT_TRUE(std::ifstream(newer).good());  // later: kept for the next start
  EXPECT_FALSE(std::ifstream(older).good());
  EXPECT_TRUE(SameEvents(rig.session.Events().events, named));
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
