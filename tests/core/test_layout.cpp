// SPDX-License-Identifier: GPL-3.0-or-later
// Keyboard origin, key cells, the mouse hit-test and the button row.
#include <gtest/gtest.h>

#include "model/KeyMap.h"
#include "session/KeyboardGeometry.h"
#include "session/Layout.h"

namespace tangrel {
namespace {

constexpr uint32_t kScanQ = 16, kScanRightBracket = 27, kScanA = 30, kScanZ = 44,
                   kScanSlash = 53;

TEST(KeyboardGeometry, OriginTruncatesTowardZero) {
  EXPECT_EQ(KeyboardOrigin(800, 600, 16), (PixelPoint{162, 238}));
  EXPECT_EQ(KeyboardOrigin(0, 0, 16), (PixelPoint{-237, 16 - 78}));
  EXPECT_EQ(KeyboardOrigin(476, 157, 0), (PixelPoint{0, 0}));
  EXPECT_EQ(KeyboardOrigin(474, 155, 0), (PixelPoint{0, 0}));  // -1 / 2 is 0
}

TEST(KeyboardGeometry, CellsFollowRowAndColumn) {
  const PixelPoint o{100, 50};
  EXPECT_EQ(KeyCell(o, kScanA), (PixelPoint{100 + 2 * 19, 50 + 2 * 39}));
  EXPECT_EQ(KeyCell(o, kScanRightBracket), (PixelPoint{100 + 23 * 19, 50 + 39}));
  EXPECT_FALSE(KeyCell(o, 0).has_value());   // no key
  EXPECT_FALSE(KeyCell(o, 42).has_value());  // left Shift
  EXPECT_FALSE(KeyCell(o, 54).has_value());
}

TEST(KeyboardGeometry, EveryKeyIsHitAtItsOwnCell) {
  const PixelPoint o{162, 238};
  for (uint32_t s = 0; s < kKeyMapSize; ++s) {
    auto cell = KeyCell(o, s);
    if (!cell) continue;
    EXPECT_EQ(HitTestKeyboard(o, cell->x + 20, cell->y + 20), s) << "scan code " << s;
  }
}

TEST(KeyboardGeometry, HitTestEdges) {
  const PixelPoint o{162, 238};
  // The right edge: column 24 clamps to 23, empty in row 0, "]" in row 1.
  EXPECT_FALSE(HitTestKeyboard(o, o.x + 475, o.y + 10).has_value());
  EXPECT_EQ(HitTestKeyboard(o, o.x + 475, o.y + 39 + 10), kScanRightBracket);
  // The bottom edge belongs to row 3.
  EXPECT_EQ(HitTestKeyboard(o, o.x + 21 * 19 + 5, o.y + 156), kScanSlash);
  // The left 19 px of row 1 are Q's.
  EXPECT_EQ(HitTestKeyboard(o, o.x, o.y + 40), kScanQ);
  EXPECT_EQ(HitTestKeyboard(o, o.x + 18, o.y + 40), kScanQ);
  // Both ends of row 2 and the left end of row 3 have no key.
  EXPECT_FALSE(HitTestKeyboard(o, o.x + 10, o.y + 80).has_value());
  EXPECT_FALSE(HitTestKeyboard(o, o.x + 470, o.y + 80).has_value());
  EXPECT_FALSE(HitTestKeyboard(o, o.x + 10, o.y + 120).has_value());
  EXPECT_EQ(HitTestKeyboard(o, o.x + 3 * 19 + 1, o.y + 120), kScanZ);
  // Outside by one pixel in each direction.
  EXPECT_FALSE(HitTestKeyboard(o, o.x - 1, o.y + 40).has_value());
  EXPECT_FALSE(HitTestKeyboard(o, o.x + 476, o.y + 40).has_value());
  EXPECT_FALSE(HitTestKeyboard(o, o.x + 100, o.y - 1).has_value());
  EXPECT_FALSE(HitTestKeyboard(o, o.x + 100, o.y + 157).has_value());
}

TEST(Layout, ControlsOfAnEightHundredBySixHundredWindow) {
  const WindowLayout l = ComputeLayout(800, 600, 8, 16);
  EXPECT_EQ(l.keyboardOrigin, (PixelPoint{162, 238}));
  EXPECT_EQ(l.velocityBar, (PixelRect{680, 180, 20, 240}));
  EXPECT_EQ(l.pitchBendBar, (PixelRect{720, 180, 20, 240}));
  const int xs[] = {248, 312, 376, 440, 504};
  for (int i = 0; i < kButtonCount; ++i) {
    EXPECT_EQ(l.buttons[i], (PixelRect{xs[i], 480, 56, 28})) << "button " << i;
  }
}

TEST(Layout, ButtonsFormOneRowWithOneCellBetween) {
  const WindowLayout l = ComputeLayout(1366, 741, 9, 17);
  for (int i = 1; i < kButtonCount; ++i) {
    EXPECT_EQ(l.buttons[i].x - (l.buttons[i - 1].x + l.buttons[i - 1].width), 9);
    EXPECT_EQ(l.buttons[i].y, l.buttons[0].y);
  }
  EXPECT_EQ(l.buttons[0].height, 7 * 17 / 4);
}

}  // namespace
}  // namespace tangrel
