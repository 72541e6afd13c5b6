// SPDX-License-Identifier: GPL-3.0-or-later
// The devices of this machine, as the Device menu lists them.
#pragma once

#include <memory>

#include "model/MidiDevices.h"

namespace tangrel {

// The devices of this machine, in menu order: the built-in synthesizer (even
// when its SoundFont cannot be loaded: its open then fails and says why), the
// "Tangrel" virtual port (where the MIDI system
// offers one), then every output port RtMidi lists.
// `reports` hears what the devices have to say; it must outlive them.
std::unique_ptr<DeviceSet> MakeSystemDevices(DeviceReports* reports = nullptr);

}  // namespace tangrel
