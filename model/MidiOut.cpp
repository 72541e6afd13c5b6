// SPDX-License-Identifier: GPL-3.0-or-later
// MidiOut: message building and the Switch (open, close, device choice).
#include "model/MidiOut.h"

#include "model/KeyMap.h"

namespace tangrel {

void SendShortMessage(MidiOut& out, uint8_t status, int32_t channel, int32_t data1,
                      int32_t data2) {
  if (!out.settings->switchOpen) return;
  out.devices->ShortMessage(ShortMessageWord(status, static_cast<uint32_t>(channel),
                                             static_cast<uint32_t>(data1),
                                             static_cast<uint32_t>(data2)));
}

std::optional<int32_t> SendNoteOn(MidiOut& out, int32_t channel, int32_t octave,
                                  int32_t degree, int32_t velocity) {
  auto note = NoteNumber(octave, degree, out.settings->mode);
  // A loaded take may shift a key a few octaves past the MIDI range (each
  // mode puts that edge elsewhere): such a note would spill into the status
  // byte, so it is not sent.
  if (!note || *note < 0 || *note > 127) return std::nullopt;
  SendShortMessage(out, midi::kNoteOn, channel, *note, velocity);
  return note;
}

void SendNoteOffNumber(MidiOut& out, int32_t channel, int32_t note) {
  SendShortMessage(out, midi::kNoteOff, channel, note, 0);
}

void SendProgramChange(MidiOut& out, int32_t channel, int32_t program) {
  SendShortMessage(out, midi::kProgramChange, channel, program, 0);
}

void SendPitchBend(MidiOut& out, int32_t channel, int32_t value) {
  SendShortMessage(out, midi::kPitchBend, channel, value & 0x7F, value >> 7);
}

void SendAllNotesOff(MidiOut& out) {
  for (int32_t channel = 0; channel < 16; ++channel) {
    SendShortMessage(out, midi::kControlChange, channel, midi::kAllNotesOffController, 0);
  }
}

std::vector<DeviceMenuItem> ListMidiOutDevices(const MidiDevices& devices) {
  std::vector<DeviceMenuItem> items;
  for (int32_t i = 0; i < devices.DeviceCount(); ++i) {
    items.push_back({devices.DeviceName(i).value_or(""), IDM_DEVICE_BASE + i});
  }
  return items;
}

OpenResult OpenMidiOut(MidiOut& out, ProgramChangeTo to) {
  SessionSettings& s = *out.settings;
  if (s.switchOpen) return OpenResult::AlreadyOpen;
  if (!out.devices->Open(s.deviceId)) return OpenResult::Failed;
  s.switchOpen = 1;
  SendProgramChange(out, s.track, s.program);
  if (to == ProgramChangeTo::TrackAndBourdon) SendProgramChange(out, kBourdonChannel, s.program);
  return OpenResult::Opened;
}

bool CloseMidiOut(MidiOut& out) {
  if (!out.settings->switchOpen) return false;
  SendAllNotesOff(out);
  out.devices->Close();
  out.settings->switchOpen = 0;
  return true;
}

}  // namespace tangrel
