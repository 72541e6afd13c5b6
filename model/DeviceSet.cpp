// SPDX-License-Identifier: GPL-3.0-or-later
// DeviceSet: the MidiDevices operations over an ordered list of devices.
#include "model/MidiDevices.h"

namespace tangrel {

DeviceSet::DeviceSet(std::vector<std::unique_ptr<MidiOutputDevice>> devices)
    : devices_(std::move(devices)) {}

void DeviceSet::Add(std::unique_ptr<MidiOutputDevice> device) {
  devices_.push_back(std::move(device));
}

void DeviceSet::Prepare() {
  for (auto& device : devices_) device->Prepare();
}

int32_t DeviceSet::DeviceCount() const { return static_cast<int32_t>(devices_.size()); }

MidiOutputDevice* DeviceSet::Device(int32_t deviceId) const {
  if (deviceId < 0 || deviceId >= DeviceCount()) return nullptr;
  return devices_[static_cast<size_t>(deviceId)].get();
}

std::optional<std::string> DeviceSet::DeviceName(int32_t deviceId) const {
  MidiOutputDevice* device = Device(deviceId);
  if (!device) return std::nullopt;
  return device->Name();
}

bool DeviceSet::Open(int32_t deviceId) {
  MidiOutputDevice* device = Device(deviceId);
  whyNot_.clear();
  if (!device || open_) return false;
  if (!device->Open()) {
    whyNot_ = device->WhyNotOpened();
    return false;
  }
  open_ = device;
  return true;
}

void DeviceSet::ShortMessage(uint32_t word) {
  if (open_) open_->Send(word);
}

void DeviceSet::Close() {
  if (!open_) return;
  open_->Close();
  open_ = nullptr;
}

}  // namespace tangrel
