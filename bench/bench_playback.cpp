// SPDX-License-Identifier: GPL-3.0-or-later
// Playback timing: a 2,000-event take through the real scheduler into a queue
// that a second thread (standing in for the UI thread) pops and timestamps.
// Prints the lateness of each replay against its ideal deadline, then how long
// a take of 10,000 events 1 ms apart plays against its recorded length.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <random>
#include <thread>
#include <string>
#include <vector>

#include "recording/PlaybackScheduler.h"

using namespace tangrel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint32_t kEvents = 2000;
constexpr uint32_t kLongestDelayMs = 60;

// Delays uniform in 0..60 ms, with one event in six opening a chord: a run of
// one to three further keys struck together (delay 0).
std::vector<PerformanceEvent> MakeTake() {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<uint32_t> delay(0, kLongestDelayMs);
  std::uniform_int_distribution<uint32_t> chordSize(1, 3);
  std::bernoulli_distribution opensChord(1.0 / 6);
  std::vector<PerformanceEvent> take;
  while (take.size() < kEvents) {
    take.push_back({delay(random), WM_KEYDOWN, 30u << 16, 0});
    if (!opensChord(random)) continue;
    for (uint32_t n = chordSize(random); n > 0 && take.size() < kEvents; --n) {
      take.push_back({0, WM_KEYDOWN, 31u << 16, 0});
    }
  }
  return take;
}

// The window's event queue: the sink only pushes, the consumer pops. The time
// of each hand-over is kept too, to tell the scheduler's lateness from the
// queue's.
class QueueSink : public PlaybackSink {
 public:
  explicit QueueSink(size_t events) : handedOver(events) {}
  void PlayEvent(uint64_t, uint32_t index) override {
    handedOver[index] = Clock::now();
    Push(static_cast<int64_t>(index));
  }
  void EndOfPlayback(uint64_t) override { Push(-1); }

  int64_t Pop() {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [&] { return !items_.empty(); });
    int64_t item = items_.front();
    items_.pop_front();
    return item;
  }

 private:
  void Push(int64_t item) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      items_.push_back(item);
    }
    ready_.notify_one();
  }
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<int64_t> items_;

 public:
  std::vector<Clock::time_point> handedOver;  // written on the playback thread only
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Percentile(const std::vector<double>& sorted, double p) {
  size_t index = static_cast<size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
  return sorted[std::min(index, sorted.size() - 1)];
}

// Prints the distribution of (time - ideal deadline); returns the last one.
double PrintLateness(const char* what, const std::vector<Clock::time_point>& times,
                     Clock::time_point start, const std::vector<uint64_t>& deadlines) {
  std::vector<double> lateMs;
  lateMs.reserve(times.size());
  for (size_t i = 0; i < times.size(); ++i) {
    auto ideal = start + std::chrono::milliseconds(deadlines[i]);
    lateMs.push_back(std::chrono::duration<double, std::milli>(times[i] - ideal).count());
  }
  const double last = lateMs.back();
  std::string lateOnes;
  for (size_t i = 0; i < lateMs.size(); ++i) {
    if (lateMs[i] > 1.0) lateOnes += " #" + std::to_string(i);
  }
  std::sort(lateMs.begin(), lateMs.end());
  const auto over1 = lateMs.end() - std::upper_bound(lateMs.begin(), lateMs.end(), 1.0);
  std::printf("%-12s - ideal deadline (ms): min %.3f  p50 %.3f  p99 %.3f  max %.3f  (%td over 1 ms)\n",
              what, lateMs.front(), Percentile(lateMs, 0.50), Percentile(lateMs, 0.99),
              lateMs.back(), over1);
  if (!lateOnes.empty()) std::printf("%-12s   events over 1 ms:%s\n", "", lateOnes.c_str());
  return last;
}

// Plays `take` through the real scheduler; the time from the start to the
// last hand-over, in seconds.
double PlayedSeconds(PlaybackEvents take) {
  QueueSink sink(take->size());
  PlaybackScheduler scheduler(sink);
  const Clock::time_point start = Clock::now();
  std::thread ui([&] {
    while (sink.Pop() >= 0) {
    }
  });
  if (!scheduler.Start(take, false)) {
    std::fprintf(stderr, "the scheduler did not start\n");
    std::exit(1);
  }
  ui.join();
  scheduler.Stop();
  return std::chrono::duration<double>(sink.handedOver.back() - start).count();
}

// Fast notes: presses and releases 1 ms apart, as many as a quick trill gives.
void PrintPlayedLengthOfFastNotes() {
  constexpr uint32_t kFastEvents = 10000;
  auto take = std::make_shared<std::vector<PerformanceEvent>>();
  uint64_t recordedMs = 0;
  for (uint32_t i = 0; i < kFastEvents; ++i) {
    take->push_back({1, i % 2 == 0 ? WM_KEYDOWN : WM_KEYUP, 30u << 16, 0});
    recordedMs += 1;
  }
  std::printf("%u events 1 ms apart: recorded %.3f s, played %.3f s\n", kFastEvents,
              recordedMs / 1000.0, PlayedSeconds(take));
}

}  // namespace

int main() {
  auto take = std::make_shared<const std::vector<PerformanceEvent>>(MakeTake());
  const std::vector<uint64_t> deadlines = PlaybackTimesMs(*take);
  std::vector<Clock::time_point> replayed(take->size());

  QueueSink sink(take->size());
  PlaybackScheduler scheduler(sink);
  std::printf("playing %u events over %.1f s ...\n", kEvents, deadlines.back() / 1000.0);
  const double cpuBefore = CpuSeconds();
  const Clock::time_point start = Clock::now();
  std::thread ui([&] {
    for (int64_t item; (item = sink.Pop()) >= 0;) replayed[static_cast<size_t>(item)] = Clock::now();
  });
  if (!scheduler.Start(take, false)) {
    std::fprintf(stderr, "the scheduler did not start\n");
    return 1;
  }
  ui.join();
  scheduler.Stop();
  const double cpu = CpuSeconds() - cpuBefore;

  PrintLateness("hand-over", sink.handedOver, start, deadlines);
  const double last = PrintLateness("replay time", replayed, start, deadlines);
  std::printf("last event replayed %.3f ms late\n", last);
  std::printf("CPU time %.3f s for %.1f s of playback (%.2f%%)\n", cpu, deadlines.back() / 1000.0,
              100.0 * cpu / (deadlines.back() / 1000.0));
  std::printf("targets: p99 <= 1 ms, max <= 3 ms, last <= 1 ms\n");
  PrintPlayedLengthOfFastNotes();
  return 0;
}
