// Record, Finish, Play, Circle play and End Play through the window's buttons,
// with the real playback scheduler and the capture device.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "WindowHarness.h"
#include "ui/CommandIds.h"

namespace tangrel::test {
namespace {

using std::chrono::milliseconds;

// Runs the event loop until `done` holds or the timeout passes.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
  const auto end = std::chrono::steady_clock::now() + milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QTest::qWait(5);
  }
  return true;
}

bool IsNoteOn(uint32_t word) { return (word & 0xF0) == 0x90; }
bool IsNote(uint32_t word) { return (word & 0xE0) == 0x80; }

struct CommandHarness : Harness {
  using Harness::Harness;

  QPushButton* ButtonOf(int id) const { return window->Button(id); }
  void Click(int id) { QTest::mouseClick(ButtonOf(id), Qt::LeftButton); }
  // Which of Record, Finish, Play, Circle play, End Play are enabled.
  std::vector<bool> Enabled() const {
    std::vector<bool> on;
    for (int id = IDM_RECORD; id <= IDM_END_PLAY; ++id) on.push_back(ButtonOf(id)->isEnabled());
    return on;
  }
  // Records A, S, A released, S released with some space between them.
  void RecordTake(int gapMs) {
    Click(IDM_RECORD);
    Press(kScanA);
    QTest::qWait(gapMs);
    Press(kScanS);
    QTest::qWait(gapMs);
    Release(kScanA);
    QTest::qWait(gapMs);
    Release(kScanS);
    Click(IDM_END_RECORD);
  }
  size_t NoteOnCount() const {
    const auto words = Words();
    return static_cast<size_t>(std::count_if(words.begin(), words.end(), IsNoteOn));
  }
};

const std::vector<bool> kStopped = {true, false, true, true, false};
const std::vector<bool> kPlaying = {false, false, false, false, true};

TEST(WindowButtons, PlacedInOneRowWithoutFocusAndOnlyRecordEnabledAtStart) {
  CommandHarness h;
  const WindowLayout layout = ComputeLayout(800, 600, h.window->CharWidth(), h.window->CharHeight());
  const char* texts[] = {"Record", "Finish", "Play", "Circle play", "End Play"};
  for (int i = 0; i < kButtonCount; ++i) {
    QPushButton* b = h.ButtonOf(IDM_RECORD + i);
    EXPECT_EQ(b->text(), QString::fromLatin1(texts[i]));
    EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
    const PixelRect& r = layout.buttons[i];
    EXPECT_EQ(b->geometry(), QRect(r.x, r.y, r.width, r.height));
  }
  EXPECT_EQ(h.Enabled(), (std::vector<bool>{true, false, false, false, false}));
}

TEST(WindowButtons, RecordAndPlayWithTheOutputClosedAskForTheSwitch) {
  CommandHarness h;
  h.RecordTake(10);
  h.window->OnCommand(IDM_SWITCH_CLOSE);
  const auto before = h.Enabled();
  for (int id : {IDM_RECORD, IDM_PLAY, IDM_CIRCLE_PLAY}) h.Click(id);
  ASSERT_EQ(h.messages.shown.size(), 3u);
  for (const ShownMessage& m : h.messages.shown) {
    EXPECT_EQ(m.text, QStringLiteral("Please Open Switch"));
    EXPECT_EQ(m.caption, QStringLiteral("Zazu"));
    EXPECT_EQ(m.icon, MessageIcon::None);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
  }
  EXPECT_EQ(h.Enabled(), before);
  EXPECT_FALSE(h.window->Events().recording);
}

TEST(WindowButtons, ARecordedTakePlaysBackWithItsTimingAndEndsByItself) {
  CommandHarness h;
  h.RecordTake(120);
  EXPECT_EQ(h.Enabled(), kStopped);
  EXPECT_TRUE(h.window->Modified());
  const std::vector<PerformanceEvent> take = h.window->Events().events;
  ASSERT_EQ(take.size(), 4u);

  h.device->Clear();
  h.Click(IDM_PLAY);
  EXPECT_EQ(h.Enabled(), kPlaying);
  ASSERT_TRUE(WaitFor([&] { return h.ButtonOf(IDM_RECORD)->isEnabled(); }));
  EXPECT_EQ(h.Enabled(), kStopped);

  const auto captured = h.device->Captured();
  std::vector<CapturedWord> notes;
  std::copy_if(captured.begin(), captured.end(), std::back_inserter(notes),
               [](const CapturedWord& c) { return IsNote(c.word); });
  ASSERT_EQ(notes.size(), 4u);
  EXPECT_EQ(notes[0].word, NoteOn(60));
  EXPECT_EQ(notes[1].word, NoteOn(62));
  EXPECT_EQ(notes[2].word, NoteOff(60));
  EXPECT_EQ(notes[3].word, NoteOff(62));
  for (size_t i = 1; i < notes.size(); ++i) {
    const auto gap = std::chrono::duration_cast<milliseconds>(notes[i].time - notes[i - 1].time);
    EXPECT_GE(gap.count(), static_cast<long>(take[i].delay) - 10) << "gap " << i;
    EXPECT_LE(gap.count(), static_cast<long>(take[i].delay) + 80) << "gap " << i;
  }
  // End Play at the end silences every channel after the last note.
  EXPECT_EQ(captured.back().word, 0xB0u | 15 | (123u << 8));
}

TEST(WindowButtons, CirclePlayLoopsUntilEndPlayAndNothingSoundsAfterIt) {
  CommandHarness h;
  h.RecordTake(15);
  h.device->Clear();
  h.Click(IDM_CIRCLE_PLAY);
  ASSERT_TRUE(WaitFor([&] { return h.NoteOnCount() >= 6; }));  // three passes
  EXPECT_EQ(h.Enabled(), kPlaying);
  h.Click(IDM_END_PLAY);
  EXPECT_EQ(h.Enabled(), kStopped);
  const size_t afterEnd = h.Words().size();
  QTest::qWait(200);
  EXPECT_EQ(h.Words().size(), afterEnd);
  EXPECT_EQ(h.CapColour(kScanA), Harness::StripColour(0));
}

TEST(WindowButtons, EventsHandedOverButNotYetReplayedAreDroppedByEndPlay) {
  CommandHarness h;
  h.RecordTake(10);
  h.device->Clear();
  h.Click(IDM_CIRCLE_PLAY);
  // Keep the UI thread busy while the scheduler hands events over.
  std::this_thread::sleep_for(milliseconds(150));
  h.window->OnCommand(IDM_END_PLAY);
  QTest::qWait(100);  // the queued hand-overs are delivered now
  const auto words = h.Words();
  ASSERT_GE(words.size(), 16u);
  // Only the all-notes-off of End Play reached the device.
  EXPECT_TRUE(std::none_of(words.begin(), words.end(), IsNote));
  EXPECT_EQ(h.Enabled(), kStopped);
}

TEST(WindowButtons, FinishingAnEmptyTakeLeavesNothingToPlayAndNothingUnsaved) {
  CommandHarness h;
  h.Click(IDM_RECORD);
  EXPECT_EQ(h.Enabled(), (std::vector<bool>{false, true, false, false, false}));
  EXPECT_TRUE(h.window->Events().recording);
  h.Click(IDM_END_RECORD);
  EXPECT_EQ(h.Enabled(), (std::vector<bool>{true, false, false, false, false}));
  EXPECT_FALSE(h.window->Modified());
  EXPECT_FALSE(h.window->Events().recording);
}

TEST(WindowButtons, ClosingTheOutputDuringPlaybackSkipsEventsButTheEndStillComes) {
  CommandHarness h;
  h.RecordTake(60);
  h.Click(IDM_PLAY);
  h.window->OnCommand(IDM_SWITCH_CLOSE);
  h.device->Clear();
  ASSERT_TRUE(WaitFor([&] { return h.ButtonOf(IDM_RECORD)->isEnabled(); }));
  EXPECT_TRUE(h.Words().empty());
}

TEST(WindowButtons, AKeyPressedRightAfterAClickPlays) {
  CommandHarness h;
  QApplication::setActiveWindow(h.window.get());
  h.window->setFocus();
  ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == h.window.get(); }, 1000));
  h.Click(IDM_RECORD);
  EXPECT_EQ(QApplication::focusWidget(), h.window.get());
  QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, kScanA + kNativeOffset, 0, 0);
  QApplication::sendEvent(QApplication::focusWidget(), &press);
  EXPECT_EQ(h.Words(), (std::vector<uint32_t>{NoteOn(60)}));
  EXPECT_EQ(h.window->Events().count(), 1u);
}

}  // namespace
}  // namespace tangrel::test
