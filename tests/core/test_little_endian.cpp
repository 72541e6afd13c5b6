// SPDX-License-Identifier: GPL-3.0-or-later
// The little-endian codec that every stored byte goes through.
#include <gtest/gtest.h>

#include "model/LittleEndian.h"
#include "model/PerformanceEvent.h"

using namespace tangrel;

TEST(LittleEndian, WritesLowByteFirstAndReadsItBack) {
  std::vector<uint8_t> bytes;
  le::Writer out(bytes);
  out.U16(0x0102);
  out.U32(0x03040506);
  out.I32(-2);
  out.U64(0x0708090a0b0c0d0eull);
  const std::vector<uint8_t> expected = {2, 1, 6, 5, 4, 3, 0xfe, 0xff, 0xff, 0xff,
                                         0x0e, 0x0d, 0x0c, 0x0b, 0x0a, 9, 8, 7};
  EXPECT_EQ(bytes, expected);
  le::Reader in(bytes.data(), bytes.size());
  EXPECT_EQ(in.U16(), 0x0102);
  EXPECT_EQ(in.U32(), 0x03040506u);
  EXPECT_EQ(in.I32(), -2);
  EXPECT_EQ(in.U64(), 0x0708090a0b0c0d0eull);
  EXPECT_TRUE(in.Ok());
  EXPECT_EQ(in.Left(), 0u);
}

TEST(LittleEndian, AReadPastTheEndGivesZeroAndFailsTheReader) {
  const uint8_t bytes[3] = {1, 2, 3};
  le::Reader in(bytes, sizeof bytes);
  EXPECT_EQ(in.U32(), 0u);
  EXPECT_FALSE(in.Ok());
  EXPECT_EQ(in.U8(), 0u);  // once failed, it stays failed
  EXPECT_EQ(in.Position(), 0u);
}

TEST(LittleEndian, AnEventIsItsSixteenByteRecord) {
  std::vector<uint8_t> bytes;
  le::Writer out(bytes);
  WriteEvent(out, {7, 0x100, 0x001e0001, -1});
  ASSERT_EQ(bytes.size(), kEventRecordSize);
  EXPECT_EQ(bytes[0], 7);
  EXPECT_EQ(bytes[5], 1);
  EXPECT_EQ(bytes[10], 0x1e);
  EXPECT_EQ(bytes[15], 0xff);
  le::Reader in(bytes.data(), bytes.size());
  const PerformanceEvent back = ReadEvent(in);
  EXPECT_EQ(back.keyData, 0x001e0001u);
  EXPECT_EQ(back.octaveShift, -1);
}
