// SPDX-License-Identifier: GPL-3.0-or-later
// FluidSynth's own audio drivers that take a render callback (alsa, jack,
// oss), and our own WAV writer in place of FluidSynth's file driver: every
// output renders through the limiter.
#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "devices/AudioOutput.h"
#include "devices/LibraryMessages.h"
#include "devices/SoftLimiter.h"
#include "devices/SynthEngine.h"
#include "model/WavFormat.h"

namespace tangrel {
namespace {

// Settings that only one driver reads.
void PrepareDriver(const OutputRequest& request) {
  fluid_settings_t* settings = request.engine->Settings();
  if (request.driver == "jack") {
    // Without this libjack tries to start a server and stalls for seconds.
    setenv("JACK_NO_START_SERVER", "1", 0);
    fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
    fluid_settings_setstr(settings, "audio.jack.id", "Tangrel");
  }
  fluid_settings_setint(settings, "audio.period-size", request.periodSize);
  fluid_settings_setint(settings, "audio.periods", request.periods);
}

// Why a driver did not start, where the system can say it in a word:
// ECONNREFUSED when no JACK server runs, ENODEV when ALSA has no sound card;
// else 0, and the libraries' words say the rest.
int WhyNotStarted(const std::string& driver) {
  if (driver == "jack") {
    jack_client_t* client = jack_client_open("Tangrel-probe", JackNoStartServer, nullptr);
    if (!client) return ECONNREFUSED;
    jack_client_close(client);
  } else if (driver == "alsa") {
    int card = -1;
    if (snd_card_next(&card) < 0 || card < 0) return ENODEV;
  }
  return 0;
}

class FluidDriverOutput : public AudioOutput {
 public:
  explicit FluidDriverOutput(const OutputRequest& request) : synth_(*request.engine) {}
  ~FluidDriverOutput() override {
    if (driver_) delete_fluid_audio_driver(driver_);
  }

  bool Start(const OutputRequest& request) {
    driver_ = new_fluid_audio_driver2(request.engine->Settings(), &FluidDriverOutput::Render, this);
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

// A 16-bit stereo WAV written period by period on a thread of its own, paced
// by the steady clock so that the file keeps time with the playing. The
// header's sizes are brought up to date after every period, so the file is
// whole whenever it is read.
class FileOutput : public AudioOutput {
 public:
  explicit FileOutput(const OutputRequest& request)
      : synth_(*request.engine),
        rate_(static_cast<int>(request.engine->SampleRate())),
        periodSize_(request.periodSize) {}
  ~FileOutput() override {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) close(fd_);
  }

  bool Start(const std::string& path, Failure& failure) {
    fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0 || !WriteHeader(0)) {
      const int error = errno;
      failure = OutputFailure("file", path + ": " + ErrorText(error), error);
      return false;
    }
    thread_ = std::thread([this] { Run(); });
    return true;
  }

 private:
  bool WriteHeader(uint64_t frames) {
    const std::vector<uint8_t> header = wav::Header(static_cast<uint32_t>(rate_), frames);
    return pwrite(fd_, header.data(), header.size(), 0) == static_cast<ssize_t>(header.size());
  }

  // Ends when the file holds as much as a WAV can say (6.2 hours at 48 kHz)
  // or a write fails: the file stays whole either way.
  void Run() {
    const size_t periodFrames = static_cast<size_t>(periodSize_);
    std::vector<float> frames(2 * periodFrames);
    std::vector<uint8_t> bytes;
    const auto period = std::chrono::duration<double>(double(periodSize_) / rate_);
    auto next = std::chrono::steady_clock::now();
    uint64_t written = 0;  // frames
    while (!stop_ && written + periodFrames <= wav::kLongestFrames) {
      synth_.RenderInterleaved(frames.data(), periodSize_);
      bytes.clear();
      wav::AppendFrames(bytes, frames.data(), frames.data() + 1, periodFrames, 2);
      const off_t at = static_cast<off_t>(wav::kHeaderSize + written * wav::kBytesPerFrame);
      if (pwrite(fd_, bytes.data(), bytes.size(), at) != static_cast<ssize_t>(bytes.size())) return;
      written += periodFrames;
      WriteHeader(written);
      next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(period);
      std::this_thread::sleep_until(next);
    }
  }

  LimitedSynth synth_;
  int rate_;
  int periodSize_;
  int fd_ = -1;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace

std::unique_ptr<AudioOutput> StartFluidDriver(const OutputRequest& request, Failure& failure) {
  // FluidSynth, alsa-lib and libjack say why they failed in messages of their
  // own, kept for this attempt's failure instead of printed.
  KeepLibraryMessages();
  MessageCapture said;
  if (fluid_settings_setstr(request.engine->Settings(), "audio.driver", request.driver.c_str()) ==
      FLUID_FAILED) {
    failure = OutputFailure(request.driver, "not an audio driver of this FluidSynth");
    return nullptr;
  }
  PrepareDriver(request);
  auto output = std::make_unique<FluidDriverOutput>(request);
  if (!output->Start(request)) {
    const std::string cause = WithLibraryWords("", said);
    failure = OutputFailure(request.driver, cause.empty() ? "did not start" : cause,
                            WhyNotStarted(request.driver));
    return nullptr;
  }
  return output;
}

std::unique_ptr<AudioOutput> StartFileOutput(const OutputRequest& request, Failure& failure) {
  auto output = std::make_unique<FileOutput>(request);
  if (!output->Start(request.file.empty() ? "fluidsynth.wav" : request.file, failure)) {
    return nullptr;
  }
  return output;
}

}  // namespace tangrel
