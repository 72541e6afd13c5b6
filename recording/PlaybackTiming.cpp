// SPDX-License-Identifier: GPL-3.0-or-later
// The playback times of a take.
#include "recording/PlaybackTiming.h"

namespace tangrel {

std::vector<uint64_t> PlaybackTimesMs(const std::vector<PerformanceEvent>& events) {
  std::vector<uint64_t> times;
  times.reserve(events.size());
  uint64_t time = 0;
  for (const PerformanceEvent& event : events) {
    time += PlaybackIntervalMs(event.delay);
    times.push_back(time);
  }
  return times;
}

}  // namespace tangrel
