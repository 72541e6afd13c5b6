// SPDX-License-Identifier: GPL-3.0-or-later
// The steady millisecond clock.
#include "recording/Clock.h"

#include <chrono>

namespace tangrel {

uint32_t SteadyMilliseconds() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace tangrel
