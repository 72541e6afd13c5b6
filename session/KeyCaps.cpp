// SPDX-License-Identifier: GPL-3.0-or-later
// Naming keys and notes for the on-screen keyboard.
#include "session/KeyCaps.h"

#include <array>

namespace tangrel {
namespace {

constexpr std::array<const char*, 12> kSharpNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                     "F#", "G",  "G#", "A",  "A#", "B"};
constexpr std::array<const char*, 12> kFlatNames = {"C",  "Db", "D",  "Eb", "E",  "F",
                                                    "Gb", "G",  "Ab", "A",  "Bb", "B"};

// The length of the UTF-8 sequence a lead byte starts; 0 for a byte that
// cannot lead one.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

}  // namespace

std::string KeyCapName(const std::string& typed) {
  if (typed.empty()) return {};
  const auto lead = static_cast<unsigned char>(typed[0]);
  const size_t length = SequenceLength(lead);
  if (length == 0 || length > typed.size()) return {};
  if (length == 1 && (lead < 0x20 || lead == 0x7F || lead == ' ')) return {};
  std::string name = typed.substr(0, length);
  if (length == 1 && lead >= 'a' && lead <= 'z') name[0] = static_cast<char>(lead - 'a' + 'A');
  return name;
}

std::string NoteName(int32_t note, bool flats) {
  const int32_t pitchClass = ((note % 12) + 12) % 12;
  const int32_t octave = (note - pitchClass) / 12 - 1;
  return std::string((flats ? kFlatNames : kSharpNames)[pitchClass]) + std::to_string(octave);
}

std::string KeyNoteName(uint32_t scanCode, ModeId mode) {
  const auto entry = LookupNoteKey(scanCode);
  const Mode* found = FindMode(mode);
  if (!entry || !found) return {};
  const auto note = NoteNumber(entry->octave, entry->degree, mode);
  if (!note) return {};
  // Flat keys are the ones whose menu name starts with a flat.
  return NoteName(*note, found->menuText[0] == 'b');
}

}  // namespace tangrel
