// SynthEngine: FluidSynth set up for Tangrel, and short message words decoded
// into the synth's channel calls.
#include "devices/SynthEngine.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace tangrel {
namespace {

using ChannelCall = int (*)(fluid_synth_t*, int channel, int data1, int data2);

// Indexed by the status nibble minus 8 (0x8n .. 0xFn); null: not a channel
// message the synth takes.
constexpr std::array<ChannelCall, 8> kChannelCalls = {
    [](fluid_synth_t* s, int ch, int d1, int) { return fluid_synth_noteoff(s, ch, d1); },
    [](fluid_synth_t* s, int ch, int d1, int d2) { return fluid_synth_noteon(s, ch, d1, d2); },
    [](fluid_synth_t* s, int ch, int d1, int d2) { return fluid_synth_key_pressure(s, ch, d1, d2); },
    [](fluid_synth_t* s, int ch, int d1, int d2) { return fluid_synth_cc(s, ch, d1, d2); },
    [](fluid_synth_t* s, int ch, int d1, int) { return fluid_synth_program_change(s, ch, d1); },
    [](fluid_synth_t* s, int ch, int d1, int) { return fluid_synth_channel_pressure(s, ch, d1); },
    [](fluid_synth_t* s, int ch, int d1, int d2) {
      return fluid_synth_pitch_bend(s, ch, d1 | (d2 << 7));
    },
    nullptr,  // system messages
};

std::mutex fluidErrorMutex;
std::string fluidError;

void KeepFluidMessage(int level, const char* message, void*) {
  if (level == FLUID_PANIC) {
    std::fprintf(stderr, "fluidsynth: %s\n", message);
  } else if (level == FLUID_ERR) {
    std::lock_guard<std::mutex> lock(fluidErrorMutex);
    fluidError = message;
  }
}

void KeepFluidMessages() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
      fluid_set_log_function(level, &KeepFluidMessage, nullptr);
    }
  });
}

}  // namespace

std::string TakeFluidError() {
  KeepFluidMessages();
  std::lock_guard<std::mutex> lock(fluidErrorMutex);
  return std::exchange(fluidError, std::string());
}

std::string SoundFontProblem(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::strerror(errno);
  if (S_ISDIR(info.st_mode)) return "a folder, not a file";
  if (!S_ISREG(info.st_mode)) return "not a plain file";
  return "not a SoundFont FluidSynth can read";
}

std::string DefaultSoundFontPath() {
  if (const char* path = std::getenv("TANGREL_SOUNDFONT"); path && *path) return path;
  return "/usr/share/sounds/sf3/default-GM.sf3";
}

std::unique_ptr<SynthEngine> SynthEngine::Create(const std::string& soundFontPath,
                                                 double sampleRate) {
  // FluidSynth opens whatever it is given, and a FIFO without a writer would
  // hold it for ever: only a regular file can be a SoundFont.
  struct stat info;
  if (stat(soundFontPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  KeepFluidMessages();
  fluid_settings_t* settings = new_fluid_settings();
  if (!settings) return nullptr;
  fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
  fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
  fluid_settings_setnum(settings, "synth.gain", kSynthGain);
  fluid_synth_t* synth = new_fluid_synth(settings);
  if (!synth) {
    delete_fluid_settings(settings);
    return nullptr;
  }
  // Anything but a SoundFont is turned away before a loader sees it: some
  // print their complaints straight to standard error.
  if (!fluid_is_soundfont(soundFontPath.c_str()) ||
      fluid_synth_sfload(synth, soundFontPath.c_str(), 1) == FLUID_FAILED) {
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return nullptr;
  }
  return std::unique_ptr<SynthEngine>(new SynthEngine(settings, synth, sampleRate));
}

SynthEngine::SynthEngine(fluid_settings_t* settings, fluid_synth_t* synth, double sampleRate)
    : settings_(settings), synth_(synth), sampleRate_(sampleRate) {}

SynthEngine::~SynthEngine() {
  delete_fluid_synth(synth_);
  delete_fluid_settings(settings_);
}

void SynthEngine::Send(uint32_t word) {
  messagesSent_.fetch_add(1, std::memory_order_release);
  const uint32_t status = word & 0xF0;
  if (status < 0x80) return;
  const ChannelCall call = kChannelCalls[(status >> 4) - 8];
  if (!call) return;
  call(synth_, static_cast<int>(word & 0x0F), static_cast<int>((word >> 8) & 0x7F),
       static_cast<int>((word >> 16) & 0x7F));
}

void SynthEngine::RenderFloat(float* left, float* right, int frames) {
  fluid_synth_write_float(synth_, frames, left, 0, 1, right, 0, 1);
}

}  // namespace tangrel
