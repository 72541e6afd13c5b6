// SPDX-License-Identifier: GPL-3.0-or-later
// Naming a key's cap after what it types, and the notes the keys sound.
#include <gtest/gtest.h>

#include <map>

#include "session/KeyCaps.h"

namespace tangrel {
namespace {

TEST(KeyCaps, ACapShowsTheFirstCharacterTheKeyTypesWithLettersInCapitals) {
  // Part of an AZERTY layout, keyed by X key code: Q types "a", A types "q".
  const std::map<uint32_t, std::string> azerty = {
      {NativeKeyCodeOf(16), "a"}, {NativeKeyCodeOf(30), "q"}, {NativeKeyCodeOf(2), "&"},
      {NativeKeyCodeOf(3), "\xC3\xA9"}, {NativeKeyCodeOf(26), ""}, {NativeKeyCodeOf(28), "\r"}};
  auto cap = [&](uint32_t scanCode) { return KeyCapName(azerty.at(NativeKeyCodeOf(scanCode))); };
  EXPECT_EQ(NativeKeyCodeOf(30), 38u);  // evdev 30 + 8, as X numbers the A key
  EXPECT_EQ(cap(16), "A");
  EXPECT_EQ(cap(30), "Q");
  EXPECT_EQ(cap(2), "&");
  EXPECT_EQ(cap(3), "\xC3\xA9");  // é stays whole
  EXPECT_EQ(cap(26), "");         // a dead key types nothing by itself
  EXPECT_EQ(cap(28), "");         // Enter types a control character
  EXPECT_EQ(KeyCapName("\xC3"), "");  // a cut sequence
}

TEST(KeyCaps, NotesAreNamedWithMiddleCAsC4AndFlatsInFlatKeys) {
  EXPECT_EQ(KeyNoteName(30, 1297), "C4");   // A in C major
  EXPECT_EQ(KeyNoteName(44, 1297), "C#4");  // Z
  EXPECT_EQ(KeyNoteName(44, 1313), "E4");   // Z in bE major: 61 + 3
  EXPECT_EQ(KeyNoteName(31, 1313), "F4");
  EXPECT_EQ(KeyNoteName(30, 1313), "Eb4");
  EXPECT_EQ(KeyNoteName(1, 1297), "");      // Esc sounds nothing
  EXPECT_EQ(NoteName(48, false), "C3");
}

}  // namespace
}  // namespace tangrel
