// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV header and its samples.
#include "model/WavFormat.h"

#include <cmath>
#include <utility>

#include "model/LittleEndian.h"
#include "model/RiffWriter.h"

namespace tangrel::wav {
namespace {

using riff::MakeFourCC;

constexpr uint16_t kPcm = 1;
constexpr uint16_t kBitsPerSample = 16;

int16_t ToSample(float value) {
  const float clipped = value < -1.0f ? -1.0f : value > 1.0f ? 1.0f : value;
  return static_cast<int16_t>(std::lround(clipped * 32767.0f));
}

}  // namespace

// RIFF/WAVE, a 16-byte PCM "fmt ", then the header of "data", whose samples
// follow.
std::vector<uint8_t> Header(uint32_t rate, uint64_t frames) {
  riff::RiffWriter writer;
  riff::OpenForm(writer, MakeFourCC("RIFF"), MakeFourCC("WAVE"));
  riff::OpenChunk(writer, MakeFourCC("fmt "));
  riff::WriteU16(writer, kPcm);
  riff::WriteU16(writer, kChannels);
  riff::WriteU32(writer, rate);
  riff::WriteU32(writer, rate * kBytesPerFrame);
  riff::WriteU16(writer, kBytesPerFrame);
  riff::WriteU16(writer, kBitsPerSample);
  riff::CloseChunk(writer);
  riff::OpenChunk(writer, MakeFourCC("data"));
  riff::CloseChunksBefore(writer, frames * kBytesPerFrame);
  return std::move(writer.bytes);
}

void AppendFrames(std::vector<uint8_t>& out, const float* left, const float* right,
                  size_t frames, size_t step) {
  out.reserve(out.size() + frames * kBytesPerFrame);
  le::Writer writer(out);
  for (size_t i = 0; i < frames; ++i) {
    writer.I16(ToSample(left[i * step]));
    writer.I16(ToSample(right[i * step]));
  }
}

}  // namespace tangrel::wav
