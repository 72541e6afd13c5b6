// SPDX-License-Identifier: GPL-3.0-or-later
// The last stage of the built-in synthesizer's sound: a soft limiter that
// leaves ordinary playing untouched and keeps any pile-up of loud notes below
// full scale.
#pragma once

#include <cstdint>

#include "devices/SynthEngine.h"

namespace tangrel {

// A stereo-linked peak limiter. The envelope follows a new peak at once and
// holds it for a few cycles of the lowest notes before letting go slowly, so
// the gain does not ripple with the waveform. Peaks up to kKnee pass
// unchanged; above it the output peak bends smoothly towards kCeiling and
// never reaches it.
class SoftLimiter {
 public:
  // One piano note at full velocity peaks near 0.28 at kSynthGain with the
  // system SoundFont, below the knee: a single note passes unchanged, and
  // what bends is chords and the bourdon piled on them.
  static constexpr float kKnee = 0.5f;
  static constexpr float kCeiling = 0.98f;

  explicit SoftLimiter(double sampleRate);

  // Limits frames in place; `stride` is 2 for interleaved stereo, 1 for two
  // separate buffers. Returns the largest input peak among them.
  float Process(float* left, float* right, int frames, int stride);

 private:
  float Gain(float envelope) const;

  float envelope_ = 0.0f;
  int holdLeft_ = 0;
  int holdFrames_;
  float release_;
};

// The synthesizer rendered and limited: what every output of the built-in
// synthesizer plays. A synth that has been silent for a second and has been
// sent nothing since is not rendered (reverb and chorus would keep working on
// silence): the output plays zeros until the next message.
class LimitedSynth {
 public:
  explicit LimitedSynth(SynthEngine& engine);
  void RenderInterleaved(float* frames, int count);
  // Two separate channel buffers, overwritten.
  void RenderPlanar(float* left, float* right, int count);

 private:
  void Render(float* left, float* right, int count, int stride);

  SynthEngine& engine_;
  SoftLimiter limiter_;
  uint32_t messagesSeen_;
  int64_t quietFrames_ = 0;
  int64_t restAfterFrames_;
};

}  // namespace tangrel
