// SPDX-License-Identifier: GPL-3.0-or-later
// The key message and its keyData word, laid out as the PC keyboard driver
// lays it out: recorded takes store it, live playing and the window read it.
#pragma once

#include <cstdint>

namespace tangrel {

constexpr uint32_t WM_KEYDOWN = 256;
constexpr uint32_t WM_KEYUP = 257;

// Repeat count 1 in bits 0..15, the set-1 scan code in bits 16..23.
constexpr uint32_t kKeyDataScanShift = 16;
constexpr uint32_t kKeyDataExtendedBit = 1u << 24;   // the E0 prefix
constexpr uint32_t kKeyDataRepeatBit = 1u << 30;     // the key was already down
constexpr uint32_t kKeyDataReleaseBits = 3u << 30;   // previous state and transition

// Esc silences everything: the live notes and the replayed ones alike.
constexpr uint32_t kEscapeScanCode = 1;

constexpr uint32_t ScanCodeOf(uint32_t keyData) { return (keyData >> kKeyDataScanShift) & 0xFF; }

// The keyData of a plain press of a scan code, as a click on a key gives it.
constexpr uint32_t KeyDataOfScanCode(uint32_t scanCode) { return scanCode << kKeyDataScanShift; }

}  // namespace tangrel
