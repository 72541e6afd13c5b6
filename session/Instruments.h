// SPDX-License-Identifier: GPL-3.0-or-later
// The 128 General MIDI instruments in their 16 families, the 14 toolbar
// buttons that pick a favourite of each kind, and the picture each shows.
#pragma once

#include <array>
#include <cstdint>

namespace tangrel {

struct Instrument {
  const char* name;
  int32_t program;
};

struct InstrumentFamily {
  const char* name;
  std::array<Instrument, 8> instruments;  // programs 8f .. 8f + 7
};

constexpr int kFamilyCount = 16;
extern const std::array<InstrumentFamily, kFamilyCount> InstrumentTable;

// The name of a program 0..127; the table's family program / 8, position
// program mod 8.
const char* InstrumentName(int32_t program);

struct ToolbarButton {
  int family;
  int position;
};
constexpr int kToolbarButtonCount = 14;
// Button i shows toolbar image i and selects the instrument at this place of
// the table; the command is read from the table when the toolbar is built.
extern const std::array<ToolbarButton, kToolbarButtonCount> ToolbarButtonTable;
int32_t ToolbarCommand(int button);

// Channel 10 to the user: General MIDI's drum kit.
constexpr int32_t kPercussionChannel = 9;

// On the percussion channel a program chooses a drum kit, not an instrument.
struct DrumKit {
  int32_t program;
  const char* name;
};
constexpr int kDrumKitCount = 9;
extern const std::array<DrumKit, kDrumKitCount> DrumKitTable;

// The kit a program plays on the percussion channel: the Standard Kit for a
// program that names no kit, as a synthesizer falls back to it.
const char* DrumKitName(int32_t program);

// What the instrument line names: the kit on the percussion channel, else the instrument.
const char* ProgramName(int32_t track, int32_t program);

constexpr int kPictureCount = 15;  // 171 x 141 each, side by side
constexpr int kPictureWidth = 171;
constexpr int kPictureHeight = 141;
// Which instrument picture the window shows: the drum kit on the percussion
// channel, else one per family, with the three synthesizer families sharing one.
int InstrumentPictureIndex(int32_t track, int32_t program);

}  // namespace tangrel
