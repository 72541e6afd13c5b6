// SPDX-License-Identifier: GPL-3.0-or-later
// The timing rule of playback, shared by the scheduler and offline rendering:
// each interval is the recorded delay raised to the playback period.
#pragma once

#include <cstdint>
#include <vector>

#include "recording/EventList.h"

namespace tangrel {

constexpr uint32_t kPlaybackPeriodMs = 5;  // shorter intervals are stretched to it

// Chords struck together are spread kPlaybackPeriodMs apart.
constexpr uint32_t PlaybackIntervalMs(uint32_t delay) {
  return delay < kPlaybackPeriodMs ? kPlaybackPeriodMs : delay;
}

// When each event plays, in ms from the start of a pass: the running sum of the
// intervals. A circle pass starts at the previous pass's last time, so the gap
// between passes is the first event's interval. The sum cannot overflow: 2^32
// events of 2^32 - 1 ms still fit in 64 bits.
std::vector<uint64_t> PlaybackTimesMs(const std::vector<PerformanceEvent>& events);

}  // namespace tangrel
