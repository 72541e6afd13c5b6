// SPDX-License-Identifier: GPL-3.0-or-later
// What the devices report, in the words the player reads on the terminal.
#pragma once

#include <mutex>
#include <string>

#include "model/Failure.h"
#include "model/MidiDevices.h"

namespace tangrel {

class Session;

// One line, without the "tangrel: " that starts it.
std::string DeviceMessage(const Failure& failure);
std::string DeviceMessage(const DeviceNews& news);

// Says each report on standard error as one "tangrel: ..." line.
class PrintedDeviceReports : public DeviceReports {
 public:
  void Report(const Failure& failure) override;
  void Tell(const DeviceNews& news) override;
};

// Says each report on standard error, and hands it to the session listening,
// which takes it on the UI thread. Reports before a session listens, or after
// it has gone, are only said.
class ShownDeviceReports : public PrintedDeviceReports {
 public:
  void Report(const Failure& failure) override;
  void Tell(const DeviceNews& news) override;
  // The session calls it itself: with null as it goes, after which no report
  // reaches it.
  void Listen(Session* session);

 private:
  std::mutex mutex_;  // a report from a device's thread against the session going
  Session* session_ = nullptr;
};

}  // namespace tangrel
