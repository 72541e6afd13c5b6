// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar as data: every popup and item with its text, command id, check
// mark and grey state as the program starts. The window turns it into menus.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/MidiOut.h"

namespace tangrel {

struct MenuItem {
  std::string text;        // with "&" mnemonics and "\t" before a shortcut
  int32_t command = 0;     // 0 for a popup
  bool checked = false;
  bool grayed = false;
  bool checkable = false;  // one of a group that carries a check mark
  std::vector<MenuItem> items;  // a popup's items
};

// The eight popups in bar order, for the Device menu's entries.
std::vector<MenuItem> BuildMenuBar(const std::vector<DeviceMenuItem>& devices);

// Finds an item by command id, inside popups too; null when none has it.
const MenuItem* FindMenuItem(const std::vector<MenuItem>& bar, int32_t command);

}  // namespace tangrel
