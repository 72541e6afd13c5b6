// SPDX-License-Identifier: GPL-3.0-or-later
// Live playing and replay of key events.
#include "model/LivePlaying.h"

namespace tangrel {
namespace {

int32_t* CounterFor(ChordState& chord, int32_t shift) {
  if (shift > 0) return &chord.heldRaised;
  if (shift < 0) return &chord.heldLowered;
  return &chord.heldPlain;
}

bool ChordInProgress(const ChordState& chord) {
  return chord.heldPlain != 0 || chord.heldRaised != 0 || chord.heldLowered != 0;
}

// The first key of a chord settles its shift: Shift wins over Ctrl.
void StartChord(LiveState& state, Modifiers modifiers) {
  ChordState& chord = state.chord;
  chord = ChordState{};
  state.counted.fill(0);
  chord.chordShift = modifiers.shift ? 1 : modifiers.ctrl ? -1 : 0;
  *CounterFor(chord, chord.chordShift) = 1;
}

SoundingNotes SoundNotes(PlayContext& ctx, int32_t octave, int32_t degree) {
  const SessionSettings& s = *ctx.out.settings;
  SoundingNotes sounding;
  if (auto note = SendNoteOn(ctx.out, s.track, octave, degree, s.velocity)) {
    sounding.channel = s.track;
    sounding.note = *note;
  }
  if (s.bourdon) {
    if (auto note = SendNoteOn(ctx.out, kBourdonChannel, octave - 1, degree, s.velocity)) {
      sounding.bourdonNote = *note;
    }
  }
  return sounding;
}

void SilenceTrackNote(PlayContext& ctx, const SoundingNotes& sounding) {
  if (sounding.channel >= 0) SendNoteOffNumber(ctx.out, sounding.channel, sounding.note);
}

void SilenceBourdonNote(PlayContext& ctx, const SoundingNotes& sounding) {
  if (sounding.bourdonNote >= 0) SendNoteOffNumber(ctx.out, kBourdonChannel, sounding.bourdonNote);
}

void Draw(PlayContext& ctx, uint32_t scanCode, bool pressed, int32_t shift) {
  if (ctx.view) ctx.view->DrawKey(scanCode, pressed, shift);
}

void KeyDown(LiveState& state, PlayContext& ctx, uint32_t s, const KeyMapEntry& entry,
             uint32_t keyData, Modifiers modifiers) {
  // A press of a key that is already down repeats it, whatever the system
  // marked: an X server with detectable auto-repeat sends a held key as presses
  // alone, and other systems do not always mark their repeats.
  const bool repeat = (keyData & kKeyDataRepeatBit) != 0 || state.held[s];
  ChordState& chord = state.chord;
  state.held[s] = true;
  state.heldKeyData[s] = keyData & ~kKeyDataReleaseBits;
  if (!ChordInProgress(chord)) {
    StartChord(state, modifiers);
  } else {
    if (repeat) return;
    // Later keys join the chord at its shift, whatever modifiers are down now.
    ++*CounterFor(chord, chord.chordShift);
  }
  ++state.counted[s];
  if (repeat) return;  // an auto-repeat that found no chord registers it, silently

  if (ctx.recorder.Recording()) ctx.recorder.Record(WM_KEYDOWN, keyData, chord.chordShift);
  state.liveNotes[s] = SoundNotes(ctx, entry.octave + chord.chordShift, entry.degree);
  Draw(ctx, s, true, chord.chordShift);
}

void KeyUp(LiveState& state, PlayContext& ctx, uint32_t s, uint32_t keyData) {
  ChordState& chord = state.chord;
  state.held[s] = false;
  if (ctx.recorder.Recording() && ctx.recorder.count() >= 1) {
    ctx.recorder.Record(WM_KEYUP, keyData, chord.chordShift);
  }
  if (state.counted[s] > 0) {
    --state.counted[s];
    int32_t* counter = CounterFor(chord, chord.chordShift);
    if (--*counter == 0) chord.chordShift = 0;
  }
  SoundingNotes sounding = state.liveNotes[s];
  state.liveNotes[s] = SoundingNotes{};
  SilenceTrackNote(ctx, sounding);
  SilenceBourdonNote(ctx, sounding);
  Draw(ctx, s, false, 0);
}

}  // namespace

void PlayKey(LiveState& state, PlayContext& ctx, uint32_t message, uint32_t keyData,
             Modifiers modifiers) {
  const uint32_t s = ScanCodeOf(keyData);
  auto entry = LookupNoteKey(s);
  if (!entry) return;
  if (message == WM_KEYDOWN) {
    KeyDown(state, ctx, s, *entry, keyData, modifiers);
  } else if (message == WM_KEYUP) {
    KeyUp(state, ctx, s, keyData);
  }
}

void ReplayEvent(LiveState& state, PlayContext& ctx, uint32_t message, uint32_t keyData,
                 int32_t octaveShift) {
  const uint32_t s = ScanCodeOf(keyData);
  auto entry = LookupNoteKey(s);
  if (!entry) return;
  if (message == WM_KEYUP) {
    SoundingNotes sounding = state.replayNotes[s];
    state.replayNotes[s] = SoundingNotes{};
    SilenceTrackNote(ctx, sounding);
    Draw(ctx, s, false, 0);
    SilenceBourdonNote(ctx, sounding);
    return;
  }
  // A loaded take's shifts were brought within a few octaves at load, so the
  // sum cannot overflow; a note it takes past the MIDI range is not sent.
  state.replayNotes[s] = SoundNotes(ctx, entry->octave + octaveShift, entry->degree);
  Draw(ctx, s, true, octaveShift);
}

void ResetChord(LiveState& state) {
  ChordState& chord = state.chord;
  chord.heldPlain = chord.heldRaised = chord.heldLowered = 0;
  state.counted.fill(0);
}

void ForgetSoundingNotes(LiveState& state) {
  state.liveNotes.fill(SoundingNotes{});
  state.replayNotes.fill(SoundingNotes{});
}

void SilenceEverything(LiveState& state, PlayContext& ctx) {
  ResetChord(state);
  SendAllNotesOff(ctx.out);
  ForgetSoundingNotes(state);
  if (ctx.view) ctx.view->ShowAllReleased();
}

void ReleaseHeldKeys(LiveState& state, PlayContext& ctx) {
  for (uint32_t s = 0; s < static_cast<uint32_t>(kKeyMapSize); ++s) {
    if (!state.held[s]) continue;
    PlayKey(state, ctx, WM_KEYUP, state.heldKeyData[s] | kKeyDataReleaseBits, Modifiers{});
  }
}

}  // namespace tangrel
