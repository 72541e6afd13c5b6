// SPDX-License-Identifier: GPL-3.0-or-later
// Key events to keyData: the 32-bit word a key message carries, built from the
// platform's native scan code exactly as the PC keyboard driver builds it, so a
// recorded take is the same whatever system recorded it.
#pragma once

#include <cstdint>

#include "model/KeyData.h"

namespace tangrel {

struct Set1Key {
  uint32_t scanCode = 0;  // 0 for a key that has none
  bool extended = false;  // the E0 prefix: right Ctrl, keypad slash, arrows ...
};

// The PC/AT set-1 key of an X11/Wayland native scan code (evdev code + 8).
Set1Key Set1ScanCode(uint32_t nativeScanCode);

// keyData of a key press (autoRepeat: the key was already down) or release:
// repeat count 1 in bits 0..15, scan code in bits 16..23, extended flag in bit
// 24, previous key state in bit 30, transition in bit 31 (a release).
uint32_t MakeKeyData(uint32_t nativeScanCode, bool release, bool autoRepeat);

}  // namespace tangrel
