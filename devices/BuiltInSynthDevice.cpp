// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in synthesizer: a SynthEngine with a sound output, chosen from the
// environment or by trying the usual Linux sound systems in turn.
#include "devices/BuiltInSynthDevice.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <iterator>

namespace tangrel {
namespace {

// One row per sound output: how it starts, the period size and count it
// starts with unless the environment says otherwise, whether it is tried when
// TANGREL_AUDIO_DRIVER is not set, and whether its default device goes through
// the desktop's sound server (ALSA's does, through its pulse plug-in, with no
// time limit: it is not tried when that server stalls).
//
// The PipeWire output asks the graph for one 128-frame period (2.7 ms) and
// doubles it at most once; the PulseAudio one starts at 3 x 128 frames (8 ms)
// and grows up to 40 ms. Both grow only where the machine needs it
// (bench_audio_latency). ALSA takes both settings as they are, JACK
// its server's period. Every row renders through the limiter: FluidSynth's
// drivers without a render callback (sdl2, its own file driver) are not
// offered, and our own file output stands in for its file driver.
struct Driver {
  const char* name;
  StartOutput start;
  OutputShape shape;
  bool byDefault;
  bool throughServer;
};

constexpr Driver kDrivers[] = {
    {"pipewire", &StartPipeWireOutput, {128, 1}, true, false},
    {"pulseaudio", &StartPulseOutput, {128, 3}, true, false},
    {"alsa", &StartFluidDriver, {320, 3}, true, true},
    {"jack", &StartFluidDriver, {320, 3}, true, false},
    {"oss", &StartFluidDriver, {320, 3}, false, false},
    {"file", &StartFileOutput, {480, 3}, false, false},
};

constexpr size_t CountDefault() {
  size_t count = 0;
  for (const Driver& driver : kDrivers) count += driver.byDefault ? 1 : 0;
  return count;
}
static_assert(std::size(kDrivers) == 6, "one row per sound output");
static_assert(CountDefault() == 4, "pipewire, pulseaudio, alsa and jack are tried in turn");

const Driver* FindDriver(const std::string& name) {
  for (const Driver& driver : kDrivers) {
    if (name == driver.name) return &driver;
  }
  return nullptr;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// A whole number within [low, high] from the environment; 0 (the default)
// when unset, and 0 with a line in `problems` when it is anything else.
int EnvironmentInt(const char* name, int low, int high, std::vector<Failure>& problems) {
  const std::string text = Environment(name);
  if (text.empty()) return 0;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end == '\0' && errno == 0 && value >= low && value <= high) return static_cast<int>(value);
  problems.push_back(Fail(FailureKind::BadAudioSetting, std::string(name) + "=" + text, 0,
                          std::to_string(low) + " to " + std::to_string(high)));
  return 0;
}

// "pipewire, pulseaudio, alsa, jack, oss, file": what TANGREL_AUDIO_DRIVER may name.
std::string KnownOutputNames() {
  std::string names;
  for (const Driver& driver : kDrivers) {
    names += (names.empty() ? "" : ", ") + std::string(driver.name);
  }
  return names;
}

// Why the output that went silent does not start again: what its own sound
// system answered this time (ETIMEDOUT, ECONNREFUSED ...), else 0.
int LostOutputError(const std::vector<Failure>& attempts, const std::string& driver) {
  for (const Failure& attempt : attempts) {
    if (attempt.detail == driver) return attempt.error;
  }
  return 0;
}

}  // namespace

AudioOutputSettings AudioOutputSettingsFromEnvironment() {
  AudioOutputSettings audio;
  const std::string driver = Environment("TANGREL_AUDIO_DRIVER");
  if (driver.empty()) {
    for (const Driver& row : kDrivers) {
      if (row.byDefault) audio.drivers.push_back(row.name);
    }
  } else {
    audio.drivers = {driver};
  }
  audio.file = Environment("TANGREL_AUDIO_FILE");
  // The ranges FluidSynth accepts for audio.period-size and audio.periods.
  audio.periodSize = EnvironmentInt("TANGREL_AUDIO_PERIOD_SIZE", 64, 8192, audio.problems);
  audio.periods = EnvironmentInt("TANGREL_AUDIO_PERIODS", 2, 64, audio.problems);
  return audio;
}

BuiltInSynthDevice::BuiltInSynthDevice(std::string soundFontPath, DeviceReports* reports)
    : soundFontPath_(std::move(soundFontPath)), reports_(reports) {}

BuiltInSynthDevice::~BuiltInSynthDevice() {
  Close();
  if (loading_.valid()) loading_.wait();
}

void BuiltInSynthDevice::Prepare() {
  if (engine_ || loading_.valid()) return;
  loading_ = std::async(std::launch::async, [path = soundFontPath_, reports = reports_] {
    return SynthEngine::Create(path, kBuiltInSynthSampleRate, reports);
  });
}

bool BuiltInSynthDevice::Open() {
  if (open_) return true;
  if (!engine_) {
    engine_ = loading_.valid()
                  ? loading_.get()
                  : SynthEngine::Create(soundFontPath_, kBuiltInSynthSampleRate, reports_);
  }
  whyNot_.clear();
  if (!engine_) {
    whyNot_ = {SoundFontFailure(soundFontPath_)};
    if (reports_) reports_->Report(whyNot_.front());
    return false;
  }
  std::string name;
  Failure failure;
  std::unique_ptr<AudioOutput> output = StartOutput(name, failure, &whyNot_);
  if (!output) {
    if (reports_) reports_->Report(failure);
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(outputMutex_);
    output_ = std::move(output);
    driverName_ = name;
  }
  lost_ = false;
  open_ = true;
  stopWatching_ = false;
  watcher_ = std::thread([this] { Watch(); });
  return true;
}

// The loaded synth stays when no output starts, for the next try.
std::unique_ptr<AudioOutput> BuiltInSynthDevice::StartOutput(std::string& driverName,
                                                             Failure& failure,
                                                             std::vector<Failure>* attempts) {
  const AudioOutputSettings audio = AudioOutputSettingsFromEnvironment();
  // Said at the open; a restart after a lost server says them no more.
  for (const Failure& problem : audio.problems) {
    if (reports_ && !open_) reports_->Report(problem);
  }
  std::string answers;
  bool serverStalled = false;
  for (const std::string& name : audio.drivers) {
    const Driver* driver = FindDriver(name);
    Failure tried;
    std::unique_ptr<AudioOutput> output;
    if (!driver) {
      tried = Fail(FailureKind::UnknownSoundOutput, name, 0, KnownOutputNames());
    } else if (driver->throughServer && serverStalled) {
      tried = OutputFailure(name, "not tried: it would go through the stalled server");
    } else {
      OutputRequest request;
      request.driver = name;
      request.engine = engine_.get();
      request.periodSize = audio.periodSize ? audio.periodSize : driver->shape.periodSize;
      request.periods = audio.periods ? audio.periods : driver->shape.periods;
      request.file = audio.file;
      request.reports = reports_;
      output = driver->start(request, tried);
    }
    if (output) {
      driverName = name;
      return output;
    }
    serverStalled = serverStalled || tried.cause == kServerDidNotAnswer;
    if (attempts) attempts->push_back(tried);
    if (audio.drivers.size() == 1) {
      failure = tried;
      return nullptr;
    }
    answers += (answers.empty() ? "" : "; ") + name + ": " + tried.cause;
  }
  failure = Fail(FailureKind::NoSoundOutput, "", 0, answers);
  return nullptr;
}

// A server that goes away (a restart, a crash) leaves its stream silent: the
// output is started again, in the usual order, as soon as one answers. The
// player hears of it only when that takes longer than a second.
void BuiltInSynthDevice::Watch() {
  using Clock = std::chrono::steady_clock;
  constexpr auto kLook = std::chrono::milliseconds(100);
  constexpr auto kRetry = std::chrono::milliseconds(200);
  constexpr auto kSayLostAfter = std::chrono::seconds(1);
  bool missing = false;
  Clock::time_point missingSince;
  std::string lostDriver;  // the driver that went silent, for the player to read
  std::unique_lock<std::mutex> watch(watchMutex_);
  while (!watchWake_.wait_for(watch, missing ? kRetry : kLook, [this] { return stopWatching_; })) {
    {
      std::lock_guard<std::mutex> lock(outputMutex_);
      if (output_ && !output_->Lost()) continue;
      if (output_) lostDriver = driverName_;
      output_.reset();
      driverName_.clear();
    }
    if (!missing) missingSince = Clock::now();
    missing = true;
    watch.unlock();  // a start may take its time limit; Close must not wait on the lock meanwhile
    std::string name;
    Failure failure;
    std::vector<Failure> attempts;
    std::unique_ptr<AudioOutput> output = StartOutput(name, failure, &attempts);
    watch.lock();
    if (stopWatching_) return;  // the new output goes with this scope
    std::lock_guard<std::mutex> lock(outputMutex_);
    if (output) {
      output_ = std::move(output);
      driverName_ = name;
      missing = false;
      if (lost_.exchange(false) && reports_) {
        reports_->Tell({NewsKind::SoundOutputBack, name});
      }
    } else if (Clock::now() - missingSince >= kSayLostAfter && !lost_.exchange(true) &&
               reports_) {
      reports_->Report(Fail(FailureKind::SoundOutputLost, lostDriver,
                            LostOutputError(attempts, lostDriver), failure.cause));
    }
  }
}

std::string BuiltInSynthDevice::AudioDriver() const {
  std::lock_guard<std::mutex> lock(outputMutex_);
  return driverName_;
}

int BuiltInSynthDevice::Underruns() const {
  std::lock_guard<std::mutex> lock(outputMutex_);
  return output_ ? output_->Underruns() : 0;
}

void BuiltInSynthDevice::Send(uint32_t word) {
  if (open_) engine_->Send(word);
}

void BuiltInSynthDevice::Close() {
  if (watcher_.joinable()) {
    {
      std::lock_guard<std::mutex> watch(watchMutex_);
      stopWatching_ = true;
    }
    watchWake_.notify_all();
    watcher_.join();
  }
  open_ = false;
  lost_ = false;
  {
    // The output renders from the synth: stop it first.
    std::lock_guard<std::mutex> lock(outputMutex_);
    output_.reset();
    driverName_.clear();
  }
  engine_.reset();
}

}  // namespace tangrel
