// SPDX-License-Identifier: GPL-3.0-or-later
// The two fixed tables all playing rests on: the KeyMap (scan code -> note and
// on-screen place) and the ModeTable (the 24 major and minor keys).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/ExactTable.h"

namespace tangrel {

using ModeId = int32_t;
using OctaveShift = int32_t;  // -1, 0 or +1: the octave offset of a chord

struct KeyMapEntry {
  int32_t octave;  // 3..6, -1 for a scan code without a note
  int32_t degree;  // semitone within the octave, 0 = the tonic "1"
  int32_t row;     // on-screen row 0 (top) .. 3
  int32_t column;  // on-screen column in half-key units 0..23
  const char* label;
};

constexpr int kKeyMapSize = 54;  // scan codes 0..53 (PC/AT set 1)

// Labels in numbered notation, indexed by degree.
constexpr std::array<const char*, 12> kDegreeLabels = {
    "1", "b2", "2", "b3", "3", "4", "b5", "5", "b6", "6", "b7", "7"};

namespace keymap_detail {
constexpr KeyMapEntry None() { return {-1, -1, -1, -1, nullptr}; }
constexpr KeyMapEntry Key(int32_t octave, int32_t degree, int32_t row, int32_t column) {
  return {octave, degree, row, column, kDegreeLabels[static_cast<size_t>(degree)]};
}
}  // namespace keymap_detail

// Indexed by scan code. The home row plays the major scale from middle C, the
// row below it the chromatic notes between; the Q and digit rows do the same
// an octave and a half lower.
constexpr std::array<KeyMapEntry, kKeyMapSize> KeyMap = [] {
  using keymap_detail::Key;
  using keymap_detail::None;
  return ExactTable<kKeyMapSize, KeyMapEntry>({
      None(),          None(),          // 0, Esc
      Key(3, 6, 0, 0), Key(3, 8, 0, 2), Key(3, 10, 0, 4), Key(3, 11, 0, 6),  // 1 2 3 4
      Key(4, 1, 0, 8), Key(4, 3, 0, 10), Key(4, 4, 0, 12), Key(4, 6, 0, 14),  // 5 6 7 8
      Key(4, 8, 0, 16), Key(4, 10, 0, 18),                                    // 9 0
      Key(6, 6, 0, 20), Key(6, 8, 0, 22),                                     // - =
      None(),          None(),          // Backspace, Tab
      Key(3, 7, 1, 1), Key(3, 9, 1, 3), Key(3, 11, 1, 5), Key(4, 0, 1, 7),    // Q W E R
      Key(4, 2, 1, 9), Key(4, 4, 1, 11), Key(4, 5, 1, 13), Key(4, 7, 1, 15),  // T Y U I
      Key(4, 9, 1, 17), Key(4, 11, 1, 19),                                    // O P
      Key(6, 7, 1, 21), Key(6, 9, 1, 23),                                     // [ ]
      None(),          None(),          // Enter, left Ctrl
      Key(5, 0, 2, 2), Key(5, 2, 2, 4), Key(5, 4, 2, 6), Key(5, 5, 2, 8),     // A S D F
      Key(5, 7, 2, 10), Key(5, 9, 2, 12), Key(5, 11, 2, 14),                  // G H J
      Key(6, 0, 2, 16), Key(6, 2, 2, 18), Key(6, 4, 2, 20), Key(6, 5, 2, 22), // K L ; '
      None(),          None(),          None(),  // grave, left Shift, backslash
      Key(5, 1, 3, 3), Key(5, 3, 3, 5), Key(5, 4, 3, 7), Key(5, 6, 3, 9),     // Z X C V
      Key(5, 8, 3, 11), Key(5, 10, 3, 13), Key(5, 11, 3, 15),                 // B N M
      Key(6, 1, 3, 17), Key(6, 3, 3, 19), Key(6, 4, 3, 21),                   // , . /
  });
}();

struct Mode {
  ModeId id;
  const char* menuText;
  int32_t offset;  // semitones added to every note
  const char* signatureFormat;  // "%s" receives the instrument name
};

constexpr ModeId kFirstModeId = 1297;  // " C Major"
constexpr ModeId kLastModeId = 1332;   // "#a Minor"

constexpr std::array<Mode, 24> ModeTable = {{
    {1297, " C Major", 0, "%s    1=C"},   {1298, " D Major", 2, "%s    1=D"},
    {1299, " E Major", 4, "%s    1=E"},   {1300, " F Major", 5, "%s    1=F"},
    {1301, " G Major", 7, "%s    1=G"},   {1302, " A Major", 9, "%s    1=A"},
    {1303, " B Major", -1, "%s    1=B"},  {1304, "#F Major", 6, "%s    1=#F"},
    {1305, "#C Major", 1, "%s    1=#C"},  {1312, "bB Major", -2, "%s    1=bB"},
    {1313, "bE Major", 3, "%s    1=bE"},  {1314, "bA Major", -4, "%s    1=bA"},
    {1315, " c Minor", 3, "%s    6=c"},   {1316, " d Minor", 5, "%s    6=d"},
    {1317, " e Minor", 7, "%s    6=e"},   {1318, " f Minor", -4, "%s    6=f"},
    {1319, " g Minor", -2, "%s    6=g"},  {1320, " a Minor", 0, "%s    6=a"},
    {1321, " b Minor", 2, "%s    6=b"},   {1328, "#f Minor", 9, "%s    6=#f"},
    {1329, "#c Minor", 4, "%s    6=#c"},  {1330, "#g Minor", -1, "%s    6=#g"},
    {1331, "#d Minor", 6, "%s    6=#d"},  {1332, "#a Minor", 1, "%s    6=#a"},
}};

// The entry for a scan code 0..53, or nothing for 54 and above. Callers treat
// an entry whose octave is -1 as nothing too.
std::optional<KeyMapEntry> LookupKey(uint32_t scanCode);

// The entry of a scan code that carries a note, or nothing.
std::optional<KeyMapEntry> LookupNoteKey(uint32_t scanCode);

const Mode* FindMode(ModeId id);
std::optional<int32_t> ModeOffset(ModeId id);

// 12 x octave + degree + the mode's offset; nothing when id is not a mode. The
// caller has already added the octave shift (and -1 for the bourdon voice).
std::optional<int32_t> NoteNumber(int32_t octave, int32_t degree, ModeId id);

// The mode's signature format filled with the instrument name, e.g.
// "Acoustic Grand Piano    1=C"; nothing when id is not a mode.
std::optional<std::string> KeySignatureText(ModeId id, const std::string& instrumentName);

}  // namespace tangrel
