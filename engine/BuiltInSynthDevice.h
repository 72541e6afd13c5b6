// The "Built-in synthesizer" output device: FluidSynth playing a General MIDI
// SoundFont through the first audio driver that starts.
#pragma once

#include <fluidsynth.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/MidiDevices.h"
#include "engine/SynthEngine.h"

namespace tangrel {

constexpr const char* kBuiltInSynthName = "Built-in synthesizer";

// Chosen by measurement through PulseAudio on 2-core machines
// (bench_audio_latency): 320 frames is the smallest period that played a
// minute of full chords without a dropout, about 12 ms from note-on to sound;
// 256 frames drops out several times a minute. The pulseaudio driver ignores
// the period count; ALSA takes both.
constexpr int kDefaultPeriodSize = 320;
constexpr int kDefaultPeriods = 3;
constexpr double kBuiltInSynthSampleRate = 48000.0;  // what desktop servers run at

// Where the synth's sound goes, from TANGREL_AUDIO_DRIVER, TANGREL_AUDIO_FILE,
// TANGREL_AUDIO_PERIOD_SIZE and TANGREL_AUDIO_PERIODS.
struct AudioOutputSettings {
  std::vector<std::string> drivers;  // tried in order, the first that starts plays
  std::string file;                  // output of the `file` driver, when set
  int periodSize = kDefaultPeriodSize;
  int periods = kDefaultPeriods;
};
AudioOutputSettings AudioOutputSettingsFromEnvironment();

// The device counts only when its SoundFont file is there.
bool SoundFontExists(const std::string& path);

class BuiltInSynthDevice : public MidiOutputDevice {
 public:
  explicit BuiltInSynthDevice(std::string soundFontPath = DefaultSoundFontPath());
  ~BuiltInSynthDevice() override;

  std::string Name() const override { return kBuiltInSynthName; }
  // Loads the SoundFont and starts an audio driver; false when either fails.
  bool Open() override;
  void Send(uint32_t word) override;
  void Close() override;

  // The audio driver that started at the last Open; empty while closed.
  const std::string& AudioDriver() const { return driverName_; }

 private:
  std::string soundFontPath_;
  std::unique_ptr<SynthEngine> engine_;
  fluid_audio_driver_t* driver_ = nullptr;
  std::string driverName_;
};

}  // namespace tangrel
