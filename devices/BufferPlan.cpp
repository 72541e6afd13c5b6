// SPDX-License-Identifier: GPL-3.0-or-later
// The buffer plan both server outputs share, and how its news is said.
#include "devices/BufferPlan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "devices/AudioOutput.h"

namespace tangrel {

BufferPlan::BufferPlan(int periods, int mostPeriods, Step step)
    : periods_(periods),
      least_(periods),
      most_(std::max(periods, mostPeriods)),
      step_(step),
      said_(periods) {}

double BufferPlan::Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int BufferPlan::PeriodsIn(double seconds, double rate, int periodSize) {
  return static_cast<int>(seconds * rate / periodSize + 0.5);
}

bool BufferPlan::Underflow(double now) {
  if (now - lastGrowth_ < kSameStallSeconds) return false;
  if (shrunkLast_) quietNeeded_ *= 2.0;
  shrunkLast_ = false;
  lastChange_ = now;
  const int grown = step_ == Step::kDouble ? 2 * periods_ : periods_ + 1;
  if (grown > most_) return false;
  periods_ = grown;
  lastGrowth_ = now;
  return true;
}

bool BufferPlan::Tick(double now) {
  if (periods_ <= least_ || now - lastChange_ < quietNeeded_) return false;
  periods_ = std::max(least_, step_ == Step::kDouble ? periods_ / 2 : periods_ - 1);
  lastChange_ = now;
  shrunkLast_ = true;
  return true;
}

bool BufferPlan::Settled(double now) {
  if (periods_ <= said_ || now - lastChange_ < kSettleSeconds) return false;
  said_ = periods_;
  return true;
}

void ReportSettled(DeviceReports* reports, const std::string& driver, int periods, int periodSize,
                   double rate, int underruns) {
  if (!reports) return;
  char text[160];
  std::snprintf(text, sizeof text, "%d x %d frames (%.1f ms) after %d underruns", periods,
                periodSize, 1000.0 * periods * periodSize / rate, underruns);
  reports->Tell({NewsKind::BufferSettled, driver, text});
}

}  // namespace tangrel
