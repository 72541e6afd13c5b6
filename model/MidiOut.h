// SPDX-License-Identifier: GPL-3.0-or-later
// MidiOut: the only part of Tangrel that talks to the MIDI output. Every
// message is a short message sent at once, and only while the output (the
// Switch) is open. Menus, message boxes and repaints are the window's: these
// operations report what happened and show nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/MidiDevices.h"
#include "model/SessionSettings.h"

namespace tangrel {

constexpr int32_t IDM_DEVICE_BASE = 512;

namespace midi {
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kPitchBend = 0xE0;
constexpr uint8_t kAllNotesOffController = 123;
}  // namespace midi

struct MidiOut {
  MidiDevices* devices = nullptr;
  SessionSettings* settings = nullptr;
};

// status | channel | data1 << 8 | data2 << 16, as the wire takes it.
constexpr uint32_t ShortMessageWord(uint32_t status, uint32_t channel, uint32_t data1,
                                    uint32_t data2) {
  return status | channel | (data1 << 8) | (data2 << 16);
}

void SendShortMessage(MidiOut& out, uint8_t status, int32_t channel, int32_t data1,
                      int32_t data2);
// Note on of a key's note under the current mode. Returns the note number
// sent, or nothing when the mode is not one of the 24 or the note lies past
// the MIDI range (then nothing is sent).
std::optional<int32_t> SendNoteOn(MidiOut& out, int32_t channel, int32_t octave,
                                  int32_t degree, int32_t velocity);
// Note off of a note number already sent, whatever the mode is now.
void SendNoteOffNumber(MidiOut& out, int32_t channel, int32_t note);
void SendProgramChange(MidiOut& out, int32_t channel, int32_t program);
void SendPitchBend(MidiOut& out, int32_t channel, int32_t value);
// Controller 123 on channels 0..15 in ascending order.
void SendAllNotesOff(MidiOut& out);

struct DeviceMenuItem {
  std::string name;
  int32_t command;  // IDM_DEVICE_BASE + i
};

// The Device menu: every device in order, the first one checked.
std::vector<DeviceMenuItem> ListMidiOutDevices(const MidiDevices& devices);

enum class OpenResult { AlreadyOpen, Opened, Failed };
enum class ProgramChangeTo { TrackOnly, TrackAndBourdon };

// The Open command: opens deviceId and sends the program change. TrackOnly is
// the open at window creation.
OpenResult OpenMidiOut(MidiOut& out, ProgramChangeTo to = ProgramChangeTo::TrackAndBourdon);
// The Close command: all notes off, then close. False when it was not open.
bool CloseMidiOut(MidiOut& out);

}  // namespace tangrel
