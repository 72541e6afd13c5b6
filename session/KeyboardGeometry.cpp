// SPDX-License-Identifier: GPL-3.0-or-later
// Keyboard origin, key cells and the mouse hit-test.
#include "session/KeyboardGeometry.h"

#include <algorithm>

#include "model/KeyMap.h"

namespace tangrel {

PixelPoint KeyboardOrigin(int clientWidth, int clientHeight, int charHeight) {
  return {(clientWidth - kKeyboardWidth) / 2, charHeight + (clientHeight - kKeyboardHeight) / 2};
}

std::optional<PixelPoint> KeyCell(PixelPoint origin, uint32_t scanCode) {
  auto entry = LookupKey(scanCode);
  if (!entry || entry->column < 0) return std::nullopt;
  return PixelPoint{origin.x + entry->column * kColumnStep, origin.y + entry->row * kKeyHeight};
}

std::optional<uint32_t> HitTestKeyboard(PixelPoint origin, int x, int y) {
  const int dx = x - origin.x;
  const int dy = y - origin.y;
  if (dx < 0 || dx > kKeyboardWidth || dy < 0 || dy > kKeyboardHeight) return std::nullopt;
  const int row = std::min(dy / kKeyHeight, kLastRow);
  // Rows 1 and 3 are staggered by half a key; in their first 19 px the
  // truncating division still gives 0, so that strip belongs to column 1.
  const int column = (row % 2 == 0) ? (dx / kKeyWidth) * 2
                                    : ((dx - kColumnStep) / kKeyWidth) * 2 + 1;
  const int clamped = std::clamp(column, 0, kLastColumn);
  for (uint32_t s = 0; s < static_cast<uint32_t>(kKeyMapSize); ++s) {
    const KeyMapEntry& e = KeyMap[s];
    if (e.row == row && e.column == clamped) return s;
  }
  return std::nullopt;
}

}  // namespace tangrel
