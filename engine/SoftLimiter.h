// The last stage of the built-in synthesizer's sound: a soft limiter that
// leaves ordinary playing untouched and keeps any pile-up of loud notes below
// full scale.
#pragma once

#include <fluidsynth.h>

namespace tangrel {

// A stereo-linked peak limiter. The envelope follows a new peak at once and
// holds it for a few cycles of the lowest notes before letting go slowly, so
// the gain does not ripple with the waveform. Peaks up to kKnee pass
// unchanged; above it the output peak bends smoothly towards kCeiling and
// never reaches it.
class SoftLimiter {
 public:
  // One piano note at full velocity peaks near 0.1 with the system SoundFont;
  // the loudest single notes of common GM SoundFonts reach about 0.65.
  static constexpr float kKnee = 0.5f;
  static constexpr float kCeiling = 0.98f;

  explicit SoftLimiter(double sampleRate);

  // Limits frames in place; `stride` is 2 for interleaved stereo, 1 for two
  // separate buffers.
  void Process(float* left, float* right, int frames, int stride);

 private:
  float Gain(float envelope) const;

  float envelope_ = 0.0f;
  int holdLeft_ = 0;
  int holdFrames_;
  float release_;
};

// The synthesizer rendered and limited: what every output of the built-in
// synthesizer plays.
class LimitedSynth {
 public:
  LimitedSynth(fluid_synth_t* synth, double sampleRate) : synth_(synth), limiter_(sampleRate) {}
  void RenderInterleaved(float* frames, int count);
  // Two separate channel buffers, overwritten.
  void RenderPlanar(float* left, float* right, int count);

 private:
  fluid_synth_t* synth_;
  SoftLimiter limiter_;
};

}  // namespace tangrel
