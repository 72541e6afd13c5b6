// SPDX-License-Identifier: GPL-3.0-or-later
// What the sound benchmarks share: another process keeping one core busy, a
// probe of the times the machine holds a real-time thread, and percentiles.
#pragma once

#include <pthread.h>
#include <sched.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "model/RealTime.h"
#include "tests/support/AudioSupport.h"

namespace tangrel::bench {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

inline double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

// Another process spinning on one core, stopped by its pid.
class BusyCore {
 public:
  explicit BusyCore(bool on) {
    if (!on) return;
    pid_ = fork();
    if (pid_ == 0) {
      for (volatile unsigned long spin = 0;; spin = spin + 1) {
      }
    }
  }
  ~BusyCore() { testaudio::StopProcess(pid_, SIGKILL); }

 private:
  pid_t pid_ = -1;
};

// A real-time thread that sleeps one 128-frame cycle at a time and counts the
// wakes that came more than a cycle late. On a virtual machine the host can
// hold a CPU for several milliseconds with nothing else running: an output's
// thread held that long misses its cycle however little work it has.
class StallProbe {
 public:
  static constexpr double kCycleSeconds = 128.0 / 48000;

  StallProbe() : thread_([this] { Run(); }) {}
  ~StallProbe() {
    stop_ = true;
    thread_.join();
  }
  int Stalls() const { return stalls_; }
  double WorstMs() const { return worstMs_; }

 private:
  void Run() {
    sched_param param{};
    param.sched_priority = kRealTimePriority;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    const auto cycle = std::chrono::nanoseconds(int64_t(1e9 * kCycleSeconds));
    for (auto next = Clock::now() + cycle; !stop_; next += cycle) {
      std::this_thread::sleep_until(next);
      const Clock::time_point woke = Clock::now();
      worstMs_ = std::max(worstMs_.load(), Ms(woke - next));
      if (woke - next > cycle) {
        ++stalls_;
        next = woke;
      }
    }
  }

  std::atomic<bool> stop_{false};
  std::atomic<int> stalls_{0};
  std::atomic<double> worstMs_{0.0};
  std::thread thread_;
};

}  // namespace tangrel::bench
