// The soft limiter and the limited synthesizer.
#include "engine/SoftLimiter.h"

#include <algorithm>
#include <cmath>

namespace tangrel {
namespace {

// Held for 25 ms, the period of a 40 Hz bass note; then it falls by 1/e in
// 150 ms, slowly enough that a loud chord's release does not pump.
constexpr double kHoldSeconds = 0.025;
constexpr double kReleaseSeconds = 0.150;

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

void SoftLimiter::Process(float* left, float* right, int frames, int stride) {
  for (int i = 0; i < frames; ++i) {
    float& l = left[i * stride];
    float& r = right[i * stride];
    const float peak = std::max(std::fabs(l), std::fabs(r));
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
}

void LimitedSynth::RenderInterleaved(float* frames, int count) {
  fluid_synth_write_float(synth_, count, frames, 0, 2, frames, 1, 2);
  limiter_.Process(frames, frames + 1, count, 2);
}

void LimitedSynth::RenderPlanar(float* left, float* right, int count) {
  fluid_synth_write_float(synth_, count, left, 0, 1, right, 0, 1);
  limiter_.Process(left, right, count, 1);
}

}  // namespace tangrel
