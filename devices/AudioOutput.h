// SPDX-License-Identifier: GPL-3.0-or-later
// A running sound output of the built-in synthesizer, whichever sound system
// carries it, and what starting one needs.
#pragma once

#include <memory>
#include <string>

#include "devices/SynthEngine.h"
#include "model/Failure.h"
#include "model/MidiDevices.h"

namespace tangrel {

// Stops its sound system's stream when destroyed; the synth must outlive it.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // True once the sound server has gone away under the stream (a restart, a
  // crash): the stream plays nothing any more and is to be started again.
  virtual bool Lost() const { return false; }
  // Times the sound ran dry since the start, as the output learnt of them.
  virtual int Underruns() const { return 0; }
};

struct OutputRequest {
  std::string driver;  // the sound system's name, as TANGREL_AUDIO_DRIVER gives it
  SynthEngine* engine = nullptr;
  int periodSize = 0;  // frames
  int periods = 0;
  std::string file;               // where the file driver writes, when set
  DeviceReports* reports = nullptr;  // where a settled buffer is said; may be null
};

// Null with the sound system's answer in `failure` when it did not start.
using StartOutput = std::unique_ptr<AudioOutput> (*)(const OutputRequest& request,
                                                     Failure& failure);

std::unique_ptr<AudioOutput> StartPipeWireOutput(const OutputRequest& request, Failure& failure);
std::unique_ptr<AudioOutput> StartPulseOutput(const OutputRequest& request, Failure& failure);
// Our own WAV writer, paced by the clock.
std::unique_ptr<AudioOutput> StartFileOutput(const OutputRequest& request, Failure& failure);
// One of FluidSynth's own audio drivers that takes a render callback (alsa,
// jack, oss), so that our limiter is its last stage too.
std::unique_ptr<AudioOutput> StartFluidDriver(const OutputRequest& request, Failure& failure);

// What a server output says when its server took the connection and then
// said nothing within the time limit.
constexpr const char* kServerDidNotAnswer = "the server did not answer";

// What a sound system said when it did not start, as a failure. `error` is
// ETIMEDOUT for a server that did not answer, ECONNREFUSED for one that is
// not running, when the sound system tells these apart.
inline Failure OutputFailure(const std::string& driver, std::string cause, int error = 0) {
  return Fail(FailureKind::NoSoundOutput, driver, error, std::move(cause));
}

// The buffer plan's news, said through `reports`.
void ReportSettled(DeviceReports* reports, const std::string& driver, int periods, int periodSize,
                   double rate, int underruns);

}  // namespace tangrel
