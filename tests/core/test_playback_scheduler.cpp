// The playback scheduler: order, spacing against absolute deadlines, the 5 ms
// stretch, circle play, stops (also from inside a hand-over) and generations.
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

using namespace tangrel;
using namespace tangrel::testing;
using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

namespace {

// The machine may be loaded: hand-overs may come this late without failing.
constexpr auto kLateness = 150ms;

struct HandOver {
  bool end;  // EndOfPlayback rather than PlayEvent
  uint64_t generation;
  uint32_t index;
  SteadyClock::time_point time;
};

// Records every hand-over with its time; `onPlay` runs inside PlayEvent.
class RecordingSink : public PlaybackSink {
 public:
  void PlayEvent(uint64_t generation, uint32_t index) override {
    Record({false, generation, index, SteadyClock::now()});
    if (onPlay) onPlay(index);
  }
  void EndOfPlayback(uint64_t generation) override {
    Record({true, generation, 0, SteadyClock::now()});
  }

  // Waits (up to a generous limit) until `count` hand-overs have arrived.
  bool WaitFor(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return arrived_.wait_for(lock, 10s, [&] { return log_.size() >= count; });
  }
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
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<HandOver> log_;
};

PlaybackEvents Take(const std::vector<uint32_t>& delays) {
  auto events = std::make_shared<std::vector<PerformanceEvent>>();
  for (size_t i = 0; i < delays.size(); ++i) {
    uint32_t message = i % 2 == 0 ? WM_KEYDOWN : WM_KEYUP;
    events->push_back({delays[i], message, (kA << 16) | 1, 0});
  }
  return events;
}

double MsBetween(SteadyClock::time_point from, SteadyClock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Each hand-over comes no earlier than its deadline and not much later.
void ExpectOnTime(const std::vector<HandOver>& log, SteadyClock::time_point start,
                  const std::vector<double>& deadlinesMs) {
  ASSERT_GE(log.size(), deadlinesMs.size());
  const double slack = std::chrono::duration<double, std::milli>(kLateness).count();
  for (size_t i = 0; i < deadlinesMs.size(); ++i) {
    double at = MsBetween(start, log[i].time);
    EXPECT_GE(at, deadlinesMs[i]) << "hand-over " << i;
    EXPECT_LE(at, deadlinesMs[i] + slack) << "hand-over " << i;
  }
}

}  // namespace

TEST(PlaybackTiming, IntervalsShorterThanThePeriodAreStretched) {
  auto times = PlaybackTimesMs(*Take({0, 1, 300, 5, 6}));
  EXPECT_EQ(times, (std::vector<uint64_t>{5, 10, 310, 315, 321}));
  EXPECT_TRUE(PlaybackTimesMs({}).empty());
}

TEST(PlaybackScheduler, HandsOverEveryEventInOrderAtItsDeadlineThenEndsOnce) {
  RecordingSink sink;
  PlaybackScheduler scheduler(sink);
  auto start = SteadyClock::now();
  ASSERT_TRUE(scheduler.Start(Take({40, 30, 60, 20}), false));
  ASSERT_TRUE(sink.WaitFor(5));
  std::this_thread::sleep_for(50ms);  // anything after the end would show up now

  auto log = sink.Log();
  ASSERT_EQ(log.size(), 5u);
  for (uint32_t i = 0; i < 4; ++i) {
    EXPECT_FALSE(log[i].end);
    EXPECT_EQ(log[i].index, i);
    EXPECT_EQ(log[i].generation, scheduler.Generation());
  }
  ExpectOnTime(log, start, {40, 70, 130, 150});
  EXPECT_TRUE(log[4].end);
  EXPECT_EQ(log[4].generation, scheduler.Generation());
  EXPECT_FALSE(scheduler.Running());
  scheduler.Stop();  // what End Play does: the thread never waits on it
}

TEST(PlaybackScheduler, ChordsAndAZeroLeadInAreStretchedToThePeriod) {
  RecordingSink sink;
  PlaybackScheduler scheduler(sink);
  auto start = SteadyClock::now();
  ASSERT_TRUE(scheduler.Start(Take({0, 1, 1, 0}), false));
  ASSERT_TRUE(sink.WaitFor(5));
  auto log = sink.Log();
  ExpectOnTime(log, start, {5, 10, 15, 20});
  // Absolute deadlines: a late hand-over may shorten the next gap, but the
  // events stay in order and never come early.
  for (size_t i = 1; i < 4; ++i) EXPECT_GE(log[i].time, log[i - 1].time);
}

TEST(PlaybackScheduler, CirclePlayRestartsAfterTheFirstDelayFromTheLastEvent) {
  RecordingSink sink;
  PlaybackScheduler scheduler(sink);
  auto start = SteadyClock::now();
  ASSERT_TRUE(scheduler.Start(Take({60, 40, 20}), true));
  ASSERT_TRUE(sink.WaitFor(7));
  scheduler.Stop();

  auto log = sink.Log();
  ExpectOnTime(log, start, {60, 100, 120, 180, 220, 240, 300});
  for (size_t i = 0; i < log.size(); ++i) {
    EXPECT_FALSE(log[i].end) << "circle play never ends by itself";
    EXPECT_EQ(log[i].index, i % 3);
  }
  EXPECT_FALSE(scheduler.Running());
}

TEST(PlaybackScheduler, NothingIsHandedOverAfterStopReturns) {
  RecordingSink sink;
  PlaybackScheduler scheduler(sink);
  ASSERT_TRUE(scheduler.Start(Take(std::vector<uint32_t>(200, 5)), false));
  ASSERT_TRUE(sink.WaitFor(3));
  EXPECT_TRUE(scheduler.Running());
  scheduler.Stop();
  const size_t atStop = sink.Log().size();
  std::this_thread::sleep_for(60ms);

  auto log = sink.Log();
  EXPECT_EQ(log.size(), atStop);
  EXPECT_LT(log.size(), 200u);
  for (const HandOver& h : log) EXPECT_FALSE(h.end);
  EXPECT_FALSE(scheduler.Running());
  scheduler.Stop();  // a second stop is harmless
}

TEST(PlaybackScheduler, StopDuringALongWaitIsPromptAndTheLongestDelaysDoNotOverflow) {
  RecordingSink sink;
  PlaybackScheduler scheduler(sink);
  ASSERT_TRUE(scheduler.Start(Take({0xFFFFFFFFu, 0xFFFFFFFFu}), true));
  std::this_thread::sleep_for(20ms);
  auto before = SteadyClock::now();
  scheduler.Stop();
  EXPECT_LT(SteadyClock::now() - before, 2s);
  EXPECT_TRUE(sink.Log().empty());
}

TEST(PlaybackScheduler, AMissingOrEmptyCopyStartsNothing) {
  RecordingSink sink;
  PlaybackScheduler scheduler(sink);
  EXPECT_FALSE(scheduler.Start(nullptr, false));
  EXPECT_FALSE(scheduler.Start(std::make_shared<const std::vector<PerformanceEvent>>(), true));
  EXPECT_FALSE(scheduler.Running());
  EXPECT_EQ(scheduler.Generation(), 0u);
  std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(sink.Log().empty());
}

TEST(PlaybackScheduler, AStopFromInsideAHandOverEndsThePlaybackWithoutDeadlock) {
  RecordingSink sink;
  PlaybackScheduler scheduler(sink);
  sink.onPlay = [&](uint32_t index) {
    if (index == 1) scheduler.Stop();
  };
  ASSERT_TRUE(scheduler.Start(Take({5, 5, 5, 5, 5}), false));
  ASSERT_TRUE(sink.WaitFor(2));
  std::this_thread::sleep_for(60ms);
  EXPECT_EQ(sink.Log().size(), 2u);
  EXPECT_FALSE(scheduler.Running());

  // The stopped thread is joined by the next start, which plays normally.
  sink.onPlay = nullptr;
  ASSERT_TRUE(scheduler.Start(Take({5}), false));
  ASSERT_TRUE(sink.WaitFor(4));
  EXPECT_TRUE(sink.Log()[3].end);
}

TEST(PlaybackScheduler, EachStartHasANewGenerationAndSilencesTheOldOne) {
  RecordingSink sink;
  PlaybackScheduler scheduler(sink);
  ASSERT_TRUE(scheduler.Start(Take({5, 5, 5, 5, 5, 5, 5, 5}), true));
  const uint64_t first = scheduler.Generation();
  ASSERT_TRUE(sink.WaitFor(2));
  ASSERT_TRUE(scheduler.Start(Take({10, 10}), false));
  const auto restarted = SteadyClock::now();
  const uint64_t second = scheduler.Generation();
  EXPECT_GT(second, first);
  ASSERT_TRUE(sink.WaitForEnd());

  auto log = sink.Log();
  std::vector<HandOver> ofSecond;
  for (const HandOver& h : log) {
    if (h.generation == first) {
      EXPECT_TRUE(ofSecond.empty()) << "the old playback went on after the new start";
      EXPECT_LE(h.time, restarted);
    } else {
      EXPECT_EQ(h.generation, second);
      ofSecond.push_back(h);
    }
  }
  ASSERT_EQ(ofSecond.size(), 3u);
  EXPECT_EQ(ofSecond[0].index, 0u);
  EXPECT_EQ(ofSecond[1].index, 1u);
  EXPECT_TRUE(ofSecond[2].end);
}

// The window's side: hand-overs queued to a second thread that replays them
// through live playing into the capture device, End Play silencing at the end.
TEST(PlaybackScheduler, QueuedHandOversReplayTheTakeWithItsTiming) {
  struct QueueSink : PlaybackSink {
    void PlayEvent(uint64_t generation, uint32_t index) override { Push({generation, index, false}); }
    void EndOfPlayback(uint64_t generation) override { Push({generation, 0, true}); }
    struct Item {
      uint64_t generation;
      uint32_t index;
      bool end;
    };
    void Push(Item item) {
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
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<Item> items;
  };

  CaptureRig rig;
  rig.Open();
  QueueSink sink;
  PlaybackScheduler scheduler(sink);
  // A, then A released with S pressed 1 ms later, then S released.
  auto take = std::make_shared<std::vector<PerformanceEvent>>(std::vector<PerformanceEvent>{
      {30, WM_KEYDOWN, kA << 16, 0},
      {50, WM_KEYUP, kA << 16, 0},
      {1, WM_KEYDOWN, kS << 16, 1},
      {40, WM_KEYUP, kS << 16, 1}});
  auto start = SteadyClock::now();
  ASSERT_TRUE(scheduler.Start(take, false));
  for (;;) {
    QueueSink::Item item = sink.Pop();
    if (item.generation != scheduler.Generation()) continue;
    if (item.end) break;
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
  const std::vector<double> deadlines = {30, 80, 85, 125};
  for (size_t i = 0; i < deadlines.size(); ++i) {
    double at = MsBetween(start, captured[i].time);
    EXPECT_GE(at, deadlines[i]);
    EXPECT_LE(at, deadlines[i] + 150.0);
  }
}
