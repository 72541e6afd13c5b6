// The playback scheduler: a thread that waits for each event's deadline on a
// steady clock and hands the event to the UI thread, which replays it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "recording/EventList.h"

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

constexpr uint32_t kPlaybackPeriodMs = 5;  // shorter intervals are stretched to it

class PlaybackScheduler {
 public:
  explicit PlaybackScheduler(PlaybackSink& sink);
  ~PlaybackScheduler();  // stops
  PlaybackScheduler(const PlaybackScheduler&) = delete;
  PlaybackScheduler& operator=(const PlaybackScheduler&) = delete;

  // Plays the copy from its first event. False (and nothing starts) when the
  // copy is missing or empty. Stops a running playback first.
  bool Start(PlaybackEvents events, bool circle);
  // Synchronous: when it returns, nothing is scheduled and nothing more will be
  // handed over. Safe to call when stopped.
  void Stop();
  bool Running() const;
  // The generation of the last Start; hand-overs of older ones are stale.
  uint64_t Generation() const;

 private:
  void Run(PlaybackEvents events, bool circle, uint64_t generation);

  PlaybackSink& sink_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  bool stopRequested_ = false;
  bool running_ = false;
  uint64_t generation_ = 0;
};

}  // namespace tangrel
