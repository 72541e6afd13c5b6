// SPDX-License-Identifier: GPL-3.0-or-later
// The one WAV format the program writes, 16-bit stereo PCM: its header
// through the RIFF writer and its samples rounded through the codec. The
// render tool and the built-in synthesizer's file output both write it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tangrel::wav {

constexpr uint32_t kChannels = 2;
constexpr uint32_t kBytesPerFrame = kChannels * 2;
constexpr size_t kHeaderSize = 44;
// The most frames a WAV's 32-bit sizes can describe.
constexpr uint64_t kLongestFrames = (UINT32_MAX - 36u) / kBytesPerFrame;

// The header of a file whose data holds `frames` frames (at most
// kLongestFrames) at `rate` frames a second.
std::vector<uint8_t> Header(uint32_t rate, uint64_t frames);

// Appends `frames` frames, each sample rounded to 16 bits; samples beyond
// -1..1 are clipped (the limiter before the writers keeps them inside).
// `step` is the distance between a channel's samples: 1 for separate
// channel buffers, 2 for interleaved ones (`right` = `left` + 1).
void AppendFrames(std::vector<uint8_t>& out, const float* left, const float* right,
                  size_t frames, size_t step = 1);

}  // namespace tangrel::wav
