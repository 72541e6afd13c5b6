// The WAV writer of the render command.
#include "tools/WavFile.h"

#include <cmath>

namespace tangrel::tool {
namespace {

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

// The canonical 44-byte header: RIFF/WAVE, a 16-byte PCM "fmt ", then "data".
std::vector<uint8_t> Header(uint32_t rate, uint32_t frames) {
  constexpr uint32_t kChannels = 2, kBytesPerSample = 2;
  const uint32_t dataBytes = frames * kChannels * kBytesPerSample;
  std::vector<uint8_t> h;
  PutTag(h, "RIFF");
  PutLittleEndian(h, 36 + dataBytes, 4);
  PutTag(h, "WAVE");
  PutTag(h, "fmt ");
  PutLittleEndian(h, 16, 4);
  PutLittleEndian(h, 1, 2);  // PCM
  PutLittleEndian(h, kChannels, 2);
  PutLittleEndian(h, rate, 4);
  PutLittleEndian(h, rate * kChannels * kBytesPerSample, 4);
  PutLittleEndian(h, kChannels * kBytesPerSample, 2);
  PutLittleEndian(h, 8 * kBytesPerSample, 2);
  PutTag(h, "data");
  PutLittleEndian(h, dataBytes, 4);
  return h;
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
  buffer_.reserve(size_t{frames} * 4);
  for (uint32_t i = 0; i < frames; ++i) {
    for (int16_t sample : {ToSample(left[i]), ToSample(right[i])}) {
      buffer_.push_back(static_cast<uint8_t>(sample & 0xFF));
      buffer_.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
    }
  }
  return out_.Write(buffer_.data(), buffer_.size());
}

}  // namespace tangrel::tool
