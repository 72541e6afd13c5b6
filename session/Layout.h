// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's layout: every control placed by a formula of the client
// size and the character cell, products formed before dividing.
#pragma once

#include <array>

#include "session/KeyboardGeometry.h"

namespace tangrel {

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PixelRect& o) const {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
};

constexpr int kButtonCount = 5;  // Record, Finish, Play, Circle play, End Play

// Where texts and the picture are painted: the top-left corner of each.
struct PaintPlaces {
  PixelPoint switchText;  // status line 1: "Open" or "Close",
  PixelPoint deviceText;  // the device's name,
  PixelPoint trackText;   // "Track %i"
  PixelPoint hintText;    // status line 2
  PixelPoint picture;     // the instrument picture, centred, at a fixed height
  PixelPoint signature;   // the key-signature line, right of the picture
  PixelPoint forceLabel;  // under the velocity bar
  PixelPoint freqLabel;   // under the pitch-bend bar
  PixelPoint activityText;  // status line 3: recording, playing, not saved
  PixelPoint forceValue;    // the velocity, under its label
  PixelPoint freqValue;     // the bend in semitones, under its label
};

struct WindowLayout {
  PixelPoint keyboardOrigin;
  PixelRect velocityBar;
  PixelRect pitchBendBar;
  std::array<PixelRect, kButtonCount> buttons;  // in button order
  PaintPlaces paint;
};

WindowLayout ComputeLayout(int clientWidth, int clientHeight, int charWidth, int charHeight);

// The smallest client area in which the keyboard, the picture, the scroll
// bars, the buttons and the status lines do not overlap.
PixelPoint MinimumClientSize(int charWidth, int charHeight);

}  // namespace tangrel
