// SPDX-License-Identifier: GPL-3.0-or-later
// How the built-in synthesizer's PulseAudio and PipeWire streams size their
// buffers. The streams themselves start through AudioOutput.h.
#pragma once

namespace tangrel {

// The stream's buffer in periods, fitted to the machine: one period more (or
// twice as many) after each underflow, up to a bound, so a slow machine
// settles without a crackle and a fast one keeps the shortest delay; one
// fewer (or half as many) after a quiet minute.
// Each shrink that ends in an underflow doubles the quiet time the next one
// waits for, so a machine that cannot keep the shorter buffer is rarely
// asked to. Times are in seconds on a steady clock.
class BufferPlan {
 public:
  static constexpr double kQuietSeconds = 60.0;
  // Underflow reports closer than this to the last growth belong to the same
  // stall and grow the buffer once.
  static constexpr double kSameStallSeconds = 0.25;
  // A grown count that holds this long is said on standard error.
  static constexpr double kSettleSeconds = 10.0;

  // A PipeWire graph rounds a node's latency down to a power of two, so its
  // plan doubles and halves: every step it takes is one the graph makes.
  enum class Step { kOne, kDouble };

  BufferPlan(int periods, int mostPeriods, Step step = Step::kOne);

  // The steady clock's time in seconds, as the plan is told it.
  static double Now();
  // How many periods of `periodSize` frames at `rate` make `seconds`, to the
  // nearest: a plan's bound.
  static int PeriodsIn(double seconds, double rate, int periodSize);

  int Periods() const { return periods_; }
  // True when the count changed.
  bool Underflow(double now);
  bool Tick(double now);
  // True once for each count above any said before, when it has held.
  bool Settled(double now);

 private:
  int periods_;
  int least_;  // the count it started with
  int most_;
  Step step_;
  double quietNeeded_ = kQuietSeconds;
  int said_;
  double lastChange_ = 0.0;
  double lastGrowth_ = -1e9;
  bool shrunkLast_ = false;
};

}  // namespace tangrel
