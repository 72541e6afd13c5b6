// SPDX-License-Identifier: GPL-3.0-or-later
// Where the on-screen keyboard sits and which key a point falls on: plain
// numbers, so the formulas and their edge cases are tested without a window.
#pragma once

#include <cstdint>
#include <optional>

namespace tangrel {

constexpr int kKeyboardWidth = 475;  // a key in column 23 ends at 23 x 19 + 38
constexpr int kKeyboardHeight = 156; // four rows of 39
constexpr int kKeyWidth = 38;
constexpr int kKeyHeight = 39;
constexpr int kColumnStep = 19;      // columns count half keys
constexpr int kLastColumn = 23;
constexpr int kLastRow = 3;
constexpr uint32_t kNoCapturedKey = 255;

struct PixelPoint {
  int x = 0;
  int y = 0;
  bool operator==(const PixelPoint& o) const { return x == o.x && y == o.y; }
};

// Top-left corner of the keyboard for a client area of w x h and a character
// height ch; divisions truncate toward zero, so a tiny window gives negatives.
PixelPoint KeyboardOrigin(int clientWidth, int clientHeight, int charHeight);

// Top-left corner of the 38 x 39 cell of a scan code; nothing for a key that
// is not on the keyboard.
std::optional<PixelPoint> KeyCell(PixelPoint origin, uint32_t scanCode);

// The key under a mouse click, or nothing. Both ends of each range count as
// inside: the bottom edge falls into row 3, the right edge into column 23.
std::optional<uint32_t> HitTestKeyboard(PixelPoint origin, int x, int y);

}  // namespace tangrel
