// SPDX-License-Identifier: GPL-3.0-or-later
// Recording into the event list and the playback copy.
#include <gtest/gtest.h>

#include "CaptureRig.h"

using namespace tangrel;
using namespace tangrel::testing;

TEST(EventList, DelaysRunFromRecordAcrossTheClockWrap) {
  CaptureRig rig;
  rig.Open();
  rig.now = 0xFFFFFFF0u;
  StartRecording(rig.list);
  rig.Release(kS);  // held before Record: never the first event
  rig.now += 0x20;  // wraps to 0x10
  rig.Press(kA);
  rig.now += 250;
  rig.Release(kA);
  ASSERT_EQ(rig.list.count(), 2u);
  EXPECT_EQ(rig.list.events[0].delay, 0x20u);
  EXPECT_EQ(rig.list.events[1].delay, 250u);
  EXPECT_EQ(rig.list.events[0].keyData, (kA << 16) | 1);
  EXPECT_TRUE(rig.modified);
}

TEST(EventList, NKeysGiveTwoNRecordsWhoseDelaysSumToTheTake) {
  CaptureRig rig;
  rig.Open();
  StartRecording(rig.list);
  const uint32_t start = rig.now;
  for (uint32_t s : {kA, kS, kZ, kK}) {
    rig.now += 37;
    rig.Press(s);
    rig.now += 11;
    rig.Release(s);
  }
  ASSERT_EQ(rig.list.count(), 8u);
  uint32_t sum = 0;
  for (const PerformanceEvent& e : rig.list.events) sum += e.delay;
  EXPECT_EQ(sum, rig.now - start);
}

TEST(EventList, OnlyTheFirstEventSetsTheModifiedFlag) {
  CaptureRig rig;
  StartRecording(rig.list);
  AppendEvent(rig.list, WM_KEYDOWN, kA << 16, 0);
  EXPECT_TRUE(rig.modified);
  rig.modified = false;
  AppendEvent(rig.list, WM_KEYUP, kA << 16, 0);
  EXPECT_FALSE(rig.modified);
}

TEST(PlaybackCopy, ANewRecordingLeavesTheCopyUntilFinish) {
  CaptureRig rig;
  StartRecording(rig.list);
  AppendEvent(rig.list, WM_KEYDOWN, kA << 16, 0);
  AppendEvent(rig.list, WM_KEYUP, kA << 16, 0);
  PlaybackCopy copy;
  FinishRecording(rig.list, copy);
  ASSERT_TRUE(copy.events);
  ASSERT_EQ(copy.events->size(), 2u);
  PlaybackEvents first = copy.events;

  StartRecording(rig.list);
  EXPECT_EQ(rig.list.count(), 0u);
  EXPECT_EQ(copy.events, first);
  FinishRecording(rig.list, copy);
  EXPECT_FALSE(rig.list.recording);
  ASSERT_TRUE(copy.events) << "finish right after record makes an empty copy, not none";
  EXPECT_TRUE(copy.events->empty());
  EXPECT_EQ(first->size(), 2u) << "the old copy stays valid for whoever still holds it";
}
