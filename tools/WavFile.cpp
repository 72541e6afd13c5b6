// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV writer of the render command.
#include "tools/WavFile.h"

#include <cmath>

#include "files/Riff.h"

namespace tangrel::tool {
namespace {

using riff::MakeFourCC;

constexpr uint32_t kChannels = 2;
constexpr uint32_t kBytesPerSample = 2;

void WriteU16(riff::RiffWriter& writer, uint16_t value) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  riff::WriteBytes(writer, bytes, sizeof bytes);
}

// RIFF/WAVE, a 16-byte PCM "fmt ", then the header of "data", whose samples
// follow as they are rendered.
std::vector<uint8_t> Header(uint32_t rate, uint32_t frames) {
  riff::RiffWriter writer;
  riff::OpenForm(writer, MakeFourCC("RIFF"), MakeFourCC("WAVE"));
  riff::OpenChunk(writer, MakeFourCC("fmt "));
  WriteU16(writer, 1);  // PCM
  WriteU16(writer, kChannels);
  riff::WriteU32(writer, rate);
  riff::WriteU32(writer, rate * kChannels * kBytesPerSample);
  WriteU16(writer, kChannels * kBytesPerSample);
  WriteU16(writer, 8 * kBytesPerSample);
  riff::CloseChunk(writer);
  riff::OpenChunk(writer, MakeFourCC("data"));
  riff::CloseChunksBefore(writer, uint64_t{frames} * kChannels * kBytesPerSample);
  return std::move(writer.bytes);
}

int16_t ToSample(float value) {
  const float clipped = value < -1.0f ? -1.0f : value > 1.0f ? 1.0f : value;
  return static_cast<int16_t>(std::lround(clipped * 32767.0f));
}

}  // namespace

bool WavFile::WriteHeader(uint32_t rate, uint32_t frames) {
  const std::vector<uint8_t> header = Header(rate, frames);
  return out_.Write(header.data(), header.size());
}

bool WavFile::Write(const float* left, const float* right, uint32_t frames) {
  buffer_.clear();
  buffer_.reserve(size_t{frames} * kChannels * kBytesPerSample);
  for (uint32_t i = 0; i < frames; ++i) {
    for (int16_t sample : {ToSample(left[i]), ToSample(right[i])}) {
      buffer_.push_back(static_cast<uint8_t>(sample & 0xFF));
      buffer_.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
    }
  }
  return out_.Write(buffer_.data(), buffer_.size());
}

}  // namespace tangrel::tool
