// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the performance-file loader: any bytes give a message
// or a performance, never a read outside the input.
#include <cstddef>
#include <cstdint>

#include "files/PerformanceFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tangrel::LoadedPerformance loaded;
  const tangrel::Failure failure = tangrel::ParsePerformanceFile(data, size, loaded);
  if (!failure) {
    // A delivered take holds exactly the records its header counted.
    if (loaded.events.empty()) __builtin_trap();
    (void)tangrel::AcceptLoadedPerformance(loaded);
  }
  return 0;
}
