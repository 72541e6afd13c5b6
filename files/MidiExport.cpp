// SPDX-License-Identifier: GPL-3.0-or-later
// Building the Standard MIDI File of a take and writing it out.
#include "files/MidiExport.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <new>

#include "files/SafeWrite.h"
#include "model/MidiOut.h"
#include "model/SessionSettings.h"

namespace tangrel {

namespace {

constexpr uint64_t kTicksPerQuarter = 192;
constexpr uint64_t kMicrosecondsPerQuarter = 759494;
constexpr uint32_t kLargestVariableLength = 0x0FFFFFFF;  // four 7-bit groups
constexpr uint8_t kVelocity = 127;

constexpr uint8_t kTempo[] = {0x00, 0xFF, 0x51, 0x03, 0x0B, 0x96, 0xC6};
// After 399 ticks a silent note 1 on and off, then End of Track: every export
// ends with the same closing silence.
constexpr uint8_t kNotesTail[] = {0x83, 0x0F, midi::kNoteOn,  0x01, 0x00, 0x00, midi::kNoteOff,
                                  0x01, 0x00, 0x00, 0xFF,          0x2F, 0x00};
constexpr uint8_t kBourdonTail[] = {0x00, 0xFF, 0x2F, 0x00};

struct TrackShape {
  uint8_t channel;
  int32_t transpose;  // added to every note
  const uint8_t* tail;
  size_t tailSize;
};
constexpr TrackShape kNotesTrack = {0, 0, kNotesTail, sizeof kNotesTail};
constexpr TrackShape kBourdonTrack = {uint8_t{kBourdonChannel}, -12, kBourdonTail,
                                      sizeof kBourdonTail};

uint32_t MillisecondsToTicks(uint64_t delayMs) {
  // The product needs 64 bits for any delay above about 22 000 ms.
  uint64_t ticks = delayMs * kTicksPerQuarter * 1000 / kMicrosecondsPerQuarter;
  return static_cast<uint32_t>(std::min<uint64_t>(ticks, UINT32_MAX));
}

void AppendBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
    out.push_back(static_cast<uint8_t>(value >> shift));
  }
}

void AppendChunkHeader(std::vector<uint8_t>& out, const char* id, uint32_t length) {
  out.insert(out.end(), id, id + 4);
  AppendBigEndian(out, length, 4);
}

// The note of each scan code a key's data can hold, past the key map too:
// kNoNote for keys without one, and kNoMode for keys whose note the mode
// cannot give.
constexpr int32_t kNoNote = -1;
constexpr int32_t kNoMode = -2;
constexpr size_t kScanCodes = 256;
static_assert(ScanCodeOf(~0u) < kScanCodes);
using NotesOfScanCodes = std::array<int32_t, kScanCodes>;
NotesOfScanCodes NotesOfMode(ModeId mode) {
  NotesOfScanCodes notes{};
  for (uint32_t scan = 0; scan < notes.size(); ++scan) {
    auto key = LookupNoteKey(scan);
    auto note = key ? NoteNumber(key->octave, key->degree, mode) : std::nullopt;
    notes[scan] = !key ? kNoNote : note ? *note : kNoMode;
  }
  return notes;
}

// The note an event writes: a press sounds its key's note in the octave of the
// chord's shift and is noted in `pressedNote`; a release ends the note its
// press wrote (a release with no press before it takes its own shift).
int32_t ShiftedNote(int32_t unshifted, const PerformanceEvent& event, int32_t& pressedNote) {
  // Beyond ten octaves no note lies in the MIDI range, and the sum could overflow.
  const int32_t shift = std::clamp(event.octaveShift, -11, 11);
  const int32_t note = unshifted + 12 * shift;
  if (event.message == WM_KEYDOWN) {
    pressedNote = note;
    return note;
  }
  const int32_t released = pressedNote == kNoNote ? note : pressedNote;
  pressedNote = kNoNote;
  return released;
}

// Appends one "MTrk" chunk. False when a note is wanted and the mode has none.
bool AppendTrack(std::vector<uint8_t>& out, const PerformanceEvent* events, uint32_t count,
                 const NotesOfScanCodes& notes, int32_t program,
                 const TrackShape& shape) {
  AppendChunkHeader(out, "MTrk", 0);  // the length is known at the end
  size_t start = out.size();
  out.insert(out.end(), kTempo, kTempo + sizeof kTempo);
  out.insert(out.end(), {0x00, static_cast<uint8_t>(midi::kProgramChange | shape.channel),
                         static_cast<uint8_t>(program & 0x7F)});
  // A key without a note writes nothing; its delay moves on to the next note.
  uint64_t carriedMs = 0;
  // The note each key's press wrote: its release ends that note, whatever
  // shift the chord has by then, as replay does.
  NotesOfScanCodes pressed;
  pressed.fill(kNoNote);
  for (uint32_t i = 0; i < count; ++i) {
    const PerformanceEvent& event = events[i];
    // Capped where it is already far past the largest delta a file holds.
    carriedMs = std::min<uint64_t>(carriedMs + event.delay, UINT32_MAX);
    const uint32_t scan = ScanCodeOf(event.keyData);
    int32_t note = notes[scan];
    if (note == kNoNote) continue;
    if (note == kNoMode) return false;
    note = ShiftedNote(note, event, pressed[scan]);
    // A damaged file's shift can take the note out of the MIDI range: it
    // does not sound on replay, and is not written either.
    if (note < 0 || note > 127) continue;
    AppendVariableLength(out, MillisecondsToTicks(carriedMs));
    carriedMs = 0;
    uint8_t status = event.message == WM_KEYDOWN ? midi::kNoteOn : midi::kNoteOff;
    out.insert(out.end(), {static_cast<uint8_t>(status | shape.channel),
                           static_cast<uint8_t>((note + shape.transpose) & 0x7F), kVelocity});
  }
  out.insert(out.end(), shape.tail, shape.tail + shape.tailSize);
  uint32_t length = static_cast<uint32_t>(out.size() - start);
  for (int i = 0; i < 4; ++i) out[start - 4 + i] = static_cast<uint8_t>(length >> (24 - 8 * i));
  return true;
}

}  // namespace

uint32_t DelayToTicks(uint32_t delayMs) { return MillisecondsToTicks(delayMs); }

void AppendVariableLength(std::vector<uint8_t>& out, uint32_t value) {
  value = std::min(value, kLargestVariableLength);
  int groups = 1;
  while (groups < 4 && (value >> (7 * groups)) != 0) ++groups;
  for (int group = groups - 1; group >= 0; --group) {
    uint8_t bits = static_cast<uint8_t>((value >> (7 * group)) & 0x7F);
    out.push_back(group > 0 ? static_cast<uint8_t>(bits | 0x80) : bits);
  }
}

std::vector<uint8_t> BuildMidiFile(const PerformanceEvent* events, uint32_t count, ModeId mode,
                                   int32_t program, int32_t bourdon) {
  bool twoTracks = bourdon != 0;
  std::vector<uint8_t> out;
  // An event takes at most 7 bytes in each track.
  out.reserve((twoTracks ? 2 : 1) * (size_t{count} * 7 + 40));
  AppendChunkHeader(out, "MThd", 6);
  AppendBigEndian(out, twoTracks ? 1 : 0, 2);  // format
  AppendBigEndian(out, twoTracks ? 2 : 1, 2);  // tracks
  AppendBigEndian(out, kTicksPerQuarter, 2);
  auto notes = NotesOfMode(mode);
  if (!AppendTrack(out, events, count, notes, program, kNotesTrack)) return {};
  if (twoTracks && !AppendTrack(out, events, count, notes, program, kBourdonTrack)) return {};
  return out;
}

Failure ExportMidiFile(const PerformanceEvent* events, uint32_t count, ModeId mode,
                       int32_t program, int32_t bourdon, FileWriter& out) {
  std::vector<uint8_t> bytes;
  int error = 0;
  try {
    bytes = BuildMidiFile(events, count, mode, program, bourdon);
  } catch (const std::bad_alloc&) {
    error = ENOMEM;
  }
  if (bytes.empty()) {
    out.Abandon();
    return Fail(FailureKind::CannotWrite, {}, error);
  }
  out.Write(bytes.data(), bytes.size());
  return out.Commit();
}

Failure ExportMidiFile(const PerformanceEvent* events, uint32_t count, ModeId mode,
                       int32_t program, int32_t bourdon, const std::string& path) {
  FileWriter out;
  if (Failure opened = out.Open(path)) return opened;
  Failure written = ExportMidiFile(events, count, mode, program, bourdon, out);
  if (written && written.detail.empty()) written.detail = path;
  return written;
}

}  // namespace tangrel
