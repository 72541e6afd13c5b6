// SPDX-License-Identifier: GPL-3.0-or-later
// The enable sets as data.
#include "session/EnableSets.h"

#include "model/ExactTable.h"
#include "session/CommandIds.h"

namespace tangrel {

const std::array<EnableColumn, kEnableColumnCount> kEnableColumns = ExactTable<kEnableColumnCount, EnableColumn>({
    {ControlKind::MenuItem, IDM_RECORD},      {ControlKind::MenuItem, IDM_END_RECORD},
    {ControlKind::MenuItem, IDM_PLAY},        {ControlKind::MenuItem, IDM_CIRCLE_PLAY},
    {ControlKind::MenuItem, IDM_END_PLAY},    {ControlKind::MenuItem, IDM_SAVE},
    {ControlKind::MenuItem, IDM_SAVE_AS},     {ControlKind::MenuItem, IDM_EXPORT_MIDI},
    {ControlKind::MenuItem, IDM_LOAD},
    {ControlKind::Button, IDM_RECORD},        {ControlKind::Button, IDM_END_RECORD},
    {ControlKind::Button, IDM_PLAY},          {ControlKind::Button, IDM_CIRCLE_PLAY},
    {ControlKind::Button, IDM_END_PLAY},
});

namespace {

constexpr Enable o = Enable::On;
constexpr Enable x = Enable::Off;
constexpr Enable _ = Enable::Same;
constexpr Enable M = Enable::OnIfModified;

// Columns: menu Record, End Recording, Play, Circle Play, End Playing, Save,
// Save as, Export, Load; buttons Record, Finish, Play, Circle play, End Play.
using EnableRow = std::array<Enable, kEnableColumnCount>;
// One entry per column, or the row does not compile.
template <typename... E>
constexpr EnableRow Row(E... entries) {
  static_assert(sizeof...(E) == kEnableColumnCount, "an enable row has one entry per column");
  return {entries...};
}

static_assert(kEnableSetCount == static_cast<int>(EnableSet::Saved) + 1,
              "one row per enable set, Saved the last");
constexpr std::array<EnableRow, kEnableSetCount> kEnableTable = ExactTable<kEnableSetCount, EnableRow>({
    /* Initial            */ Row(o, x, x, x, x, x, x, x, o, /**/ o, x, x, x, x),
    /* StartupLoad        */ Row(o, x, o, o, x, x, o, _, _, /**/ o, x, o, o, x),
    /* Recording          */ Row(x, o, x, x, x, x, x, x, x, /**/ x, o, x, x, x),
    /* FinishedWithEvents */ Row(o, x, o, o, x, o, o, o, o, /**/ o, x, o, o, x),
    /* FinishedEmpty      */ Row(o, x, x, x, x, x, x, x, o, /**/ o, x, x, x, x),
    /* Playing            */ Row(x, x, x, x, o, x, x, x, x, /**/ x, x, x, x, o),
    /* Stopped            */ Row(o, x, o, o, x, M, o, o, o, /**/ o, x, o, o, x),
    /* Loaded             */ Row(o, x, o, o, x, x, o, o, _, /**/ o, x, o, o, x),
    /* Saved              */ Row(_, _, _, _, _, x, _, _, _, /**/ _, _, _, _, _),
});

}  // namespace

Enable EnableOf(EnableSet set, int column) {
  return kEnableTable[static_cast<size_t>(set)][static_cast<size_t>(column)];
}

std::vector<EnableChange> EnableChanges(EnableSet set, bool modified) {
  std::vector<EnableChange> changes;
  for (int c = 0; c < kEnableColumnCount; ++c) {
    const Enable e = EnableOf(set, c);
    if (e == Enable::Same || (e == Enable::OnIfModified && !modified)) continue;
    changes.push_back({kEnableColumns[c].kind, kEnableColumns[c].id, e != Enable::Off});
  }
  return changes;
}

}  // namespace tangrel
