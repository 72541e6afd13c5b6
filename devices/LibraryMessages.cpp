// SPDX-License-Identifier: GPL-3.0-or-later
// The message hooks of alsa-lib and libjack.
#include "devices/LibraryMessages.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "model/Failure.h"

namespace tangrel {
namespace {

// libjack also calls from its own threads, where no capture lives: those
// messages belong to no attempt and are dropped.
void KeepJackMessage(const char* message) { MessageCapture::Keep(std::string("JACK: ") + message); }

// alsa-lib's own handler prints "ALSA lib file:line:(function) text: error".
void KeepAlsaMessage(const char*, int, const char* function, int error, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  std::string message = std::string("ALSA: ") + (function ? function : "") + ": " + text;
  // snd_strerror takes errno values to strerror, which is not safe off
  // the window's thread.
  const int code = error < 0 ? -error : error;
  if (code != 0) message += ": " + (code < SND_ERROR_BEGIN ? ErrorText(code) : snd_strerror(code));
  MessageCapture::Keep(std::move(message));
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

}  // namespace tangrel
