// A 16-bit stereo WAV written as it is rendered, into a temporary file beside
// the target that replaces it only when complete.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tangrel::tool {

// The most frames a WAV's 32-bit sizes can describe in 16-bit stereo.
constexpr uint64_t kLongestWavFrames = (UINT32_MAX - 36u) / 4u;

class WavFile {
 public:
  WavFile() = default;
  ~WavFile();  // removes an unfinished temporary file
  WavFile(const WavFile&) = delete;
  WavFile& operator=(const WavFile&) = delete;

  // Starts the file; the header announces `frames` frames, which the caller
  // then writes exactly. Null on success, else a file message format.
  const char* Create(const std::string& path, uint32_t rate, uint32_t frames);
  // Samples beyond -1..1 are clipped. False when the write failed.
  bool Write(const float* left, const float* right, uint32_t frames);
  // Puts the file in place. Null on success, else a file message format.
  const char* Finish();

 private:
  std::string path_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
};

}  // namespace tangrel::tool
