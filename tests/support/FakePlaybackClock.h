// SPDX-License-Identifier: GPL-3.0-or-later
// A playback clock that moves only when a test moves it: every hand-over then
// comes at its exact deadline, however busy the machine.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

#include "recording/PlaybackClock.h"

namespace tangrel::testing {

class FakePlaybackClock : public PlaybackClock {
 public:
  TimePoint Now() override {
    std::lock_guard<std::mutex> guard(mutex_);
    return now_;
  }

  bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                 TimePoint deadline, const std::function<bool()>& stopped) override {
    Waiting(&lock, &wake, deadline);
    bool due = false;
    while (!stopped() && !(due = Now() >= deadline)) wake.wait(lock);
    Waiting(nullptr, nullptr, std::nullopt);
    return due;
  }

  // Milliseconds since the clock's start.
  int64_t ElapsedMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Now() - TimePoint{}).count();
  }

  // Moves time on and returns once the playback thread has handed over all
  // that is due by then: when it waits for a later deadline, or `ended()`.
  // The limit in real time only keeps a broken scheduler from hanging a test.
  bool Advance(std::chrono::milliseconds step, const std::function<bool()>& ended) {
    std::unique_lock<std::mutex> guard(mutex_);
    now_ += step;
    if (waiterLock_) {
      // Under the waiter's own lock, so that the notification cannot fall
      // between its check of the time and its wait.
      std::mutex* waiterMutex = waiterLock_->mutex();
      std::condition_variable* wake = wake_;
      guard.unlock();
      { std::lock_guard<std::mutex> waiter(*waiterMutex); }
      wake->notify_all();
      guard.lock();
    }
    auto settled = [&] {
      if (deadline_ && *deadline_ > now_) return true;
      guard.unlock();
      const bool over = ended();
      guard.lock();
      return over;
    };
    // A thread that ends says nothing to this clock, so `ended` is looked at
    // again every millisecond.
    for (int waits = 0; waits < 10000; ++waits) {
      if (settled_.wait_for(guard, std::chrono::milliseconds(1), settled)) return true;
    }
    return false;
  }

 private:
  void Waiting(std::unique_lock<std::mutex>* lock, std::condition_variable* wake,
               std::optional<TimePoint> deadline) {
    std::lock_guard<std::mutex> guard(mutex_);
    waiterLock_ = lock;
    wake_ = wake;
    deadline_ = deadline;
    settled_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable settled_;
  TimePoint now_{};
  std::unique_lock<std::mutex>* waiterLock_ = nullptr;
  std::condition_variable* wake_ = nullptr;
  std::optional<TimePoint> deadline_;
};

}  // namespace tangrel::testing
