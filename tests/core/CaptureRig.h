// SPDX-License-Identifier: GPL-3.0-or-later
// A MIDI output over one capture device, with the settings and event list that
// live playing reads, for the core tests.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/CaptureDevice.h"
#include "model/LivePlaying.h"
#include "recording/EventList.h"
#include "model/MidiOut.h"

namespace tangrel::testing {

struct DrawnKey {
  uint32_t scanCode;
  bool pressed;
  int32_t shift;
};

class RecordingView : public KeyView {
 public:
  void DrawKey(uint32_t scanCode, bool pressed, OctaveShift shift) override {
    drawn.push_back({scanCode, pressed, shift});
  }
  void ShowAllReleased() override { ++allReleased; }
  std::vector<DrawnKey> drawn;
  int allReleased = 0;
};

struct CaptureRig {
  CaptureRig() {
    auto capture = std::make_unique<CaptureDevice>("Capture");
    device = capture.get();
    devices.Add(std::move(capture));
    settings.deviceId = 0;
    list.clock = [this] { return now; };
    list.modified = &modified;
  }

  // Opens the output and forgets the program change it sends.
  void Open() {
    OpenMidiOut(out);
    device->Clear();
  }
  std::vector<uint32_t> Words() const { return device->Words(); }

  void Press(uint32_t scanCode, Modifiers modifiers = {}, uint32_t extraBits = 0) {
    PlayKey(live, ctx, WM_KEYDOWN, (scanCode << 16) | 1 | extraBits, modifiers);
  }
  void Release(uint32_t scanCode, Modifiers modifiers = {}) {
    PlayKey(live, ctx, WM_KEYUP, (scanCode << 16) | 1 | kKeyDataReleaseBits, modifiers);
  }

  CaptureDevice* device = nullptr;
  DeviceSet devices;
  SessionSettings settings;
  MidiOut out{&devices, &settings};
  EventList list;
  LiveState live;
  RecordingView view;
  PlayContext ctx{out, list, &view};
  uint32_t now = 1000;
  bool modified = false;
};

constexpr uint32_t NoteOn(int channel, int note, int velocity = 127) {
  return ShortMessageWord(0x90, channel, note, velocity);
}
constexpr uint32_t NoteOff(int channel, int note) { return ShortMessageWord(0x80, channel, note, 0); }

constexpr uint32_t kA = 30, kS = 31, kZ = 44, kSlash = 53, kK = 37;
constexpr Modifiers kShift{true, false};
constexpr Modifiers kCtrl{false, true};

}  // namespace tangrel::testing
