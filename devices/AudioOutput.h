// A running sound output of the built-in synthesizer, whichever sound system
// carries it, and what starting one needs.
#pragma once

#include <memory>
#include <string>

#include "devices/SynthEngine.h"

namespace tangrel {

// Stops its sound system's stream when destroyed; the synth must outlive it.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
};

struct OutputRequest {
  std::string driver;  // the sound system's name, as TANGREL_AUDIO_DRIVER gives it
  SynthEngine* engine = nullptr;
  int periodSize = 0;  // frames
  int periods = 0;
  std::string file;  // where the file driver writes, when set
};

// Null with the sound system's answer in `error` when it did not start.
using StartOutput = std::unique_ptr<AudioOutput> (*)(const OutputRequest& request,
                                                     std::string& error);

std::unique_ptr<AudioOutput> StartPulseOutput(const OutputRequest& request, std::string& error);
// One of FluidSynth's own audio drivers, limited like our own output where the
// driver takes a render callback (alsa, jack), as it is otherwise.
std::unique_ptr<AudioOutput> StartFluidDriver(const OutputRequest& request, std::string& error);

}  // namespace tangrel
