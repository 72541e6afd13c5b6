// SPDX-License-Identifier: GPL-3.0-or-later
// The playback scheduler: order, spacing against absolute deadlines, chords
// and fast notes at their recorded times, circle play, stops (also from inside
// a hand-over) and generations, on a clock the test moves: every time below is
// exact.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "CaptureRig.h"
#include "recording/PlaybackScheduler.h"
#include "tests/support/FakePlaybackClock.h"

using namespace tangrel;
using namespace tangrel::testing;
using namespace std::chrono_literals;

namespace {

struct HandOver {
  bool end;  // EndOfPlayback rather than PlayEvent
  uint64_t generation;
  uint32_t index;
  int64_t ms;  // on the test's clock
};

// Records every hand-over with its time; `onPlay` runs inside PlayEvent.
class RecordingSink : public PlaybackSink {
 public:
  explicit RecordingSink(FakePlaybackClock& clock) : clock_(clock) {}
  void PlayEvent(uint64_t generation, uint32_t index) override {
    Record({false, generation, index, clock_.ElapsedMs()});
    if (onPlay) onPlay(index);
  }
  void EndOfPlayback(uint64_t generation) override {
    Record({true, generation, 0, clock_.ElapsedMs()});
  }

  // Waits (up to a generous limit) for the end hand-over, which follows the
  // scheduler's last wait without one.
  bool WaitForEnd() {
    std::unique_lock<std::mutex> lock(mutex_);
    return arrived_.wait_for(lock, 10s, [&] { return !log_.empty() && log_.back().end; });
  }
  std::vector<HandOver> Log() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
  }

  std::function<void(uint32_t)> onPlay;

 private:
  void Record(HandOver h) {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.push_back(h);
    arrived_.notify_all();
  }
  FakePlaybackClock& clock_;
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<HandOver> log_;
};

// A scheduler on the test's clock, with the sink that records it.
struct Rig {
  FakePlaybackClock clock;
  RecordingSink sink{clock};
  PlaybackScheduler scheduler{sink, clock};

  // Moves the clock on a millisecond at a time, each time waiting until the
  // thread has handed over what is due: every hand-over is seen at its deadline.
  void Advance(std::chrono::milliseconds span) {
    for (auto ms = 0ms; ms < span; ++ms) Jump(1ms);
  }
  void Jump(std::chrono::milliseconds step) {
    ASSERT_TRUE(clock.Advance(step, [&] { return !scheduler.Running(); }));
  }
  std::vector<int64_t> Times() const {
    std::vector<int64_t> times;
    for (const HandOver& h : sink.Log()) times.push_back(h.ms);
    return times;
  }
};

PlaybackEvents Take(const std::vector<uint32_t>& delays) {
  auto events = std::make_shared<std::vector<PerformanceEvent>>();
  for (size_t i = 0; i < delays.size(); ++i) {
    uint32_t message = i % 2 == 0 ? WM_KEYDOWN : WM_KEYUP;
    events->push_back({delays[i], message, (kA << 16) | 1, 0});
  }
  return events;
}

}  // namespace

TEST(PlaybackScheduler, HandsOverEveryEventInOrderAtItsDeadlineThenEndsOnce) {
  Rig rig;
  ASSERT_TRUE(rig.scheduler.Start(Take({40, 30, 60, 20}), false));
  rig.Advance(39ms);
  EXPECT_TRUE(rig.sink.Log().empty()) << "nothing comes early";
  rig.Advance(120ms);
  ASSERT_TRUE(rig.sink.WaitForEnd());
  rig.Advance(100ms);  // anything after the end would show up now

  auto log = rig.sink.Log();
  ASSERT_EQ(log.size(), 5u);
  for (uint32_t i = 0; i < 4; ++i) {
    EXPECT_FALSE(log[i].end);
    EXPECT_EQ(log[i].index, i);
    EXPECT_EQ(log[i].generation, rig.scheduler.Generation());
  }
  EXPECT_EQ(rig.Times(), (std::vector<int64_t>{40, 70, 130, 150, 150}));
  EXPECT_TRUE(log[4].end);
  EXPECT_EQ(log[4].generation, rig.scheduler.Generation());
  EXPECT_FALSE(rig.scheduler.Running());
  rig.scheduler.Stop();  // what End Play does: the thread never waits on it
}

// A ten-key chord struck with no lead-in goes out at once, in its recorded
// order; 10,000 events 1 ms apart end at 10 s, as recorded.
TEST(PlaybackScheduler, ChordsAndFastNotesPlayAtTheirRecordedTimes) {
  Rig chord;
  ASSERT_TRUE(chord.scheduler.Start(Take(std::vector<uint32_t>(10, 0)), false));
  ASSERT_TRUE(chord.sink.WaitForEnd());
  auto log = chord.sink.Log();
  ASSERT_EQ(log.size(), 11u);
  for (uint32_t i = 0; i < 10; ++i) EXPECT_EQ(log[i].index, i);
  EXPECT_EQ(chord.Times(), std::vector<int64_t>(11, 0));

  Rig fast;
  ASSERT_TRUE(fast.scheduler.Start(Take(std::vector<uint32_t>(10000, 1)), false));
  fast.Jump(9999ms);
  EXPECT_EQ(fast.sink.Log().size(), 9999u);
  fast.Jump(1ms);
  ASSERT_TRUE(fast.sink.WaitForEnd());
  EXPECT_EQ(fast.Times().back(), 10000);
  EXPECT_EQ(fast.sink.Log()[9999].index, 9999u);
}

// Each pass of a take whose every delay is 0 takes 1 ms: it neither floods
// the window nor stops.
TEST(PlaybackScheduler, CirclePlayOfATakeWithoutTimeRepeatsEveryMillisecond) {
  Rig rig;
  ASSERT_TRUE(rig.scheduler.Start(Take({0, 0}), true));
  rig.Jump(0ms);  // the first pass, before time moves
  rig.Advance(2ms);
  rig.scheduler.Stop();
  EXPECT_EQ(rig.Times(), (std::vector<int64_t>{0, 0, 1, 1, 2, 2}));
}

TEST(PlaybackScheduler, CirclePlayRestartsAfterTheFirstDelayFromTheLastEvent) {
  Rig rig;
  ASSERT_TRUE(rig.scheduler.Start(Take({60, 40, 20}), true));
  rig.Advance(300ms);
  rig.scheduler.Stop();

  auto log = rig.sink.Log();
  EXPECT_EQ(rig.Times(), (std::vector<int64_t>{60, 100, 120, 180, 220, 240, 300}));
  for (size_t i = 0; i < log.size(); ++i) {
    EXPECT_FALSE(log[i].end) << "circle play never ends by itself";
    EXPECT_EQ(log[i].index, i % 3);
  }
  EXPECT_FALSE(rig.scheduler.Running());
}

TEST(PlaybackScheduler, NothingIsHandedOverAfterStopReturns) {
  Rig rig;
  ASSERT_TRUE(rig.scheduler.Start(Take(std::vector<uint32_t>(200, 5)), false));
  rig.Advance(15ms);
  EXPECT_EQ(rig.sink.Log().size(), 3u);
  EXPECT_TRUE(rig.scheduler.Running());
  rig.scheduler.Stop();
  rig.Advance(1000ms);

  auto log = rig.sink.Log();
  EXPECT_EQ(log.size(), 3u);
  for (const HandOver& h : log) EXPECT_FALSE(h.end);
  EXPECT_FALSE(rig.scheduler.Running());
  rig.scheduler.Stop();  // a second stop is harmless
}

TEST(PlaybackScheduler, StopDuringALongWaitIsPromptAndTheLongestDelaysDoNotOverflow) {
  Rig rig;
  ASSERT_TRUE(rig.scheduler.Start(Take({0xFFFFFFFFu, 0xFFFFFFFFu}), true));
  rig.Jump(std::chrono::hours(24 * 40));  // short of the first, 49.7 days away
  rig.scheduler.Stop();  // the thread was waiting; Stop wakes it at once
  EXPECT_TRUE(rig.sink.Log().empty());
  EXPECT_FALSE(rig.scheduler.Running());
}

TEST(PlaybackScheduler, AMissingOrEmptyCopyStartsNothing) {
  Rig rig;
  EXPECT_FALSE(rig.scheduler.Start(nullptr, false));
  EXPECT_FALSE(rig.scheduler.Start(std::make_shared<const std::vector<PerformanceEvent>>(), true));
  EXPECT_FALSE(rig.scheduler.Running());
  EXPECT_EQ(rig.scheduler.Generation(), 0u);
  EXPECT_TRUE(rig.sink.Log().empty());
}

TEST(PlaybackScheduler, AStopFromInsideAHandOverEndsThePlaybackWithoutDeadlock) {
  Rig rig;
  rig.sink.onPlay = [&](uint32_t index) {
    if (index == 1) rig.scheduler.Stop();
  };
  ASSERT_TRUE(rig.scheduler.Start(Take({5, 5, 5, 5, 5}), false));
  rig.Advance(10ms);
  rig.Advance(50ms);
  EXPECT_EQ(rig.Times(), (std::vector<int64_t>{5, 10}));
  EXPECT_FALSE(rig.scheduler.Running());

  // The stopped thread is joined by the next start, which plays normally.
  rig.sink.onPlay = nullptr;
  ASSERT_TRUE(rig.scheduler.Start(Take({5}), false));
  rig.Advance(5ms);
  ASSERT_TRUE(rig.sink.WaitForEnd());
  EXPECT_EQ(rig.Times(), (std::vector<int64_t>{5, 10, 65, 65}));
}

TEST(PlaybackScheduler, EachStartHasANewGenerationAndSilencesTheOldOne) {
  Rig rig;
  ASSERT_TRUE(rig.scheduler.Start(Take({5, 5, 5, 5, 5, 5, 5, 5}), true));
  const uint64_t first = rig.scheduler.Generation();
  rig.Advance(10ms);
  ASSERT_TRUE(rig.scheduler.Start(Take({10, 10}), false));
  const uint64_t second = rig.scheduler.Generation();
  EXPECT_GT(second, first);
  rig.Advance(10ms);
  rig.Advance(10ms);
  ASSERT_TRUE(rig.sink.WaitForEnd());

  auto log = rig.sink.Log();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].generation, first);
  EXPECT_EQ(log[1].generation, first);
  for (size_t i = 2; i < 5; ++i) EXPECT_EQ(log[i].generation, second);
  EXPECT_EQ(rig.Times(), (std::vector<int64_t>{5, 10, 20, 30, 30}));
  EXPECT_EQ(log[2].index, 0u);
  EXPECT_EQ(log[3].index, 1u);
  EXPECT_TRUE(log[4].end);
}

// The window's side: hand-overs queued to a second thread that replays them
// through live playing into the capture device, End Play silencing at the end.
TEST(PlaybackScheduler, QueuedHandOversReplayTheTakeWithItsTiming) {
  struct QueueSink : PlaybackSink {
    explicit QueueSink(FakePlaybackClock& clock) : clock(clock) {}
    void PlayEvent(uint64_t generation, uint32_t index) override { Push({generation, index, false}); }
    void EndOfPlayback(uint64_t generation) override { Push({generation, 0, true}); }
    struct Item {
      uint64_t generation;
      uint32_t index;
      bool end;
      int64_t ms = 0;
    };
    void Push(Item item) {
      item.ms = clock.ElapsedMs();
      std::lock_guard<std::mutex> lock(mutex);
      items.push_back(item);
      ready.notify_one();
    }
    Item Pop() {
      std::unique_lock<std::mutex> lock(mutex);
      ready.wait(lock, [&] { return !items.empty(); });
      Item item = items.front();
      items.pop_front();
      return item;
    }
    FakePlaybackClock& clock;
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<Item> items;
  };

  CaptureRig rig;
  rig.Open();
  FakePlaybackClock clock;
  QueueSink sink(clock);
  PlaybackScheduler scheduler(sink, clock);
  // A, then A released with S pressed 1 ms later, then S released.
  auto take = std::make_shared<std::vector<PerformanceEvent>>(std::vector<PerformanceEvent>{
      {30, WM_KEYDOWN, kA << 16, 0},
      {50, WM_KEYUP, kA << 16, 0},
      {1, WM_KEYDOWN, kS << 16, 1},
      {40, WM_KEYUP, kS << 16, 1}});
  ASSERT_TRUE(scheduler.Start(take, false));
  for (int ms = 0; ms < 130; ++ms) {
    ASSERT_TRUE(clock.Advance(1ms, [&] { return !scheduler.Running(); }));
  }
  std::vector<int64_t> times;
  for (;;) {
    QueueSink::Item item = sink.Pop();
    if (item.generation != scheduler.Generation()) continue;
    if (item.end) break;
    times.push_back(item.ms);
    const PerformanceEvent& e = (*take)[item.index];
    ReplayEvent(rig.live, rig.ctx, e.message, e.keyData, e.octaveShift);
  }
  scheduler.Stop();
  SilenceEverything(rig.live, rig.ctx);

  auto captured = rig.device->Captured();
  ASSERT_EQ(captured.size(), 4u + 16u);
  EXPECT_EQ(captured[0].word, NoteOn(0, 60));
  EXPECT_EQ(captured[1].word, NoteOff(0, 60));
  EXPECT_EQ(captured[2].word, NoteOn(0, 74));
  EXPECT_EQ(captured[3].word, NoteOff(0, 74));
  EXPECT_EQ(times, (std::vector<int64_t>{30, 80, 81, 121}));
}
