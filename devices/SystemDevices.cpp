// SPDX-License-Identifier: GPL-3.0-or-later
// The devices of this machine, in the order the Device menu shows them.
#include "devices/BuiltInSynthDevice.h"
#include "devices/LibraryMessages.h"
#include "devices/SystemDevices.h"
#include "devices/RtMidiDevices.h"

namespace tangrel {

std::unique_ptr<DeviceSet> MakeSystemDevices(DeviceReports* reports) {
  // Before any library is asked anything: the audio drivers tried when the
  // built-in synthesizer opens speak through alsa-lib and libjack too.
  KeepLibraryMessages();
  auto set = std::make_unique<DeviceSet>();
  set->Add(std::make_unique<BuiltInSynthDevice>(DefaultSoundFontPath(), reports));
  for (auto& device : MakeRtMidiDevices(reports)) set->Add(std::move(device));
  return set;
}

}  // namespace tangrel
