// SPDX-License-Identifier: GPL-3.0-or-later
// The loudest pile-up the sound tests play: ten keys with their bourdon, at
// full force, on strings (TimGM6mb's loudest program; unlimited, it peaks over
// 4 times full scale).
#pragma once

#include <cstdint>
#include <vector>

#include "model/MidiOut.h"

namespace tangrel::testaudio {

inline std::vector<uint32_t> LoudChordWords() {
  std::vector<uint32_t> words;
  for (uint32_t channel : {0u, uint32_t(kBourdonChannel)}) {
    words.push_back(ShortMessageWord(midi::kProgramChange, channel, 48, 0));
  }
  for (uint32_t key : {60, 62, 64, 65, 67, 69, 71, 72, 74, 76}) {
    words.push_back(ShortMessageWord(midi::kNoteOn, 0, key, 127));
    words.push_back(ShortMessageWord(midi::kNoteOn, kBourdonChannel, key - 12, 127));
  }
  return words;
}

// The same ten notes as keys: the home row from A in C major (1297), whose
// bourdon the take turns on and whose program the player picks (48).
inline std::vector<uint32_t> LoudChordScanCodes() {
  return {30, 31, 32, 33, 34, 35, 36, 37, 38, 39};
}

}  // namespace tangrel::testaudio
