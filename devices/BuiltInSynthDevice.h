// The "Built-in synthesizer" output device: FluidSynth playing a General MIDI
// SoundFont through the first sound output that starts.
#pragma once

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "devices/AudioOutput.h"
#include "model/MidiDevices.h"
#include "devices/SynthEngine.h"

namespace tangrel {

constexpr double kBuiltInSynthSampleRate = 48000.0;  // what desktop servers run at

// Where the synth's sound goes, from TANGREL_AUDIO_DRIVER, TANGREL_AUDIO_FILE,
// TANGREL_AUDIO_PERIOD_SIZE and TANGREL_AUDIO_PERIODS.
struct AudioOutputSettings {
  std::vector<std::string> drivers;   // tried in order, the first that starts plays
  std::string file;                   // output of the `file` driver, when set
  int periodSize = 0;                 // frames; 0: each driver's own
  int periods = 0;                    // 0: each driver's own
  std::vector<std::string> problems;  // a line for each value that was not used
};
AudioOutputSettings AudioOutputSettingsFromEnvironment();

// The period size and count a driver starts with unless the environment says
// otherwise.
struct OutputShape {
  int periodSize;
  int periods;
};

// True when the path names a plain file.

class BuiltInSynthDevice : public MidiOutputDevice {
 public:
  explicit BuiltInSynthDevice(std::string soundFontPath = DefaultSoundFontPath());
  ~BuiltInSynthDevice() override;

  std::string Name() const override { return kBuiltInSynthName; }
  // Starts loading the SoundFont on a thread of its own; Open waits for it.
  void Prepare() override;
  // Loads the SoundFont and starts a sound output; false when either fails,
  // with one line on standard error that says why.
  bool Open() override;
  void Send(uint32_t word) override;
  void Close() override;

  // The sound output that started at the last Open; empty while closed.
  const std::string& AudioDriver() const { return driverName_; }

 private:
  bool StartOutput();

  std::string soundFontPath_;
  std::future<std::unique_ptr<SynthEngine>> loading_;
  std::unique_ptr<SynthEngine> engine_;
  std::unique_ptr<AudioOutput> output_;
  std::string driverName_;
};

}  // namespace tangrel
