// SPDX-License-Identifier: GPL-3.0-or-later
// Which Record-menu items and push buttons each performance state enables:
// one table, so recording while playing, playing while recording and saving
// an empty take stay impossible in every path.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tangrel {

enum class EnableSet {
  Initial,
  StartupLoad,
  Recording,
  FinishedWithEvents,
  FinishedEmpty,
  Playing,
  Stopped,
  Loaded,
  Saved,
};
constexpr int kEnableSetCount = 9;

enum class ControlKind { MenuItem, Button };

struct EnableColumn {
  ControlKind kind;
  int32_t id;  // the command of the menu item, the control id of the button
};
constexpr int kEnableColumnCount = 14;

// Same: left as it is. OnIfModified: on while the take is unsaved, else left.
enum class Enable : uint8_t { Same, On, Off, OnIfModified };

struct EnableChange {
  ControlKind kind;
  int32_t id;
  bool enabled;
};

extern const std::array<EnableColumn, kEnableColumnCount> kEnableColumns;

Enable EnableOf(EnableSet set, int column);

// The changes a set makes, in column order (menu items first, then buttons).
std::vector<EnableChange> EnableChanges(EnableSet set, bool modified);

}  // namespace tangrel
