// SPDX-License-Identifier: GPL-3.0-or-later
// What the devices report, in the words the player reads on the terminal.
#pragma once

#include <string>

#include "model/Failure.h"
#include "model/MidiDevices.h"

namespace tangrel {

// One line, without the "tangrel: " that starts it.
std::string DeviceMessage(const Failure& failure);

// Says each report on standard error as one "tangrel: ..." line.
class PrintedDeviceReports : public DeviceReports {
 public:
  void Report(const Failure& failure) override;
};

}  // namespace tangrel
