// SPDX-License-Identifier: GPL-3.0-or-later
// The "Built-in synthesizer" output device: FluidSynth playing a General MIDI
// SoundFont through the first sound output that starts.
#pragma once

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
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
  std::vector<Failure> problems;      // one for each value that was not used
};
AudioOutputSettings AudioOutputSettingsFromEnvironment();

// The period size and count a driver starts with unless the environment says
// otherwise.
struct OutputShape {
  int periodSize;
  int periods;
};

class BuiltInSynthDevice : public MidiOutputDevice {
 public:
  // `reports` hears why an open failed and what became of the output while
  // it played; it must outlive the device, and may be null.
  explicit BuiltInSynthDevice(std::string soundFontPath = DefaultSoundFontPath(),
                              DeviceReports* reports = nullptr);
  ~BuiltInSynthDevice() override;

  std::string Name() const override { return kBuiltInSynthName; }
  // Starts loading the SoundFont on a thread of its own; Open waits for it.
  void Prepare() override;
  // Loads the SoundFont and starts a sound output; false when either fails,
  // with a report that says why.
  bool Open() override;
  // The SoundFont that did not load, or each sound output that did not start.
  std::vector<Failure> WhyNotOpened() const override { return whyNot_; }
  void Send(uint32_t word) override;
  void Close() override;

  // The sound output playing now; empty while closed or lost.
  std::string AudioDriver() const;
  // True while the output's server is gone and no other output has started.
  bool OutputLost() const { return lost_.load(std::memory_order_acquire); }
  // Underruns the playing output has seen.
  int Underruns() const;

 private:
  // `attempts`, when given, hears the failure of each output tried.
  std::unique_ptr<AudioOutput> StartOutput(std::string& driverName, Failure& failure,
                                           std::vector<Failure>* attempts = nullptr);
  void Watch();

  std::string soundFontPath_;
  DeviceReports* reports_;
  std::future<std::unique_ptr<SynthEngine>> loading_;
  std::unique_ptr<SynthEngine> engine_;
  std::atomic<bool> open_{false};
  std::atomic<bool> lost_{false};
  std::vector<Failure> whyNot_;  // the caller's thread's, as Open is

  // The output is swapped by the watcher when its server goes away.
  mutable std::mutex outputMutex_;
  std::unique_ptr<AudioOutput> output_;
  std::string driverName_;

  std::mutex watchMutex_;
  std::condition_variable watchWake_;
  bool stopWatching_ = false;
  std::thread watcher_;
};

}  // namespace tangrel
