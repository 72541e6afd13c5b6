// SPDX-License-Identifier: GPL-3.0-or-later
// The layout formulas of the main window.
#include "session/Layout.h"

#include <algorithm>

#include "session/Instruments.h"

namespace tangrel {

WindowLayout ComputeLayout(int w, int h, int cw, int ch) {
  WindowLayout layout;
  layout.keyboardOrigin = KeyboardOrigin(w, h, ch);
  layout.velocityBar = {17 * w / 20, 3 * h / 10, w / 40, 4 * h / 10};
  layout.pitchBendBar = {18 * w / 20, 3 * h / 10, w / 40, 4 * h / 10};
  // One row of five buttons, each seven cells wide with one cell between.
  constexpr std::array<int, kButtonCount> kCellsFromMiddle = {-19, -11, -3, 5, 13};
  for (int i = 0; i < kButtonCount; ++i) {
    layout.buttons[i] = {w / 2 + kCellsFromMiddle[i] * cw, 8 * h / 10, 7 * cw, 7 * ch / 4};
  }
  constexpr int kPictureTop = 44;
  constexpr int kSignatureTop = 115;
  const int pictureLeft = (w - kPictureWidth) / 2;
  layout.paint = {{cw, h - 4 * ch},
                  {5 * cw, h - 4 * ch},
                  {20 * cw, h - 4 * ch},
                  {cw, h - 3 * ch},
                  {pictureLeft, kPictureTop},
                  {pictureLeft + kPictureWidth, kSignatureTop},
                  {135 * w / 160, 7 * h / 10},
                  {143 * w / 160, 7 * h / 10},
                  {cw, h - 2 * ch},
                  {135 * w / 160, 7 * h / 10 + ch},
                  {143 * w / 160, 7 * h / 10 + ch}};
  return layout;
}

PixelPoint MinimumClientSize(int cw, int ch) {
  // Width: the keyboard's right edge (w + 475) / 2 stays left of the velocity
  // bar at 17w / 20, and the five buttons fit. Height: the keyboard starts
  // below the picture, and the status lines stay below the buttons.
  const int width = std::max(680, 40 * cw);
  const int pictureBottom = 44 + kPictureHeight + ch;
  const int height = std::max(2 * (pictureBottom - ch) + kKeyboardHeight, 30 * ch);
  return {width, height};
}

}  // namespace tangrel
