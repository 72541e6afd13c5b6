// SPDX-License-Identifier: GPL-3.0-or-later
// The message hooks of alsa-lib and libjack, and the few latest messages.
#include "devices/LibraryMessages.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <cstdarg>
#include <cstdio>
#include <deque>
#include <mutex>

namespace tangrel {
namespace {

constexpr size_t kKeptMessages = 8;

// libjack calls from its own threads too.
std::mutex& Lock() {
  static std::mutex mutex;
  return mutex;
}

std::deque<std::string>& Kept() {
  static auto* const kept = new std::deque<std::string>;
  return *kept;
}

void Keep(std::string message) {
  while (!message.empty() && message.back() == '\n') message.pop_back();
  if (message.empty()) return;
  std::lock_guard<std::mutex> lock(Lock());
  if (!Kept().empty() && Kept().back() == message) return;  // libjack repeats itself
  Kept().push_back(std::move(message));
  if (Kept().size() > kKeptMessages) Kept().pop_front();
}

void KeepJackMessage(const char* message) { Keep(std::string("JACK: ") + message); }

// alsa-lib's own handler prints "ALSA lib file:line:(function) text: error".
void KeepAlsaMessage(const char*, int, const char* function, int error, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  std::string message = std::string("ALSA: ") + (function ? function : "") + ": " + text;
  if (error != 0) message += std::string(": ") + snd_strerror(error);
  Keep(std::move(message));
}

}  // namespace

void KeepLibraryMessages() {
  static std::once_flag once;
  std::call_once(once, [] {
    snd_lib_error_set_handler(&KeepAlsaMessage);
    jack_set_error_function(&KeepJackMessage);
    jack_set_info_function(&KeepJackMessage);
  });
}

std::string TakeLibraryMessages() {
  std::lock_guard<std::mutex> lock(Lock());
  std::string all;
  for (const std::string& message : Kept()) all += (all.empty() ? "" : "; ") + message;
  Kept().clear();
  return all;
}

}  // namespace tangrel
