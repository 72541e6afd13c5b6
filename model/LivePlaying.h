// SPDX-License-Identifier: GPL-3.0-or-later
// Live playing: key messages become notes, with the chord's octave shift from
// Shift or Ctrl, the bourdon voice, recording and the on-screen key colours;
// and the replay of recorded events.
#pragma once

#include <array>
#include <cstdint>

#include "model/KeyData.h"
#include "model/KeyMap.h"
#include "model/MidiOut.h"
#include "model/PerformanceEvent.h"
#include "model/SessionSettings.h"

namespace tangrel {

// How keys are shown; the on-screen keyboard implements it.
class KeyView {
 public:
  virtual ~KeyView() = default;
  // Shows one key pressed (coloured by shift) or released (white).
  virtual void DrawKey(uint32_t scanCode, bool pressed, OctaveShift shift) = 0;
  // Shows every key released, after everything has been silenced.
  virtual void ShowAllReleased() = 0;
};

struct ChordState {
  int32_t chordShift = 0;
  int32_t heldPlain = 0;
  int32_t heldRaised = 0;
  int32_t heldLowered = 0;
};

// The notes a key-down started, so that its key-up silences exactly those,
// whatever mode, track or bourdon setting is in force by then.
struct SoundingNotes {
  int32_t channel = -1;  // -1: nothing sounding
  int32_t note = -1;
  int32_t bourdonNote = -1;  // -1: no bourdon note
};

struct LiveState {
  ChordState chord;
  // How often each key was counted in the current chord: a release that was
  // never counted (say, after Esc) takes no counter below zero.
  std::array<int32_t, kKeyMapSize> counted{};
  // Keys physically down, with the keyData of their press: a further press of
  // one is a repeat, and focus loss releases them.
  std::array<bool, kKeyMapSize> held{};
  std::array<uint32_t, kKeyMapSize> heldKeyData{};
  std::array<SoundingNotes, kKeyMapSize> liveNotes{};
  std::array<SoundingNotes, kKeyMapSize> replayNotes{};
};

struct PlayContext {
  MidiOut& out;
  Recorder& recorder;
  KeyView* view;  // may be null
};

struct Modifiers {
  bool shift = false;
  bool ctrl = false;
};

// A key message (WM_KEYDOWN or WM_KEYUP) with its keyData and the modifiers of
// the event being handled. The caller has checked that the output is open.
void PlayKey(LiveState& state, PlayContext& ctx, uint32_t message, uint32_t keyData,
             Modifiers modifiers);

// One recorded event, with its recorded shift; never records, never touches
// the chord. The shift is one a take holds: -1..1 as played, or at most a few
// octaves either way once a load has checked a damaged file.
void ReplayEvent(LiveState& state, PlayContext& ctx, uint32_t message, uint32_t keyData,
                 int32_t octaveShift);

// Zeroes the held-key counters; chordShift stays.
void ResetChord(LiveState& state);

// Esc and End Play: counters zeroed, all notes off on the 16 channels, and every
// key shown released.
void SilenceEverything(LiveState& state, PlayContext& ctx);

// Forgets what is sounding, after all notes were silenced some other way
// (closing the output).
void ForgetSoundingNotes(LiveState& state);

// The window lost the keyboard: every key still held is released as if its
// key-up had arrived, so no note sticks.
void ReleaseHeldKeys(LiveState& state, PlayContext& ctx);

}  // namespace tangrel
