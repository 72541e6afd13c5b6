// SPDX-License-Identifier: GPL-3.0-or-later
// The key caps named from real layouts, compiled by xkbcommon from the
// system's XKB data as a display server compiles them.
#include <gtest/gtest.h>

#include "ui/KeyboardLayout.h"
#include "ui/KeymapSource.h"

namespace tangrel {
namespace {

SharedKeymap Compile(const char* layouts) {
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  const xkb_rule_names names = {"evdev", "pc105", layouts, "", ""};
  SharedKeymap keymap =
      ShareKeymap(xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
  xkb_context_unref(context);
  return keymap;
}

// Scan codes: A 30, Q 16, Y 21, the digit row's minus 12 and equals 13, [ 26, Enter 28.
TEST(KeyboardLayout, DeadKeysShowTheirAccentAndSharpSStaysSmall) {
  const SharedKeymap de = Compile("de");
  ASSERT_TRUE(de);
  const CapNameArray caps = CapNamesOf(de.get(), 0);
  EXPECT_EQ(caps[21], "Z");
  EXPECT_EQ(caps[12], QString::fromUtf8("\u00DF"));  // ß
  EXPECT_EQ(caps[13], QString::fromUtf8("\u00B4"));  // dead acute
  EXPECT_EQ(caps[26], QString::fromUtf8("\u00DC"));  // ü in capitals
  EXPECT_EQ(CapNamesOf(Compile("fr").get(), 0)[26], "^");  // dead circumflex
}

TEST(KeyboardLayout, TheGroupInUseNamesTheCaps) {
  const SharedKeymap both = Compile("us,fr");
  ASSERT_TRUE(both);
  EXPECT_EQ(CapNamesOf(both.get(), 0)[30], "A");
  EXPECT_EQ(CapNamesOf(both.get(), 1)[30], "Q");
  EXPECT_EQ(CapNamesOf(both.get(), 1)[16], "A");
  EXPECT_EQ(CapNamesOf(both.get(), 0)[28], "");  // Enter has no note, so no name
  EXPECT_EQ(CapNamesOf(nullptr, 0)[30], "");
}

}  // namespace
}  // namespace tangrel
