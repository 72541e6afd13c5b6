// Placeholder until the platform backends land.
#include "engine/MidiDevices.h"

namespace tangrel {
std::unique_ptr<DeviceSet> MakeSystemDevices() { return std::make_unique<DeviceSet>(); }
}  // namespace tangrel
