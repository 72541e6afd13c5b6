// SPDX-License-Identifier: GPL-3.0-or-later
// The millisecond clock that times recordings: a steady clock truncated to 32
// bits, so differences are taken as unsigned 32-bit values across the wrap.
#pragma once

#include <cstdint>
#include <functional>

namespace tangrel {

using MillisecondClock = std::function<uint32_t()>;

uint32_t SteadyMilliseconds();

}  // namespace tangrel
