// SPDX-License-Identifier: GPL-3.0-or-later
// What went wrong, as a value: every room below the session returns one, and
// only the session turns it into words the user reads.
#pragma once

#include <string>
#include <utility>

namespace tangrel {

enum class FailureKind {
  None,
  // Performance files and exports.
  CannotCreate,
  CannotWrite,
  CannotOpen,
  NotStandard,
  NotSupported,
  CannotRead,
  // The recording journal: the take is then kept in memory alone.
  JournalUnwritable,
  // MIDI devices and the built-in synthesizer's sound outputs.
  DeviceUnavailable,
  SoundFontUnreadable,
  NoSoundOutput,      // detail: the output tried; error: ETIMEDOUT when its server did not
                      // answer, ECONNREFUSED when none runs, ENODEV without a sound card
  UnknownSoundOutput, // detail: a name that is no sound output; cause: the names there are
  SoundOutputLost,    // the server went away and has not come back; detail: the driver;
                      // error: what it answers now, as for NoSoundOutput
  MessagesDropped,    // a stalled port took nothing; error: how many were dropped
  BadAudioSetting,    // detail: NAME=value; cause: the range it must lie in
};

struct Failure {
  FailureKind kind = FailureKind::None;
  std::string detail;  // the path, driver or device the failure concerns
  int error = 0;       // the system's errno when it said why, else 0
  std::string cause;   // a library's own words on why, when it gave some

  explicit operator bool() const { return kind != FailureKind::None; }
};

// The system's words for an errno, safe on any thread (strerror is not).
std::string ErrorText(int error);

inline Failure Fail(FailureKind kind, std::string detail, int error = 0, std::string cause = {}) {
  return Failure{kind, std::move(detail), error, std::move(cause)};
}

}  // namespace tangrel
