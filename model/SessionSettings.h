// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide playing settings, owned by the main window, read by the engine.
#pragma once

#include <cstdint>

#include "model/KeyMap.h"

namespace tangrel {

constexpr int kBourdonChannel = 15;  // carries only the bourdon voice, never a track

struct SessionSettings {
  int32_t deviceId = 0;  // the first device, the built-in synthesizer where there is one
  int32_t track = 0;      // MIDI channel 0..14
  int32_t program = 0;    // General MIDI program 0..127
  int32_t velocity = 127; // 1..127
  ModeId mode = kFirstModeId;
  int32_t bourdon = 0;    // 0 or 1
  int32_t switchOpen = 0; // 1 while the MIDI output is open
};

}  // namespace tangrel
