// SPDX-License-Identifier: GPL-3.0-or-later
// The devices' reports as lines on standard error.
#include "session/DeviceMessages.h"

#include <cstdio>
#include <cstring>

#include "session/Session.h"

namespace tangrel {
namespace {

// The system's words when it gave an errno, else the library's.
std::string Why(const Failure& failure) {
  return failure.error != 0 ? std::strerror(failure.error) : failure.cause;
}

}  // namespace

std::string DeviceMessage(const Failure& f) {
  switch (f.kind) {
    case FailureKind::DeviceUnavailable:
      return "cannot open the MIDI port \"" + f.detail + "\": " + Why(f);
    case FailureKind::SoundFontUnreadable:
      return "cannot load the SoundFont " + f.detail + ": " + Why(f);
    case FailureKind::NoSoundOutput:
      if (!f.detail.empty()) return "the " + f.detail + " output did not start: " + Why(f);
      return "the built-in synthesizer found no sound output (" + f.cause + ")";
    case FailureKind::SoundOutputLost:
      return "the built-in synthesizer's sound output is lost (" + f.cause +
             "); it comes back when a sound server answers";
    case FailureKind::SoundOutputBack:
      return "the built-in synthesizer plays again through " + f.detail;
    case FailureKind::BufferSettled:
      return "the built-in synthesizer's buffer settled at " + f.cause;
    case FailureKind::SoundFontChanged:
      return "the SoundFont " + f.detail +
             " changed on disk; the instruments already loaded play on, new ones stay silent "
             "until the built-in synthesizer is opened again";
    case FailureKind::MessagesDropped:
      return "the MIDI port \"" + f.detail + "\" is stalled; " + std::to_string(f.error) +
             " messages were dropped";
    case FailureKind::BadAudioSetting:
      return f.detail + " is not a whole number from " + f.cause + "; the default is used";
    default:
      return f.detail + (f.cause.empty() ? "" : ": " + f.cause);
  }
}

void PrintedDeviceReports::Report(const Failure& failure) {
  std::fprintf(stderr, "tangrel: %s\n", DeviceMessage(failure).c_str());
}

void ShownDeviceReports::Report(const Failure& failure) {
  PrintedDeviceReports::Report(failure);
  std::lock_guard<std::mutex> lock(mutex_);
  if (session_) session_->HandOverReport(failure);
}

void ShownDeviceReports::Listen(Session* session) {
  std::lock_guard<std::mutex> lock(mutex_);
  session_ = session;
}

}  // namespace tangrel
