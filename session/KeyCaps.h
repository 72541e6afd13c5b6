// SPDX-License-Identifier: GPL-3.0-or-later
// What the on-screen keyboard tells about each key besides its degree: the
// computer key that plays it, as the user's own layout names it, and the note
// it sounds.
#pragma once

#include <cstdint>
#include <string>

#include "model/KeyMap.h"

namespace tangrel {

// X11 and Wayland number a physical key by its set-1 scan code + 8 (evdev + 8).
constexpr uint32_t NativeKeyCodeOf(uint32_t scanCode) { return scanCode + 8; }

// The cap's name for what the key types in the current layout and group: its
// first character, a letter in capitals as keyboards engrave them; empty for
// a key that types nothing printable (a dead key, a control character).
std::string KeyCapName(const std::string& typed);

// "C4", "F#5" or, in a flat key, "Bb3": middle C is note 60, "C4".
std::string NoteName(int32_t note, bool flats);

// The note a key sounds unshifted in a mode, by name; empty for a key
// without a note.
std::string KeyNoteName(uint32_t scanCode, ModeId mode);

}  // namespace tangrel
