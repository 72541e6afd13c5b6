// FluidSynth's own audio drivers as outputs of the built-in synthesizer: ALSA
// and JACK honour the period settings (JACK takes its server's), the file
// driver writes a WAV.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "devices/AudioOutput.h"
#include "devices/SoftLimiter.h"
#include "devices/SynthEngine.h"

namespace tangrel {
namespace {

// These drivers take a render callback, so our limiter is their last stage
// too. FluidSynth offers the others (file, sdl2) no callback: they play the
// synth as it is, at the same gain, and a pile-up of loud notes can clip there.
constexpr std::array<const char*, 3> kCallbackDrivers = {"alsa", "jack", "oss"};

bool TakesCallback(const std::string& driver) {
  return std::find(kCallbackDrivers.begin(), kCallbackDrivers.end(), driver) !=
         kCallbackDrivers.end();
}

// The file driver is paced by a timer of whole milliseconds per period: any
// other period would make the file run slow against the clock.
int WholeMillisecondPeriod(int periodSize, double sampleRate) {
  const long ms = std::max(2L, std::lround(1000.0 * periodSize / sampleRate));
  return static_cast<int>(std::lround(ms * sampleRate / 1000.0));
}

// Settings that only one driver reads.
void PrepareDriver(const OutputRequest& request) {
  fluid_settings_t* settings = request.engine->Settings();
  int periodSize = request.periodSize;
  if (request.driver == "jack") {
    // Without this libjack tries to start a server and stalls for seconds.
    setenv("JACK_NO_START_SERVER", "1", 0);
    fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
    fluid_settings_setstr(settings, "audio.jack.id", "Tangrel");
  } else if (request.driver == "file") {
    if (!request.file.empty()) {
      fluid_settings_setstr(settings, "audio.file.name", request.file.c_str());
    }
    periodSize = WholeMillisecondPeriod(periodSize, request.engine->SampleRate());
  }
  fluid_settings_setint(settings, "audio.period-size", periodSize);
  fluid_settings_setint(settings, "audio.periods", request.periods);
}

class FluidDriverOutput : public AudioOutput {
 public:
  explicit FluidDriverOutput(const OutputRequest& request) : synth_(*request.engine) {}
  ~FluidDriverOutput() override {
    if (driver_) delete_fluid_audio_driver(driver_);
  }

  bool Start(const OutputRequest& request) {
    fluid_settings_t* settings = request.engine->Settings();
    driver_ = TakesCallback(request.driver)
                  ? new_fluid_audio_driver2(settings, &FluidDriverOutput::Render, this)
                  : new_fluid_audio_driver(settings, request.engine->Synth());
    return driver_ != nullptr;
  }

 private:
  static int Render(void* self, int frames, int nfx, float* fx[], int nout, float* out[]) {
    for (int i = 0; i < nfx; ++i) std::fill_n(fx[i], frames, 0.0f);
    for (int i = 2; i < nout; ++i) std::fill_n(out[i], frames, 0.0f);
    if (nout < 2) return FLUID_FAILED;
    static_cast<FluidDriverOutput*>(self)->synth_.RenderPlanar(out[0], out[1], frames);
    return FLUID_OK;
  }

  LimitedSynth synth_;
  fluid_audio_driver_t* driver_ = nullptr;
};

}  // namespace

std::unique_ptr<AudioOutput> StartFluidDriver(const OutputRequest& request, std::string& error) {
  TakeFluidError();
  if (fluid_settings_setstr(request.engine->Settings(), "audio.driver", request.driver.c_str()) ==
      FLUID_FAILED) {
    error = "not an audio driver of this FluidSynth";
    return nullptr;
  }
  PrepareDriver(request);
  auto output = std::make_unique<FluidDriverOutput>(request);
  if (!output->Start(request)) {
    error = TakeFluidError();
    if (error.empty()) error = "did not start";
    return nullptr;
  }
  return output;
}

}  // namespace tangrel
