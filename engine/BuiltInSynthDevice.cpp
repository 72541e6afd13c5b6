// The built-in synthesizer: a SynthEngine with an audio driver, chosen from the
// environment or by trying the usual Linux sound systems in turn.
#include "engine/BuiltInSynthDevice.h"

#include <sys/stat.h>

#include <array>
#include <cstdlib>

namespace tangrel {
namespace {

// Tried in this order when TANGREL_AUDIO_DRIVER is not set. PipeWire desktops
// serve the pulseaudio driver; on a machine without sound each fails within
// milliseconds (jack too, as long as it may not start a server).
constexpr std::array<const char*, 4> kDefaultDrivers = {"pulseaudio", "alsa", "jack", "sdl2"};

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// A whole number within [low, high] from the environment, else the fallback.
int EnvironmentInt(const char* name, int low, int high, int fallback) {
  const std::string text = Environment(name);
  if (text.empty()) return fallback;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || value < low || value > high) return fallback;
  return static_cast<int>(value);
}

// Settings that only one driver reads.
void PrepareDriver(fluid_settings_t* settings, const std::string& driver,
                   const AudioOutputSettings& audio) {
  if (driver == "jack") {
    // Without this libjack tries to start a server and stalls for seconds.
    setenv("JACK_NO_START_SERVER", "1", 0);
    fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
    fluid_settings_setstr(settings, "audio.jack.id", "Tangrel");
  } else if (driver == "file" && !audio.file.empty()) {
    fluid_settings_setstr(settings, "audio.file.name", audio.file.c_str());
  }
}

}  // namespace

AudioOutputSettings AudioOutputSettingsFromEnvironment() {
  AudioOutputSettings audio;
  const std::string driver = Environment("TANGREL_AUDIO_DRIVER");
  if (driver.empty()) {
    audio.drivers.assign(kDefaultDrivers.begin(), kDefaultDrivers.end());
  } else {
    audio.drivers = {driver};
  }
  audio.file = Environment("TANGREL_AUDIO_FILE");
  // The ranges FluidSynth accepts for audio.period-size and audio.periods.
  audio.periodSize = EnvironmentInt("TANGREL_AUDIO_PERIOD_SIZE", 64, 8192, kDefaultPeriodSize);
  audio.periods = EnvironmentInt("TANGREL_AUDIO_PERIODS", 2, 64, kDefaultPeriods);
  return audio;
}

bool SoundFontExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

BuiltInSynthDevice::BuiltInSynthDevice(std::string soundFontPath)
    : soundFontPath_(std::move(soundFontPath)) {}

BuiltInSynthDevice::~BuiltInSynthDevice() { Close(); }

bool BuiltInSynthDevice::Open() {
  if (engine_) return true;
  std::unique_ptr<SynthEngine> engine = SynthEngine::Create(soundFontPath_, kBuiltInSynthSampleRate);
  if (!engine) return false;

  const AudioOutputSettings audio = AudioOutputSettingsFromEnvironment();
  fluid_settings_t* settings = engine->Settings();
  fluid_settings_setint(settings, "audio.period-size", audio.periodSize);
  fluid_settings_setint(settings, "audio.periods", audio.periods);
  for (const std::string& driver : audio.drivers) {
    if (fluid_settings_setstr(settings, "audio.driver", driver.c_str()) == FLUID_FAILED) continue;
    PrepareDriver(settings, driver, audio);
    if (fluid_audio_driver_t* started = new_fluid_audio_driver(settings, engine->Synth())) {
      driver_ = started;
      driverName_ = driver;
      engine_ = std::move(engine);
      return true;
    }
  }
  return false;
}

void BuiltInSynthDevice::Send(uint32_t word) {
  if (engine_) engine_->Send(word);
}

void BuiltInSynthDevice::Close() {
  // The driver's thread renders from the synth: stop it first.
  if (driver_) delete_fluid_audio_driver(driver_);
  driver_ = nullptr;
  driverName_.clear();
  engine_.reset();
}

}  // namespace tangrel
