// SPDX-License-Identifier: GPL-3.0-or-later
// A 16-bit stereo WAV written as it is rendered, into a FileWriter that puts
// it in place only when complete.
#pragma once

#include <cstdint>
#include <vector>

#include "files/SafeWrite.h"
#include "model/WavFormat.h"

namespace tangrel::tool {

class WavFile {
 public:
  explicit WavFile(FileWriter& out) : out_(out) {}

  // The header announces `frames` frames (at most wav::kLongestFrames), which
  // the caller then writes exactly. False when the write failed.
  bool WriteHeader(uint32_t rate, uint32_t frames);
  // False when the write failed.
  bool Write(const float* left, const float* right, uint32_t frames);

 private:
  FileWriter& out_;
  std::vector<uint8_t> buffer_;
};

}  // namespace tangrel::tool
