// SPDX-License-Identifier: GPL-3.0-or-later
// The playback thread: absolute deadlines from a fixed start, every wait a
// condition-variable wait so that a stop is prompt.
#include "recording/PlaybackScheduler.h"

#include <pthread.h>
#include <sched.h>

#include <new>
#include <system_error>
#include <utility>

#include "model/RealTime.h"

namespace tangrel {
namespace {

// A delay beyond this is waited for as if it were this long: a century keeps
// the nanosecond arithmetic of the clock far from overflow, whatever a loaded
// file claims.
constexpr uint64_t kLongestWaitMs = 100ull * 365 * 24 * 3600 * 1000;

PlaybackClock::TimePoint DeadlineAfter(PlaybackClock::TimePoint base, uint64_t ms) {
  return base + std::chrono::milliseconds(ms < kLongestWaitMs ? ms : kLongestWaitMs);
}

// Asks for real-time scheduling, as audio programs do for their timing
// threads, so that a busy desktop delays a wake-up less. Without the right to
// it (most users) the request fails and the thread runs as it was.
void RequestRealtimePriority() {
  sched_param param{};
  param.sched_priority = kRealTimePriority;
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

class SteadyClock : public PlaybackClock {
 public:
  TimePoint Now() override { return std::chrono::steady_clock::now(); }
  bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                 TimePoint deadline, const std::function<bool()>& stopped) override {
    return !wake.wait_until(lock, deadline, stopped);
  }
};

}  // namespace

PlaybackClock& SteadyPlaybackClock() {
  static SteadyClock clock;
  return clock;
}

PlaybackScheduler::PlaybackScheduler(PlaybackSink& sink, PlaybackClock& clock)
    : sink_(sink), clock_(&clock) {}

void PlaybackScheduler::SetClock(PlaybackClock& clock) {
  Stop();
  std::lock_guard<std::mutex> lock(mutex_);
  clock_ = &clock;
}

PlaybackScheduler::~PlaybackScheduler() { Stop(); }

bool PlaybackScheduler::Start(PlaybackEvents events, bool circle) {
  if (!events || events->empty() || OnPlaybackThread()) return false;
  std::vector<uint64_t> times;
  try {
    times = PlaybackTimesMs(*events);
  } catch (const std::bad_alloc&) {
    return false;
  }
  Stop();
  std::lock_guard<std::mutex> lock(mutex_);
  stopRequested_ = false;
  running_ = true;
  const uint64_t generation = ++generation_;
  // The copy itself stays with the caller: the thread needs only the times.
  try {
    thread_ = std::thread(&PlaybackScheduler::Run, this, std::move(times), circle, generation,
                          clock_->Now());
  } catch (const std::system_error&) {
    running_ = false;
    return false;
  }
  return true;
}

void PlaybackScheduler::Stop() {
  std::unique_lock<std::mutex> lock(mutex_);
  stopRequested_ = true;
  running_ = false;
  wake_.notify_all();
  // From inside a hand-over the thread cannot join itself; it leaves as soon
  // as the hand-over returns and is joined by the next Start, Stop or the
  // destructor.
  if (!thread_.joinable() || thread_.get_id() == std::this_thread::get_id()) return;
  std::thread finished = std::move(thread_);
  lock.unlock();  // the thread takes the lock on its way out
  finished.join();
}

bool PlaybackScheduler::Running() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return running_;
}

uint64_t PlaybackScheduler::Generation() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return generation_;
}

bool PlaybackScheduler::OnPlaybackThread() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return thread_.get_id() == std::this_thread::get_id();
}

bool PlaybackScheduler::WaitUntil(std::unique_lock<std::mutex>& lock, TimePoint deadline) {
  return clock_->WaitUntil(lock, wake_, deadline, [this] { return stopRequested_; });
}

void PlaybackScheduler::Run(std::vector<uint64_t> times, bool circle, uint64_t generation,
                            TimePoint start) {
  RequestRealtimePriority();
  const uint32_t count = static_cast<uint32_t>(times.size());
  TimePoint passStart = start;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    for (uint32_t i = 0; i < count; ++i) {
      // Every deadline counts from the pass start, never from the previous
      // wake-up, so the lateness of one hand-over does not shift the rest.
      // Keys struck together share a deadline and go out one after another,
      // with no wait between them.
      if (!WaitUntil(lock, DeadlineAfter(passStart, times[i]))) return;
      // The sink is called unlocked so that it may call Stop itself.
      lock.unlock();
      sink_.PlayEvent(generation, i);
      lock.lock();
    }
    if (stopRequested_) return;
    if (!circle) break;
    passStart = DeadlineAfter(passStart, CirclePassMs(times));
  }
  running_ = false;
  lock.unlock();
  // Nothing waits for the UI here: its End Play handler may call Stop, which
  // joins this thread as it leaves.
  sink_.EndOfPlayback(generation);
}

}  // namespace tangrel
