// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV format both writers share: reference header bytes and rounded,
// clipped samples, the same from separate and interleaved channels.
#include <gtest/gtest.h>

#include <vector>

#include "model/WavFormat.h"

using namespace tangrel;

TEST(WavFormat, TheHeaderOfOneSecondAt48kHzIsTheseFortyFourBytes) {
  const std::vector<uint8_t> expected = {
      'R', 'I', 'F', 'F', 0x24, 0xEE, 0x02, 0x00, 'W', 'A', 'V', 'E',  // 36 + 192000
      'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0,                      // PCM, stereo
      0x80, 0xBB, 0, 0, 0x00, 0xEE, 0x02, 0, 4, 0, 16, 0,               // 48000, 192000 B/s
      'd', 'a', 't', 'a', 0x00, 0xEE, 0x02, 0x00};
  EXPECT_EQ(wav::Header(48000, 48000), expected);
}

TEST(WavFormat, SamplesAreRoundedAndClippedAlikeFromEitherLayout) {
  const std::vector<float> left = {0.5f, 1.5f, 0.1f}, right = {-0.5f, -1.5f, -0.00002f};
  const std::vector<float> interleaved = {0.5f, -0.5f, 1.5f, -1.5f, 0.1f, -0.00002f};
  std::vector<uint8_t> planar, mixed;
  wav::AppendFrames(planar, left.data(), right.data(), 3);
  wav::AppendFrames(mixed, interleaved.data(), interleaved.data() + 1, 3, 2);
  // 16383.5 rounds to 16384 (0x4000), 3276.7 to 3277, -0.655 to -1.
  const std::vector<uint8_t> expected = {0x00, 0x40, 0x00, 0xC0, 0xFF, 0x7F, 0x01, 0x80,
                                         0xCD, 0x0C, 0xFF, 0xFF};
  EXPECT_EQ(planar, expected);
  EXPECT_EQ(mixed, expected);
}
