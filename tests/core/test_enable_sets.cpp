// SPDX-License-Identifier: GPL-3.0-or-later
// The rules the enable sets keep.
#include <gtest/gtest.h>

#include "session/CommandIds.h"
#include "session/EnableSets.h"

namespace tangrel {
namespace {

constexpr EnableSet kAllSets[] = {EnableSet::Initial,      EnableSet::StartupLoad,
                                  EnableSet::Recording,    EnableSet::FinishedWithEvents,
                                  EnableSet::FinishedEmpty, EnableSet::Playing,
                                  EnableSet::Stopped,      EnableSet::Loaded,
                                  EnableSet::Saved};

std::optional<bool> StateOf(const std::vector<EnableChange>& changes, ControlKind kind, int id) {
  for (const EnableChange& c : changes) {
    if (c.kind == kind && c.id == id) return c.enabled;
  }
  return std::nullopt;
}

TEST(EnableSets, AMenuItemAndItsButtonAlwaysAgree) {
  for (EnableSet set : kAllSets) {
    for (bool modified : {false, true}) {
      const auto changes = EnableChanges(set, modified);
      for (int id = IDM_RECORD; id <= IDM_END_PLAY; ++id) {
        EXPECT_EQ(StateOf(changes, ControlKind::MenuItem, id),
                  StateOf(changes, ControlKind::Button, id))
            << "set " << static_cast<int>(set) << " command " << id;
      }
    }
  }
}

TEST(EnableSets, RecordingAndPlayingExcludeEachOther) {
  for (EnableSet set : kAllSets) {
    const auto c = EnableChanges(set, true);
    const bool canRecord = StateOf(c, ControlKind::Button, IDM_RECORD).value_or(false);
    const bool canPlay = StateOf(c, ControlKind::Button, IDM_PLAY).value_or(false);
    const bool canFinish = StateOf(c, ControlKind::Button, IDM_END_RECORD).value_or(false);
    const bool canEndPlay = StateOf(c, ControlKind::Button, IDM_END_PLAY).value_or(false);
    EXPECT_FALSE(canFinish && (canPlay || canEndPlay)) << static_cast<int>(set);
    EXPECT_FALSE(canEndPlay && (canRecord || canPlay)) << static_cast<int>(set);
  }
  // While playing, End Play is the only way out; while recording, Finish.
  for (auto [set, only] : {std::pair{EnableSet::Playing, IDM_END_PLAY},
                           std::pair{EnableSet::Recording, IDM_END_RECORD}}) {
    for (const EnableChange& c : EnableChanges(set, true)) {
      EXPECT_EQ(c.enabled, c.id == only) << "set " << static_cast<int>(set) << " id " << c.id;
    }
  }
}

TEST(EnableSets, SaveAfterStoppingFollowsTheModifiedFlag) {
  EXPECT_EQ(StateOf(EnableChanges(EnableSet::Stopped, true), ControlKind::MenuItem, IDM_SAVE),
            true);
  EXPECT_EQ(StateOf(EnableChanges(EnableSet::Stopped, false), ControlKind::MenuItem, IDM_SAVE),
            std::nullopt);
  // Saving touches the Save item alone.
  const auto saved = EnableChanges(EnableSet::Saved, true);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].id, IDM_SAVE);
  EXPECT_FALSE(saved[0].enabled);
}

TEST(EnableSets, AnEmptyTakeCannotBePlayedSavedOrExported) {
  for (const EnableChange& c : EnableChanges(EnableSet::FinishedEmpty, true)) {
    if (c.id == IDM_PLAY || c.id == IDM_CIRCLE_PLAY || c.id == IDM_SAVE ||
        c.id == IDM_SAVE_AS || c.id == IDM_EXPORT_MIDI) {
      EXPECT_FALSE(c.enabled) << c.id;
    }
  }
}

}  // namespace
}  // namespace tangrel
