// The WAV writer of the render command.
#include "tools/WavFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <vector>

#include "files/PerformanceFile.h"

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

WavFile::~WavFile() {
  if (!file_) return;
  std::fclose(file_);
  std::remove(temporary_.c_str());
}

const char* WavFile::Create(const std::string& path, uint32_t rate, uint32_t frames) {
  path_ = path;
  std::string name = path + ".XXXXXX";
  int fd = mkstemp(name.data());
  if (fd < 0) return file_messages::kCannotCreate;
  temporary_ = name;
  // mkstemp makes the file private; the finished WAV gets the usual rights.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  file_ = fdopen(fd, "wb");
  if (!file_) {
    close(fd);
    std::remove(temporary_.c_str());
    return file_messages::kCannotCreate;
  }
  std::vector<uint8_t> header = Header(rate, frames);
  if (std::fwrite(header.data(), 1, header.size(), file_) != header.size()) {
    return file_messages::kCannotWrite;
  }
  return nullptr;
}

bool WavFile::Write(const float* left, const float* right, uint32_t frames) {
  std::array<uint8_t, 4096> buffer;
  size_t used = 0;
  for (uint32_t i = 0; i < frames; ++i) {
    for (int16_t sample : {ToSample(left[i]), ToSample(right[i])}) {
      buffer[used++] = static_cast<uint8_t>(sample & 0xFF);
      buffer[used++] = static_cast<uint8_t>((sample >> 8) & 0xFF);
    }
    if (used == buffer.size() || i + 1 == frames) {
      if (std::fwrite(buffer.data(), 1, used, file_) != used) return false;
      used = 0;
    }
  }
  return true;
}

const char* WavFile::Finish() {
  const bool written = std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!written || !closed || std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    std::remove(temporary_.c_str());
    return file_messages::kCannotWrite;
  }
  return nullptr;
}

}  // namespace tangrel::tool
