// SPDX-License-Identifier: GPL-3.0-or-later
// SynthEngine: one FluidSynth synthesizer with its settings and a General MIDI
// SoundFont, fed with short message words. It has no audio driver of its own:
// the built-in synthesizer device adds one, tests and the render tool pull the
// samples into memory.
#pragma once

#include <fluidsynth.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "model/Failure.h"
#include "model/MidiDevices.h"

namespace tangrel {

// The name the built-in synthesizer goes by, as a device and as a sound stream.
constexpr const char* kBuiltInSynthName = "Built-in synthesizer";

// The SoundFont the built-in synthesizer plays: TANGREL_SOUNDFONT when set,
// else the system default General MIDI SoundFont
// (/usr/share/sounds/sf3/default-GM.sf3).
std::string DefaultSoundFontPath();

// Why a SoundFont path cannot be loaded: the system's errno when it cannot be
// found (EISDIR for a folder), else "not a plain file" or "not a SoundFont
// FluidSynth can read".
Failure SoundFontFailure(const std::string& path);

// FluidSynth's error messages go to the MessageCapture of the thread that
// made the call, never to standard error; Create sets this up.

// The synth's output gain: one piano note at full velocity with the system
// SoundFont (TimGM6mb) peaks near 0.28 (-11 dBFS), as loud as other
// FluidSynth-based instruments play it. Chords and the bourdon go past full
// scale at this gain: the outputs' soft limiter keeps them below it. Every
// output and the render tool play at this gain.
constexpr double kSynthGain = 1.4;

// General MIDI's channel 10, which plays the drum kit.
constexpr int kPercussionChannel = 9;

class SynthEngine {
 public:
  // Null when the settings, the synth or the SoundFont cannot be made/loaded.
  // Only the samples of the presets in use are read, when they are chosen: a
  // large SoundFont loads in a fraction of the time and memory. They are read
  // from the file as it was loaded: one that is removed or replaced later
  // keeps playing, one changed in place in any way plays what was loaded and
  // no new instrument; `reports` hears of the change, once.
  static std::unique_ptr<SynthEngine> Create(const std::string& soundFontPath,
                                             double sampleRate = 44100.0,
                                             DeviceReports* reports = nullptr);
  ~SynthEngine();
  SynthEngine(const SynthEngine&) = delete;
  SynthEngine& operator=(const SynthEngine&) = delete;

  // One short message word (status | channel | data1 << 8 | data2 << 16):
  // note on/off, control change, program change, pitch bend. Other words are
  // ignored.
  void Send(uint32_t word);
  // Renders the next frames into two channel buffers, offline.
  void RenderFloat(float* left, float* right, int frames);

  // Counts every Send, from any thread; an output that has stopped rendering
  // a silent synth starts again when it changes.
  uint32_t MessagesSent() const { return messagesSent_.load(std::memory_order_acquire); }

  double SampleRate() const { return sampleRate_; }
  fluid_synth_t* Synth() const { return synth_; }
  fluid_settings_t* Settings() const { return settings_; }

 private:
  SynthEngine(fluid_settings_t* settings, fluid_synth_t* synth, double sampleRate);

  fluid_settings_t* settings_;
  fluid_synth_t* synth_;
  double sampleRate_;
  std::string soundFontPath_;  // kept open while the engine lives
  std::atomic<bool> drumsChosen_{false};  // the drum kit is read when first played
  std::atomic<uint32_t> messagesSent_{0};
};

// A SynthEngine as a MIDI output device without an audio driver: MidiOut then
// plays into memory, for offline rendering.
class OfflineSynthDevice : public MidiOutputDevice {
 public:
  explicit OfflineSynthDevice(SynthEngine& synth) : synth_(synth) {}
  std::string Name() const override { return kBuiltInSynthName; }
  bool Open() override { return true; }
  void Send(uint32_t word) override { synth_.Send(word); }
  void Close() override {}

 private:
  SynthEngine& synth_;
};

}  // namespace tangrel
