// Small audio helpers for the sound tests: reading 16-bit WAV files, pitch by
// the YIN difference function, loudness, and MIDI note <-> frequency.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace tangrel::testing {

struct MonoAudio {
  std::vector<float> samples;
  double sampleRate = 0;
};

inline double NoteFrequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }
inline double Cents(double frequency, double reference) {
  return 1200.0 * std::log2(frequency / reference);
}

// Reads a 16-bit PCM WAV file mixed down to mono. The data chunk is read to the
// end of the file, so a file whose writer never fixed up its sizes still reads.
inline std::optional<MonoAudio> ReadWav16(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0) return std::nullopt;
  auto u32 = [&](size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
  };
  auto u16 = [&](size_t at) { return uint16_t(bytes[at] | bytes[at + 1] << 8); };
  int channels = 0, bits = 0;
  MonoAudio audio;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const uint32_t size = u32(at + 4);
    if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && at + 24 <= bytes.size()) {
      channels = u16(at + 10);
      audio.sampleRate = u32(at + 12);
      bits = u16(at + 22);
    } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
      if (channels <= 0 || bits != 16) return std::nullopt;
      const size_t frameBytes = 2 * static_cast<size_t>(channels);
      for (size_t f = at + 8; f + frameBytes <= bytes.size(); f += frameBytes) {
        float sum = 0;
        for (int c = 0; c < channels; ++c) sum += int16_t(u16(f + 2 * c)) / 32768.0f;
        audio.samples.push_back(sum / channels);
      }
      return audio;
    }
    at += 8 + size + (size & 1);
  }
  return std::nullopt;
}

inline double Rms(const float* samples, size_t count) {
  double sum = 0;
  for (size_t i = 0; i < count; ++i) sum += double(samples[i]) * samples[i];
  return count ? std::sqrt(sum / count) : 0.0;
}

// Fundamental frequency of a steady tone by the YIN cumulative mean normalised
// difference, which avoids the octave errors of plain autocorrelation. Nothing
// when no period in 40..1500 Hz is clear.
inline std::optional<double> EstimatePitch(const float* x, size_t count, double sampleRate) {
  const size_t minLag = static_cast<size_t>(sampleRate / 1500.0);
  const size_t maxLag = static_cast<size_t>(sampleRate / 40.0);
  if (count < 2 * maxLag) return std::nullopt;
  const size_t window = count - maxLag;
  std::vector<double> d(maxLag + 1, 0.0);
  for (size_t lag = 1; lag <= maxLag; ++lag) {
    double sum = 0;
    for (size_t i = 0; i < window; ++i) {
      const double diff = double(x[i]) - x[i + lag];
      sum += diff * diff;
    }
    d[lag] = sum;
  }
  double running = 0;
  std::vector<double> cmnd(maxLag + 1, 1.0);
  for (size_t lag = 1; lag <= maxLag; ++lag) {
    running += d[lag];
    cmnd[lag] = running > 0 ? d[lag] * lag / running : 1.0;
  }
  for (size_t lag = minLag; lag < maxLag; ++lag) {
    if (cmnd[lag] < 0.2) {
      while (lag + 1 < maxLag && cmnd[lag + 1] < cmnd[lag]) ++lag;
      // Parabolic interpolation around the dip for a sub-sample period.
      const double a = cmnd[lag - 1], b = cmnd[lag], c = cmnd[lag + 1];
      const double denom = a - 2 * b + c;
      const double shift = denom != 0 ? 0.5 * (a - c) / denom : 0.0;
      return sampleRate / (lag + shift);
    }
  }
  return std::nullopt;
}

// Starts of the sounding stretches: 10 ms frames whose level rises above
// `threshold` after at least `quietFrames` frames below a third of it.
inline std::vector<size_t> FindOnsets(const MonoAudio& audio, double threshold, int quietFrames) {
  const size_t frame = static_cast<size_t>(audio.sampleRate / 100);
  std::vector<size_t> onsets;
  int quiet = quietFrames;
  for (size_t at = 0; at + frame <= audio.samples.size(); at += frame) {
    const double level = Rms(&audio.samples[at], frame);
    if (level > threshold && quiet >= quietFrames) onsets.push_back(at);
    quiet = level < threshold / 3 ? quiet + 1 : 0;
  }
  return onsets;
}

}  // namespace tangrel::testing
