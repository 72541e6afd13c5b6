// SPDX-License-Identifier: GPL-3.0-or-later
// The timing rule of playback, shared by the scheduler and offline rendering:
// every event plays at its recorded time.
#pragma once

#include <cstdint>
#include <vector>

#include "recording/EventList.h"

namespace tangrel {

// When each event plays, in ms from the start of a pass: the running sum of
// the recorded delays, so keys struck together (delay 0) share one time and
// keep their recorded order. A circle pass starts at the previous pass's last
// time, so the gap between passes is the first event's delay. The sum cannot
// overflow: 2^32 events of 2^32 - 1 ms still fit in 64 bits.
std::vector<uint64_t> PlaybackTimesMs(const std::vector<PerformanceEvent>& events);

// How long a circle pass lasts: the last event's time, but at least 1 ms, so
// that a take whose every delay is 0 (a file may say so) repeats at a pace
// rather than without end in no time.
uint64_t CirclePassMs(const std::vector<uint64_t>& times);

}  // namespace tangrel
