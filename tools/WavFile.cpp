// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV writer of the render command.
#include "tools/WavFile.h"

namespace tangrel::tool {

bool WavFile::WriteHeader(uint32_t rate, uint32_t frames) {
  const std::vector<uint8_t> header = wav::Header(rate, frames);
  return out_.Write(header.data(), header.size());
}

bool WavFile::Write(const float* left, const float* right, uint32_t frames) {
  buffer_.clear();
  wav::AppendFrames(buffer_, left, right, frames);
  return out_.Write(buffer_.data(), buffer_.size());
}

}  // namespace tangrel::tool
