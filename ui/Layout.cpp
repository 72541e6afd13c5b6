// The layout formulas of the main window.
#include "ui/Layout.h"

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
  return layout;
}

}  // namespace tangrel
