// SPDX-License-Identifier: GPL-3.0-or-later
// Output devices over RtMidi: the "Tangrel" virtual port that other programs
// connect to, and one device per MIDI output port the MIDI system lists.
#pragma once

#include <memory>
#include <vector>

#include "model/MidiDevices.h"

namespace tangrel {

constexpr const char* kVirtualPortName = "Tangrel";

// The virtual port first (when the MIDI system offers one), then the ports, of
// the first MIDI system that answers (the ALSA sequencer, else a running JACK
// server). Empty when none does; never throws, never starts a server. A port
// that will not open says why through `reports` (may be null).
std::vector<std::unique_ptr<MidiOutputDevice>> MakeRtMidiDevices(DeviceReports* reports = nullptr);

}  // namespace tangrel
