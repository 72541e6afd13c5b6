// SPDX-License-Identifier: GPL-3.0-or-later
// Rules the key map and the mode table follow.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "model/KeyMap.h"

using namespace tangrel;

namespace {

// Pitch class of a tonic as the menu texts spell it: "#F", "bB", " c".
int PitchClass(const std::string& tonic) {
  static const int kLetters[] = {9, 11, 0, 2, 4, 5, 7};  // a..g
  int pc = 0;
  char letter = 0;
  for (char ch : tonic) {
    if (std::isalpha(static_cast<unsigned char>(ch)) && ch != 'b') letter = ch;
  }
  if (!letter) letter = 'b';  // " b Minor": the only letter is the tonic itself
  pc = kLetters[std::tolower(letter) - 'a'];
  if (tonic.find('#') != std::string::npos) pc += 1;
  if (tonic.size() >= 2 && tonic[0] == 'b' && std::isalpha(static_cast<unsigned char>(tonic[1]))) pc -= 1;
  return (pc + 12) % 12;
}

std::string TonicOf(const Mode& mode) { return std::string(mode.menuText).substr(0, 2); }
bool IsMinor(const Mode& mode) { return std::string(mode.menuText).find("Minor") != std::string::npos; }

}  // namespace

TEST(KeyMap, EveryKeySoundsItsCMajorNote) {
  // The note each scan code sounds in " C Major" at shift 0 (0: no note).
  const int kCMajorNotes[kKeyMapSize] = {
      0,  0,  42, 44, 46, 47, 49, 51, 52, 54, 56, 58, 78, 80, 0,  0,  43, 45,
      47, 48, 50, 52, 53, 55, 57, 59, 79, 81, 0,  0,  60, 62, 64, 65, 67, 69,
      71, 72, 74, 76, 77, 0,  0,  0,  61, 63, 64, 66, 68, 70, 71, 73, 75, 76};
  int withNote = 0;
  for (uint32_t s = 0; s < kKeyMapSize; ++s) {
    auto entry = LookupNoteKey(s);
    if (kCMajorNotes[s] == 0) {
      EXPECT_FALSE(entry) << "scan code " << s;
      EXPECT_EQ(KeyMap[s].row, -1);
      EXPECT_EQ(KeyMap[s].label, nullptr);
      continue;
    }
    ASSERT_TRUE(entry) << "scan code " << s;
    ++withNote;
    EXPECT_EQ(NoteNumber(entry->octave, entry->degree, 1297), kCMajorNotes[s]) << "scan code " << s;
  }
  EXPECT_EQ(withNote, 45);
  EXPECT_FALSE(LookupKey(54));
  EXPECT_FALSE(LookupKey(255));
}

TEST(KeyMap, CellsAreUniqueStaggeredAndLabelsFollowTheDegree) {
  std::set<std::pair<int, int>> cells;
  for (const KeyMapEntry& e : KeyMap) {
    if (e.octave == -1) continue;
    EXPECT_TRUE(cells.insert({e.row, e.column}).second) << e.row << "," << e.column;
    EXPECT_STREQ(e.label, kDegreeLabels[static_cast<size_t>(e.degree)]);
    EXPECT_GE(e.column, 0);
    EXPECT_LE(e.column, 23);
    EXPECT_EQ((e.column - e.row) % 2, 0) << "rows are staggered by half a key";
    EXPECT_GE(e.octave, 3);
    EXPECT_LE(e.octave, 6);
  }
}

TEST(KeyMap, AllNotesOverKeysShiftsAndModesStayInRange) {
  int low = 1000, high = -1000;
  for (const KeyMapEntry& e : KeyMap) {
    if (e.octave == -1) continue;
    for (int shift = -1; shift <= 1; ++shift) {
      for (const Mode& m : ModeTable) {
        int note = *NoteNumber(e.octave + shift, e.degree, m.id);
        low = std::min(low, note);
        high = std::max(high, note);
        EXPECT_EQ(*NoteNumber(e.octave + shift - 1, e.degree, m.id), note - 12);
      }
    }
  }
  EXPECT_EQ(low, 26);
  EXPECT_EQ(high, 102);  // the bourdon voice therefore spans 14..90
}

TEST(KeyMap, SharedNotesAndTranspositions) {
  auto note = [](uint32_t s, ModeId m) {
    auto e = LookupNoteKey(s);
    return *NoteNumber(e->octave, e->degree, m);
  };
  EXPECT_EQ(note(46, 1297), note(32, 1297));  // C and D
  EXPECT_EQ(note(50, 1297), note(36, 1297));  // M and J
  EXPECT_EQ(note(53, 1297), note(39, 1297));  // slash and semicolon
  EXPECT_EQ(note(30, 1303), 59);              // A in " B Major"
  EXPECT_EQ(note(30, 1304), 66);              // A in "#F Major"
  for (uint32_t s = 0; s < kKeyMapSize; ++s) {
    if (!LookupNoteKey(s)) continue;
    EXPECT_EQ(note(s, 1320), note(s, 1297));  // " a Minor" sounds as " C Major"
  }
}

TEST(ModeTable, OffsetsAndSignaturesNameTheirTonic) {
  std::set<std::string> signatures;
  for (const Mode& m : ModeTable) {
    const std::string text = *KeySignatureText(m.id, "Piano");
    EXPECT_TRUE(signatures.insert(text).second) << text;
    const int tonic = PitchClass(TonicOf(m));
    std::string name = TonicOf(m);
    if (name[0] == ' ') name = name.substr(1);
    if (IsMinor(m)) {
      // The tonic of a minor mode is degree 9 ("6") of its relative major.
      EXPECT_EQ(((m.offset + 9) % 12 + 12) % 12, tonic) << m.menuText;
      EXPECT_EQ(text, "Piano    6=" + name);
    } else {
      EXPECT_EQ((m.offset % 12 + 12) % 12, tonic) << m.menuText;
      EXPECT_EQ(text, "Piano    1=" + name);
      EXPECT_GE(m.offset, -4);
      EXPECT_LE(m.offset, 9);
    }
  }
  EXPECT_EQ(signatures.size(), 24u);
}

TEST(ModeTable, ValuesBetweenTheGroupsAreNoModes) {
  for (ModeId id : {1296, 1306, 1311, 1322, 1327, 1333, 0, -1}) {
    EXPECT_FALSE(ModeOffset(id)) << id;
    EXPECT_FALSE(NoteNumber(5, 0, id)) << id;
    EXPECT_FALSE(KeySignatureText(id, "Piano")) << id;
  }
  EXPECT_EQ(*KeySignatureText(1297, "Acoustic Grand Piano"), "Acoustic Grand Piano    1=C");
  EXPECT_EQ(ModeTable.front().id, kFirstModeId);
  EXPECT_EQ(ModeTable.back().id, kLastModeId);
}
