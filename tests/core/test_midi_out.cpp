// SPDX-License-Identifier: GPL-3.0-or-later
// MIDI output: the words sent and the Switch.
#include <gtest/gtest.h>

#include "CaptureRig.h"

using namespace tangrel;
using namespace tangrel::testing;

TEST(MidiOut, CloseSendsSixteenAllNotesOffInChannelOrderThenCloses) {
  CaptureRig rig;
  rig.Open();
  ASSERT_TRUE(CloseMidiOut(rig.out));
  std::vector<uint32_t> expected;
  for (uint32_t ch = 0; ch < 16; ++ch) expected.push_back(0xB0 | ch | (123 << 8));
  EXPECT_EQ(rig.Words(), expected);
  EXPECT_FALSE(rig.device->IsOpen());
  EXPECT_EQ(rig.settings.switchOpen, 0);
  EXPECT_FALSE(CloseMidiOut(rig.out)) << "closing a closed output does nothing";
  EXPECT_EQ(rig.device->CloseCount(), 1);
}

TEST(MidiOut, PitchBendSplitsSevenBitHalves) {
  CaptureRig rig;
  rig.Open();
  rig.settings.track = 3;
  SendPitchBend(rig.out, 3, 0);
  SendPitchBend(rig.out, 3, 8191);
  SendPitchBend(rig.out, 3, 16383);
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{0x0000E3, 0x3F7FE3, 0x7F7FE3}));
}

TEST(MidiOut, ModeOutsideTheTableSendsNoNotesButEverythingElse) {
  CaptureRig rig;
  rig.Open();
  rig.settings.mode = 1306;
  EXPECT_FALSE(SendNoteOn(rig.out, 0, 5, 0, 127));
  EXPECT_TRUE(rig.Words().empty());
  SendProgramChange(rig.out, 0, 5);
  SendPitchBend(rig.out, 0, 8192);
  SendAllNotesOff(rig.out);
  EXPECT_EQ(rig.Words().size(), 18u);
}

TEST(MidiOut, NothingIsSentWhileClosed) {
  CaptureRig rig;
  SendNoteOn(rig.out, 0, 5, 0, 127);
  SendProgramChange(rig.out, 0, 1);
  SendAllNotesOff(rig.out);
  EXPECT_TRUE(rig.Words().empty());
}

TEST(MidiOut, OpenSendsProgramChangeToTrackAndBourdonAtStartToTrackOnly) {
  CaptureRig rig;
  rig.settings.track = 2;
  rig.settings.program = 40;
  EXPECT_EQ(OpenMidiOut(rig.out, ProgramChangeTo::TrackOnly), OpenResult::Opened);
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{0x28C2}));
  rig.device->Clear();
  EXPECT_EQ(OpenMidiOut(rig.out), OpenResult::AlreadyOpen);
  EXPECT_TRUE(rig.Words().empty()) << "open while open sends nothing";
  EXPECT_EQ(rig.device->OpenCount(), 1) << "and opens nothing";
  CloseMidiOut(rig.out);
  rig.device->Clear();
  EXPECT_EQ(OpenMidiOut(rig.out), OpenResult::Opened);
  EXPECT_EQ(rig.Words(), (std::vector<uint32_t>{0x28C2, 0x28CF}));
}

TEST(MidiOut, FailedOpenLeavesTheSwitchClosed) {
  CaptureRig rig;
  rig.device->SetOpens(false);
  EXPECT_EQ(OpenMidiOut(rig.out), OpenResult::Failed);
  EXPECT_EQ(rig.settings.switchOpen, 0);
  EXPECT_TRUE(rig.Words().empty());
}

TEST(MidiOut, TheDeviceMenuStartsWithDeviceZeroWhichIsTheOneOpened) {
  CaptureRig rig;
  rig.devices.Add(std::make_unique<CaptureDevice>("Second"));
  auto items = ListMidiOutDevices(rig.devices);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].name, "Capture");
  EXPECT_EQ(items[0].command, 512);
  EXPECT_EQ(items[1].command, 513);
  EXPECT_EQ(rig.settings.deviceId, 0);
}
