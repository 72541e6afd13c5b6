// The main window's layout: every control placed by a formula of the client
// size and the character cell, products formed before dividing.
#pragma once

#include <array>

#include "ui/KeyboardGeometry.h"

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

struct WindowLayout {
  PixelPoint keyboardOrigin;
  PixelRect velocityBar;
  PixelRect pitchBendBar;
  std::array<PixelRect, kButtonCount> buttons;  // in button order
};

WindowLayout ComputeLayout(int clientWidth, int clientHeight, int charWidth, int charHeight);

}  // namespace tangrel
