// SPDX-License-Identifier: GPL-3.0-or-later
// Live playing: chords, the bourdon voice, recording, replay and the stuck-note mends.
#include <gtest/gtest.h>

#include "CaptureRig.h"

using namespace tangrel;
using namespace tangrel::testing;

TEST(LivePlaying, ShiftRaisesTheWholeChordUntilItsLastKeyIsReleased) {
  CaptureRig rig;
  rig.Open();
  rig.Press(kA, kShift);
  rig.Press(kS);  // joins the raised chord without Shift
  rig.Release(kA);
  rig.Release(kS);
  rig.Press(kS);
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{NoteOn(0, 72), NoteOn(0, 74), NoteOff(0, 72),
                                                NoteOff(0, 74), NoteOn(0, 62)}));
  ASSERT_GE(rig.view.drawn.size(), 2u);
  EXPECT_EQ(rig.view.drawn[0].shift, 1);
  EXPECT_EQ(rig.view.drawn[1].shift, 1);
}

TEST(LivePlaying, ShiftWinsOverCtrlAndLaterModifiersDoNotChangeTheChord) {
  CaptureRig rig;
  rig.Open();
  rig.Press(kA, {true, true});
  rig.Press(kK, kCtrl);
  rig.Release(kA);
  rig.Release(kK);
  rig.Press(kA, kCtrl);
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{NoteOn(0, 72), NoteOn(0, 84), NoteOff(0, 72),
                                                NoteOff(0, 84), NoteOn(0, 48)}));
  EXPECT_EQ(rig.view.drawn.back().shift, -1);
}

// Marked or not: a press of a key that is down never strikes again, and the
// chord keeps the shift its first press had.
TEST(LivePlaying, AutoRepeatSoundsOnceAndIsRecordedOnce) {
  CaptureRig rig;
  rig.Open();
  StartRecording(rig.list);
  rig.Press(kA, kShift);
  for (int i = 0; i < 5; ++i) rig.Press(kA, {}, i % 2 ? kKeyDataRepeatBit : 0);
  rig.Release(kA);
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{NoteOn(0, 72), NoteOff(0, 72)}));
  ASSERT_EQ(rig.list.count(), 2u);
  EXPECT_EQ(rig.list.events[0].message, WM_KEYDOWN);
  EXPECT_EQ(rig.list.events[1].message, WM_KEYUP);
  rig.device->Clear();
  rig.Press(kA);  // released: a new stroke
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{NoteOn(0, 60)}));
}

TEST(LivePlaying, BourdonDoublesAnOctaveLowerOnChannel15) {
  CaptureRig rig;
  rig.Open();
  rig.settings.bourdon = 1;
  rig.settings.velocity = 90;
  rig.Press(kA);
  rig.Release(kA);
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{NoteOn(0, 60, 90), NoteOn(15, 48, 90),
                                                NoteOff(0, 60), NoteOff(15, 48)}));
}

TEST(LivePlaying, KeyUpSilencesExactlyWhatItsKeyDownStarted) {
  CaptureRig rig;
  rig.Open();
  rig.settings.bourdon = 1;
  rig.Press(kA);
  rig.settings.mode = 1298;  // " D Major"
  rig.settings.track = 4;
  rig.settings.bourdon = 0;
  rig.Release(kA);
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{NoteOn(0, 60), NoteOn(15, 48), NoteOff(0, 60),
                                                NoteOff(15, 48)}));
}

TEST(LivePlaying, EscSilencesEverythingAndAReleaseAfterItTakesNoCounterBelowZero) {
  CaptureRig rig;
  rig.Open();
  rig.Press(kA, kShift);
  SilenceEverything(rig.live, rig.ctx);
  EXPECT_EQ(rig.view.allReleased, 1);
  EXPECT_EQ(rig.Words().size(), 17u);  // note on, then 16 all notes off
  EXPECT_EQ(rig.live.chord.heldRaised, 0);
  rig.device->Clear();
  rig.Release(kA);  // already silenced: nothing more to send
  EXPECT_TRUE(rig.Words().empty());
  EXPECT_EQ(rig.live.chord.heldRaised, 0);
  rig.Press(kS, kCtrl);  // starts a new chord rather than joining a stale one
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{NoteOn(0, 50)}));
}

TEST(LivePlaying, KeysWithoutANoteDoNothingAtAll) {
  CaptureRig rig;
  rig.Open();
  StartRecording(rig.list);
  for (uint32_t s : {0u, 1u, 14u, 28u, 42u, 54u, 72u, 255u}) {
    rig.Press(s, kShift);
    rig.Release(s);
  }
  EXPECT_TRUE(rig.Words().empty());
  EXPECT_TRUE(rig.view.drawn.empty());
  EXPECT_EQ(rig.list.count(), 0u);
  rig.Press(kA);  // still no chord in progress: plain
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{NoteOn(0, 60)}));
}

TEST(LivePlaying, AModeOutsideTheTableStillRecordsAndDraws) {
  CaptureRig rig;
  rig.Open();
  rig.settings.mode = 1322;
  StartRecording(rig.list);
  rig.Press(kZ);
  EXPECT_TRUE(rig.Words().empty());
  EXPECT_EQ(rig.list.count(), 1u);
  ASSERT_EQ(rig.view.drawn.size(), 1u);
  EXPECT_TRUE(rig.view.drawn[0].pressed);
}

TEST(LivePlaying, FocusLossReleasesHeldKeysAsIfTheirKeyUpsArrived) {
  CaptureRig rig;
  rig.Open();
  StartRecording(rig.list);
  rig.Press(kA, kShift);
  rig.Press(kSlash);
  ReleaseHeldKeys(rig.live, rig.ctx);
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{NoteOn(0, 72), NoteOn(0, 88), NoteOff(0, 72),
                                                NoteOff(0, 88)}));
  ASSERT_EQ(rig.list.count(), 4u);
  EXPECT_EQ(rig.list.events[2].message, WM_KEYUP);
  EXPECT_EQ(ScanCodeOf(rig.list.events[2].keyData), kA);
  EXPECT_EQ(rig.list.events[2].keyData >> 30, 3u);
  EXPECT_FALSE(rig.view.drawn.back().pressed);
  rig.device->Clear();
  rig.Press(kS);  // the chord ended with the release
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{NoteOn(0, 62)}));
}

TEST(Replay, UsesTheRecordedShiftAndSilencesWhatItStarted) {
  CaptureRig rig;
  rig.Open();
  rig.settings.bourdon = 1;
  ReplayEvent(rig.live, rig.ctx, WM_KEYDOWN, kA << 16, -1);
  rig.settings.mode = 1303;
  ReplayEvent(rig.live, rig.ctx, WM_KEYUP, kA << 16, -1);
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{NoteOn(0, 48), NoteOn(15, 36), NoteOff(0, 48),
                                                NoteOff(15, 36)}));
  ASSERT_EQ(rig.view.drawn.size(), 2u);
  EXPECT_EQ(rig.view.drawn[0].shift, -1);
  EXPECT_FALSE(rig.view.drawn[1].pressed);
  EXPECT_EQ(rig.live.chord.heldLowered, 0) << "replay leaves the chord alone";
}

TEST(Replay, SkipsKeysWithoutNotesAndNotesOutsideTheMidiRange) {
  CaptureRig rig;
  rig.Open();
  ReplayEvent(rig.live, rig.ctx, WM_KEYDOWN, 60u << 16, 0);
  ReplayEvent(rig.live, rig.ctx, WM_KEYDOWN, 1u << 16, 0);
  ReplayEvent(rig.live, rig.ctx, WM_KEYDOWN, kA << 16, 7);  // shifts only a damaged file holds
  // The farthest shifts a loaded take holds (a load brings any other there).
  ReplayEvent(rig.live, rig.ctx, WM_KEYDOWN, kA << 16, 11);
  ReplayEvent(rig.live, rig.ctx, WM_KEYUP, kA << 16, -11);
  EXPECT_TRUE(rig.Words().empty());
}
