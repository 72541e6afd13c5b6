// SPDX-License-Identifier: GPL-3.0-or-later
// keyData from native scan codes, as the PC keyboard driver builds lParam.
#include <gtest/gtest.h>

#include "ui/KeyTranslation.h"

namespace tangrel {
namespace {

constexpr uint32_t Native(uint32_t evdev) { return evdev + 8; }

TEST(KeyTranslation, PressCarriesRepeatCountAndSet1Code) {
  EXPECT_EQ(MakeKeyData(Native(30), false, false), 0x001E0001u);  // A
  EXPECT_EQ(MakeKeyData(Native(1), false, false), 0x00010001u);   // Esc
  EXPECT_EQ(MakeKeyData(Native(88), false, false), 0x00580001u);  // F12, the last plain code
}

TEST(KeyTranslation, AutoRepeatSetsPreviousStateAndReleaseSetsBothTopBits) {
  EXPECT_EQ(MakeKeyData(Native(30), false, true), 0x401E0001u);
  EXPECT_EQ(MakeKeyData(Native(30), true, false), 0xC01E0001u);
  EXPECT_EQ(MakeKeyData(Native(30), true, true), 0xC01E0001u);
}

TEST(KeyTranslation, ExtendedKeysShareTheirMainCodeWithBit24) {
  EXPECT_EQ(MakeKeyData(Native(98), false, false), 0x01350001u);  // keypad slash
  EXPECT_EQ(MakeKeyData(Native(96), false, false), 0x011C0001u);  // keypad Enter
  EXPECT_EQ(MakeKeyData(Native(97), true, false), 0xC11D0001u);   // right Ctrl released
  EXPECT_EQ(MakeKeyData(Native(103), false, false), 0x01480001u); // Up
  EXPECT_EQ(MakeKeyData(Native(111), false, false), 0x01530001u); // Delete
}

TEST(KeyTranslation, KeysWithoutASet1CodeGiveScanCodeZero) {
  EXPECT_EQ(MakeKeyData(0, false, false), 0x00000001u);  // a synthetic event without a code
  EXPECT_EQ(MakeKeyData(8, false, false), 0x00000001u);
  EXPECT_EQ(MakeKeyData(Native(89), false, false), 0x00000001u);
  EXPECT_EQ(MakeKeyData(Native(240), false, false), 0x00000001u);
}

}  // namespace
}  // namespace tangrel
