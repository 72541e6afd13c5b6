// The built-in synthesizer: a SynthEngine with a sound output, chosen from the
// environment or by trying the usual Linux sound systems in turn.
#include "devices/BuiltInSynthDevice.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace tangrel {
namespace {

struct Driver {
  const char* name;
  StartOutput start;
  OutputShape shape;
};

// The sound systems in the order they are tried when TANGREL_AUDIO_DRIVER is
// not set; the file driver only by name. PipeWire desktops serve the
// pulseaudio output. On a machine without sound each fails within
// milliseconds (jack too, as long as it may not start a server).
//
// PulseAudio's buffer starts at 3 x 128 frames (8 ms) and grows where the
// machine needs it (bench_audio_latency). ALSA takes both settings as they
// are, JACK its server's period; the file driver's period is a whole number of
// milliseconds.
constexpr Driver kDrivers[] = {
    {"pulseaudio", &StartPulseOutput, {128, 3}},
    {"alsa", &StartFluidDriver, {320, 3}},
    {"jack", &StartFluidDriver, {320, 3}},
    {"sdl2", &StartFluidDriver, {320, 3}},
    {"file", &StartFluidDriver, {480, 3}},
};
constexpr size_t kDefaultOrderCount = 4;
constexpr Driver kOtherFluidDriver = {"", &StartFluidDriver, {320, 3}};

const Driver& FindDriver(const std::string& name) {
  for (const Driver& driver : kDrivers) {
    if (name == driver.name) return driver;
  }
  return kOtherFluidDriver;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// A whole number within [low, high] from the environment; 0 (the default)
// when unset, and 0 with a line in `problems` when it is anything else.
int EnvironmentInt(const char* name, int low, int high, std::vector<std::string>& problems) {
  const std::string text = Environment(name);
  if (text.empty()) return 0;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end == '\0' && errno == 0 && value >= low && value <= high) return static_cast<int>(value);
  problems.push_back(std::string(name) + "=" + text + " is not a whole number from " +
                     std::to_string(low) + " to " + std::to_string(high) + "; the default is used");
  return 0;
}

}  // namespace

AudioOutputSettings AudioOutputSettingsFromEnvironment() {
  AudioOutputSettings audio;
  const std::string driver = Environment("TANGREL_AUDIO_DRIVER");
  if (driver.empty()) {
    for (size_t i = 0; i < kDefaultOrderCount; ++i) audio.drivers.push_back(kDrivers[i].name);
  } else {
    audio.drivers = {driver};
  }
  audio.file = Environment("TANGREL_AUDIO_FILE");
  // The ranges FluidSynth accepts for audio.period-size and audio.periods.
  audio.periodSize = EnvironmentInt("TANGREL_AUDIO_PERIOD_SIZE", 64, 8192, audio.problems);
  audio.periods = EnvironmentInt("TANGREL_AUDIO_PERIODS", 2, 64, audio.problems);
  return audio;
}

BuiltInSynthDevice::BuiltInSynthDevice(std::string soundFontPath)
    : soundFontPath_(std::move(soundFontPath)) {}

BuiltInSynthDevice::~BuiltInSynthDevice() {
  Close();
  if (loading_.valid()) loading_.wait();
}

void BuiltInSynthDevice::Prepare() {
  if (engine_ || loading_.valid()) return;
  loading_ = std::async(std::launch::async, [path = soundFontPath_] {
    return SynthEngine::Create(path, kBuiltInSynthSampleRate);
  });
}

bool BuiltInSynthDevice::Open() {
  if (output_) return true;
  if (!engine_) {
    engine_ = loading_.valid() ? loading_.get()
                               : SynthEngine::Create(soundFontPath_, kBuiltInSynthSampleRate);
  }
  if (!engine_) {
    std::fprintf(stderr, "tangrel: cannot load the SoundFont %s: %s\n", soundFontPath_.c_str(),
                 SoundFontProblem(soundFontPath_).c_str());
    return false;
  }
  return StartOutput();
}

// The loaded synth stays when no output starts, for the next try.
bool BuiltInSynthDevice::StartOutput() {
  const AudioOutputSettings audio = AudioOutputSettingsFromEnvironment();
  for (const std::string& problem : audio.problems) {
    std::fprintf(stderr, "tangrel: %s\n", problem.c_str());
  }
  std::string answers;
  for (const std::string& name : audio.drivers) {
    const Driver& driver = FindDriver(name);
    OutputRequest request;
    request.driver = name;
    request.engine = engine_.get();
    request.periodSize = audio.periodSize ? audio.periodSize : driver.shape.periodSize;
    request.periods = audio.periods ? audio.periods : driver.shape.periods;
    request.file = audio.file;
    std::string error;
    output_ = driver.start(request, error);
    if (output_) {
      driverName_ = name;
      return true;
    }
    answers += (answers.empty() ? "" : "; ") + name + ": " + error;
  }
  std::fprintf(stderr, "tangrel: the built-in synthesizer found no sound output (%s)\n",
               answers.c_str());
  return false;
}

void BuiltInSynthDevice::Send(uint32_t word) {
  if (output_) engine_->Send(word);
}

void BuiltInSynthDevice::Close() {
  // The output renders from the synth: stop it first.
  output_.reset();
  driverName_.clear();
  engine_.reset();
}

}  // namespace tangrel
