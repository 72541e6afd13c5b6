// SPDX-License-Identifier: GPL-3.0-or-later
// The clock the playback thread waits on: the steady clock in the program, a
// clock moved by hand in tests, so that timing is exact there and instant.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace tangrel {

class PlaybackClock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  virtual ~PlaybackClock() = default;
  virtual TimePoint Now() = 0;
  // Waits, `lock` held, until `deadline` or until `stopped()` holds; `wake`
  // is notified (under the lock) when `stopped()` may have changed. True when
  // the deadline came first.
  virtual bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                         TimePoint deadline, const std::function<bool()>& stopped) = 0;
};

// The steady clock, shared by every scheduler that is given no other.
PlaybackClock& SteadyPlaybackClock();

}  // namespace tangrel
