// SPDX-License-Identifier: GPL-3.0-or-later
// The soft limiter and the limited synthesizer.
#include "devices/SoftLimiter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tangrel {
namespace {

// Held for 25 ms, the period of a 40 Hz bass note; then it falls by 1/e in
// 150 ms, slowly enough that a loud chord's release does not pump.
constexpr double kHoldSeconds = 0.025;
constexpr double kReleaseSeconds = 0.150;

// Far below the last bit of 16-bit sound.
constexpr float kSilence = 1e-6f;
constexpr double kRestAfterSeconds = 1.0;

}  // namespace

SoftLimiter::SoftLimiter(double sampleRate)
    : holdFrames_(static_cast<int>(kHoldSeconds * sampleRate)),
      release_(static_cast<float>(std::exp(-1.0 / (kReleaseSeconds * sampleRate)))) {}

// Output peak over input peak: 1 up to the knee, then a tanh bend that meets
// the straight line with the same slope and approaches the ceiling.
float SoftLimiter::Gain(float envelope) const {
  if (envelope <= kKnee) return 1.0f;
  const float room = kCeiling - kKnee;
  return (kKnee + room * std::tanh((envelope - kKnee) / room)) / envelope;
}

float SoftLimiter::Process(float* left, float* right, int frames, int stride) {
  float loudest = 0.0f;
  for (int i = 0; i < frames; ++i) {
    float& l = left[i * stride];
    float& r = right[i * stride];
    const float peak = std::max(std::fabs(l), std::fabs(r));
    loudest = std::max(loudest, peak);
    if (peak >= envelope_) {
      envelope_ = peak;
      holdLeft_ = holdFrames_;
    } else if (holdLeft_ > 0) {
      --holdLeft_;
    } else {
      envelope_ *= release_;
    }
    // The envelope is never below this frame's peak, so the output stays
    // under the ceiling whatever comes in.
    const float gain = Gain(envelope_);
    l *= gain;
    r *= gain;
  }
  return loudest;
}

LimitedSynth::LimitedSynth(SynthEngine& engine)
    : engine_(engine),
      limiter_(engine.SampleRate()),
      messagesSeen_(engine.MessagesSent()),
      restAfterFrames_(static_cast<int64_t>(kRestAfterSeconds * engine.SampleRate())) {}

void LimitedSynth::RenderInterleaved(float* frames, int count) {
  Render(frames, frames + 1, count, 2);
}

void LimitedSynth::RenderPlanar(float* left, float* right, int count) {
  Render(left, right, count, 1);
}

void LimitedSynth::Render(float* left, float* right, int count, int stride) {
  const uint32_t messages = engine_.MessagesSent();
  if (messages != messagesSeen_) {
    messagesSeen_ = messages;
    quietFrames_ = 0;
  } else if (quietFrames_ >= restAfterFrames_) {
    if (stride == 1) {
      std::memset(left, 0, sizeof(float) * size_t(count));
      std::memset(right, 0, sizeof(float) * size_t(count));
    } else {
      std::memset(left, 0, sizeof(float) * size_t(count) * 2);
    }
    return;
  }
  fluid_synth_write_float(engine_.Synth(), count, left, 0, stride, right, 0, stride);
  const float peak = limiter_.Process(left, right, count, stride);
  quietFrames_ = peak < kSilence ? quietFrames_ + count : 0;
}

}  // namespace tangrel
