// SPDX-License-Identifier: GPL-3.0-or-later
// SynthEngine: FluidSynth set up for Tangrel, and short message words decoded
// into the synth's channel calls.
#include "devices/SynthEngine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "devices/ContentWatch.h"
#include "devices/MessageCapture.h"

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

// FluidSynth's errors go to the capture of the thread that made the call;
// nothing of it is printed.
void KeepFluidMessage(int level, const char* message, void*) {
  if (level == FLUID_PANIC || level == FLUID_ERR) MessageCapture::Keep(message);
}

void KeepFluidMessages() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
      fluid_set_log_function(level, &KeepFluidMessage, nullptr);
    }
  });
}

// FluidSynth reads a preset's samples when the preset is chosen, by opening
// the SoundFont again by its name. A file removed, truncated or rewritten in
// the meantime (a package upgrade is enough) would crash it or play noise.
// So each SoundFont is opened once, when it loads, and FluidSynth's loader
// reads through that descriptor: a file removed or renamed over keeps its old
// contents for us; one changed in place is refused, and the instruments
// already read play on. A change is told by the system's notification of any
// write (size and time can be put back as they were), and by the size and
// time where there is none or a write went through a mapping.
struct KeptSoundFont {
  int fd = -1;
  int users = 0;
  off_t size = 0;
  timespec modified{};
  std::unique_ptr<ContentWatch> watch;
  DeviceReports* reports = nullptr;
  bool changed = false;
};

std::mutex keptMutex;
std::map<std::string, KeptSoundFont>& Kept() {
  static auto* const kept = new std::map<std::string, KeptSoundFont>;
  return *kept;
}

bool KeepSoundFont(const std::string& path, DeviceReports* reports) {
  std::lock_guard<std::mutex> lock(keptMutex);
  KeptSoundFont& kept = Kept()[path];
  if (kept.users == 0) {
    kept.fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (kept.fd < 0 || fstat(kept.fd, &info) != 0) {
      if (kept.fd >= 0) close(kept.fd);
      Kept().erase(path);
      return false;
    }
    kept.size = info.st_size;
    kept.modified = info.st_mtim;
    kept.changed = false;
    kept.watch = WatchContent(kept.fd);
  }
  if (reports) kept.reports = reports;
  ++kept.users;
  return true;
}

void ReleaseSoundFont(const std::string& path) {
  std::lock_guard<std::mutex> lock(keptMutex);
  auto it = Kept().find(path);
  if (it == Kept().end() || --it->second.users > 0) return;
  close(it->second.fd);
  Kept().erase(it);
}

// FluidSynth reads a SoundFont's headers a few bytes at a time: they come
// from a window of the file read at once.
struct ReadPlace {
  static constexpr size_t kWindow = 64 * 1024;
  int fd = -1;
  off_t size = 0;
  off_t at = 0;
  off_t windowAt = 0;
  std::vector<char> window;
};

// False when the file changed in place since it loaded (said once). Called
// with keptMutex held.
bool AsLoaded(const std::string& path, KeptSoundFont& kept) {
  struct stat now {};
  const bool same = !kept.changed && !(kept.watch && kept.watch->Changed()) &&
                    fstat(kept.fd, &now) == 0 && now.st_size == kept.size &&
                    now.st_mtim.tv_sec == kept.modified.tv_sec &&
                    now.st_mtim.tv_nsec == kept.modified.tv_nsec;
  if (!same && !kept.changed) {
    kept.changed = true;
    if (kept.reports) kept.reports->Tell({NewsKind::SoundFontChanged, path});
  }
  return same;
}

bool SoundFontAsLoaded(const std::string& path) {
  std::lock_guard<std::mutex> lock(keptMutex);
  auto it = Kept().find(path);
  return it != Kept().end() && AsLoaded(path, it->second);
}

// The kept descriptor of a SoundFont, or null when it changed in place.
void* OpenKept(const char* path) {
  std::lock_guard<std::mutex> lock(keptMutex);
  auto it = Kept().find(path);
  if (it == Kept().end() || !AsLoaded(path, it->second)) return nullptr;
  auto* place = new ReadPlace;
  place->fd = it->second.fd;
  place->size = it->second.size;
  return place;
}

int ReadKept(void* buffer, fluid_long_long_t count, void* handle) {
  auto* place = static_cast<ReadPlace*>(handle);
  char* to = static_cast<char*>(buffer);
  if (count > 0 && static_cast<size_t>(count) < ReadPlace::kWindow) {
    const off_t end = place->windowAt + static_cast<off_t>(place->window.size());
    if (place->at < place->windowAt || place->at + count > end) {
      place->window.resize(ReadPlace::kWindow);
      const ssize_t n = pread(place->fd, place->window.data(), ReadPlace::kWindow, place->at);
      place->window.resize(n > 0 ? static_cast<size_t>(n) : 0);
      place->windowAt = place->at;
      if (n < count) return FLUID_FAILED;
    }
    std::memcpy(to, place->window.data() + (place->at - place->windowAt),
                static_cast<size_t>(count));
    place->at += count;
    return FLUID_OK;
  }
  while (count > 0) {
    const ssize_t n = pread(place->fd, to, static_cast<size_t>(count), place->at);
    if (n <= 0) return FLUID_FAILED;
    to += n;
    count -= n;
    place->at += n;
  }
  return FLUID_OK;
}

int SeekKept(void* handle, fluid_long_long_t offset, int origin) {
  auto* place = static_cast<ReadPlace*>(handle);
  const off_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? place->at : place->size;
  if (base + offset < 0) return FLUID_FAILED;
  place->at = static_cast<off_t>(base + offset);
  return FLUID_OK;
}

fluid_long_long_t TellKept(void* handle) { return static_cast<ReadPlace*>(handle)->at; }

int CloseKept(void* handle) {
  delete static_cast<ReadPlace*>(handle);
  return FLUID_OK;
}

}  // namespace

Failure SoundFontFailure(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return Fail(FailureKind::SoundFontUnreadable, path, errno);
  if (S_ISDIR(info.st_mode)) {
    return Fail(FailureKind::SoundFontUnreadable, path, EISDIR);
  }
  if (!S_ISREG(info.st_mode)) {
    return Fail(FailureKind::SoundFontUnreadable, path, 0, "not a plain file");
  }
  return Fail(FailureKind::SoundFontUnreadable, path, 0, "not a SoundFont FluidSynth can read");
}

std::string DefaultSoundFontPath() {
  if (const char* path = std::getenv("TANGREL_SOUNDFONT"); path && *path) return path;
  return "/usr/share/sounds/sf3/default-GM.sf3";
}

std::unique_ptr<SynthEngine> SynthEngine::Create(const std::string& soundFontPath,
                                                 double sampleRate, DeviceReports* reports) {
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
  // Ten keys with their bourdon sound about 40 voices with a two-layer
  // piano; half FluidSynth's default of 256 leaves room for their release
  // and takes less memory.
  fluid_settings_setint(settings, "synth.polyphony", 128);
  fluid_synth_t* synth = new_fluid_synth(settings);
  fluid_sfloader_t* loader = synth ? new_fluid_defsfloader(settings) : nullptr;
  if (!loader) {
    if (synth) delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return nullptr;
  }
  fluid_sfloader_set_callbacks(loader, &OpenKept, &ReadKept, &SeekKept, &TellKept, &CloseKept);
  fluid_synth_add_sfloader(synth, loader);  // tried before the synth's own
  // Anything but a SoundFont is turned away before a loader sees it: some
  // print their complaints straight to standard error.
  if (!fluid_is_soundfont(soundFontPath.c_str()) || !KeepSoundFont(soundFontPath, reports)) {
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return nullptr;
  }
  auto engine = std::unique_ptr<SynthEngine>(new SynthEngine(settings, synth, sampleRate));
  engine->soundFontPath_ = soundFontPath;
  // Every channel but the percussion one starts on the first instrument, as
  // General MIDI has it; the drum kit's samples (as many again as a piano's
  // in a large SoundFont) are read when channel 10 first plays.
  if (fluid_synth_sfload(synth, soundFontPath.c_str(), 0) == FLUID_FAILED) return nullptr;
  for (int channel = 0; channel < fluid_synth_count_midi_channels(synth); ++channel) {
    if (channel != kPercussionChannel) fluid_synth_program_change(synth, channel, 0);
  }
  return engine;
}

SynthEngine::SynthEngine(fluid_settings_t* settings, fluid_synth_t* synth, double sampleRate)
    : settings_(settings), synth_(synth), sampleRate_(sampleRate) {}

SynthEngine::~SynthEngine() {
  delete_fluid_synth(synth_);
  delete_fluid_settings(settings_);
  if (!soundFontPath_.empty()) ReleaseSoundFont(soundFontPath_);
}

void SynthEngine::Send(uint32_t word) {
  messagesSent_.fetch_add(1, std::memory_order_release);
  const uint32_t status = word & 0xF0;
  if (status < 0x80) return;
  const ChannelCall call = kChannelCalls[(status >> 4) - 8];
  if (!call) return;
  const int channel = static_cast<int>(word & 0x0F);
  const bool drumsFirst = channel == kPercussionChannel && !drumsChosen_ && status == 0x90;
  // A new instrument is read from the file. FluidSynth plays on after it
  // failed to read one and crashes: a file that changed in place is not read
  // from again, and the channel keeps the instrument it has.
  if ((status == 0xC0 || drumsFirst) && !SoundFontAsLoaded(soundFontPath_)) {
    if (status == 0xC0) return;
  } else if (drumsFirst) {
    fluid_synth_program_change(synth_, channel, 0);
  }
  if (channel == kPercussionChannel && (status == 0x90 || status == 0xC0)) drumsChosen_ = true;
  call(synth_, channel, static_cast<int>((word >> 8) & 0x7F),
       static_cast<int>((word >> 16) & 0x7F));
}

void SynthEngine::RenderFloat(float* left, float* right, int frames) {
  fluid_synth_write_float(synth_, frames, left, 0, 1, right, 0, 1);
}

}  // namespace tangrel
