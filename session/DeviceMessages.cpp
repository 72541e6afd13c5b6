// SPDX-License-Identifier: GPL-3.0-or-later
// The devices' reports as lines on standard error.
#include "session/DeviceMessages.h"

#include <cstdio>

#include "session/Session.h"

namespace tangrel {
namespace {

// The library's words when it gave some, else the system's.
std::string Why(const Failure& failure) {
  return failure.cause.empty() ? ErrorText(failure.error) : failure.cause;
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
    case FailureKind::UnknownSoundOutput:
      return "\"" + f.detail + "\" is not a sound output; the outputs are " + f.cause;
    case FailureKind::SoundOutputLost:
      return "the built-in synthesizer's sound output is lost (" + f.cause +
             "); it comes back when a sound server answers";
    case FailureKind::MessagesDropped:
      return "the MIDI port \"" + f.detail + "\" is stalled; " + std::to_string(f.error) +
             " messages were dropped";
    case FailureKind::BadAudioSetting:
      return f.detail + " is not a whole number from " + f.cause + "; the default is used";
    default:
      return f.detail + (f.cause.empty() ? "" : ": " + f.cause);
  }
}

std::string DeviceMessage(const DeviceNews& news) {
  switch (news.kind) {
    case NewsKind::SoundOutputBack:
      return "the built-in synthesizer plays again through " + news.detail;
    case NewsKind::BufferSettled:
      return "the built-in synthesizer's buffer settled at " + news.text;
    case NewsKind::SoundFontChanged:
      return "the SoundFont " + news.detail +
             " changed on disk; the instruments already loaded play on, new ones stay silent "
             "until the built-in synthesizer is opened again";
  }
  return news.detail;
}

void PrintedDeviceReports::Report(const Failure& failure) {
  std::fprintf(stderr, "tangrel: %s\n", DeviceMessage(failure).c_str());
}

void PrintedDeviceReports::Tell(const DeviceNews& news) {
  std::fprintf(stderr, "tangrel: %s\n", DeviceMessage(news).c_str());
}

void ShownDeviceReports::Report(const Failure& failure) {
  PrintedDeviceReports::Report(failure);
  std::lock_guard<std::mutex> lock(mutex_);
  if (session_) session_->HandOverReport(failure);
}

void ShownDeviceReports::Tell(const DeviceNews& news) {
  PrintedDeviceReports::Tell(news);
  std::lock_guard<std::mutex> lock(mutex_);
  if (session_) session_->HandOverNews(news);
}

void ShownDeviceReports::Listen(Session* session) {
  std::lock_guard<std::mutex> lock(mutex_);
  session_ = session;
}

}  // namespace tangrel
