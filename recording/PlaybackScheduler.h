// SPDX-License-Identifier: GPL-3.0-or-later
// The playback scheduler: a thread that waits for each event's deadline on a
// playback clock (the steady clock unless given another) and hands the event
// to the UI thread, which replays it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "recording/EventList.h"
#include "recording/PlaybackClock.h"
#include "recording/PlaybackTiming.h"

namespace tangrel {

// Receives the hand-overs; both are called on the playback thread and must
// only queue work for the UI thread, never block on it.
class PlaybackSink {
 public:
  virtual ~PlaybackSink() = default;
  // Event `index` of the copy is due. `generation` names the start it belongs to.
  virtual void PlayEvent(uint64_t generation, uint32_t index) = 0;
  // The last event of a single pass has been handed over.
  virtual void EndOfPlayback(uint64_t generation) = 0;
};

// Start and Stop are called from one controlling thread (the UI thread); Stop
// may also be called from inside a hand-over.
class PlaybackScheduler {
 public:
  explicit PlaybackScheduler(PlaybackSink& sink, PlaybackClock& clock = SteadyPlaybackClock());
  ~PlaybackScheduler();  // stops
  PlaybackScheduler(const PlaybackScheduler&) = delete;
  PlaybackScheduler& operator=(const PlaybackScheduler&) = delete;

  // Plays the copy from its first event. False (and nothing changes: a running
  // playback goes on) when the copy is missing or empty, or when called from
  // inside a hand-over. Otherwise stops a running playback first.
  bool Start(PlaybackEvents events, bool circle);
  // Synchronous: when it returns, nothing is scheduled and nothing more will be
  // handed over. Safe to call when stopped. Called from inside a hand-over it
  // cannot wait for its own thread: nothing more is handed over once that
  // hand-over returns.
  void Stop();
  bool Running() const;
  // The generation of the last Start; hand-overs of older ones are stale.
  uint64_t Generation() const;
  // The clock of the next Start; stops a running playback first.
  void SetClock(PlaybackClock& clock);

 private:
  using TimePoint = PlaybackClock::TimePoint;

  void Run(std::vector<uint64_t> times, bool circle, uint64_t generation, TimePoint start);
  // Waits until the deadline or a stop; true when the deadline came first.
  bool WaitUntil(std::unique_lock<std::mutex>& lock, TimePoint deadline);
  bool OnPlaybackThread() const;

  PlaybackSink& sink_;
  PlaybackClock* clock_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  bool stopRequested_ = false;
  bool running_ = false;
  uint64_t generation_ = 0;
};

}  // namespace tangrel
