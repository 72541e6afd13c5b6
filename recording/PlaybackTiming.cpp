// SPDX-License-Identifier: GPL-3.0-or-later
// The playback times of a take.
#include "recording/PlaybackTiming.h"

#include <algorithm>

namespace tangrel {

std::vector<uint64_t> PlaybackTimesMs(const std::vector<PerformanceEvent>& events) {
  std::vector<uint64_t> times;
  times.reserve(events.size());
  uint64_t time = 0;
  for (const PerformanceEvent& event : events) {
    time += event.delay;
    times.push_back(time);
  }
  return times;
}

uint64_t CirclePassMs(const std::vector<uint64_t>& times) {
  return std::max<uint64_t>(times.empty() ? 0 : times.back(), 1);
}

}  // namespace tangrel
