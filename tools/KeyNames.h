// SPDX-License-Identifier: GPL-3.0-or-later
// The US keyboard names of the scan codes the key map covers, for listings.
#pragma once

#include <array>
#include <cstdint>

#include "model/KeyMap.h"

namespace tangrel::tool {

constexpr std::array<const char*, kKeyMapSize> kKeyNames = {
    "none", "Esc", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0",           // 0..11
    "minus", "equals", "Backspace", "Tab",                                     // 12..15
    "Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P",                          // 16..25
    "left bracket", "right bracket", "Enter", "left Ctrl",                     // 26..29
    "A", "S", "D", "F", "G", "H", "J", "K", "L",                               // 30..38
    "semicolon", "apostrophe", "grave", "left Shift", "backslash",             // 39..43
    "Z", "X", "C", "V", "B", "N", "M", "comma", "period", "slash",             // 44..53
};
static_assert(kKeyNames.back() != nullptr, "one name for every scan code of the key map");

// Null for a scan code beyond the table.
inline const char* KeyName(uint32_t scanCode) {
  return scanCode < kKeyNames.size() ? kKeyNames[scanCode] : nullptr;
}

}  // namespace tangrel::tool
