// SPDX-License-Identifier: GPL-3.0-or-later
// Standard MIDI File export: one track of the played notes on channel 0, and a
// second on channel 15 for the bourdon voice.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/KeyMap.h"
#include "files/SafeWrite.h"
#include "recording/EventList.h"

namespace tangrel {

// ticks = floor(delay x 192000 / 759494), in 64-bit arithmetic.
uint32_t DelayToTicks(uint32_t delayMs);
// Appends a variable-length quantity (values above 0x0FFFFFFF write 0x0FFFFFFF).
void AppendVariableLength(std::vector<uint8_t>& out, uint32_t value);

// The whole file in memory; empty when the mode has no offset and there are
// events to write.
std::vector<uint8_t> BuildMidiFile(const PerformanceEvent* events, uint32_t count, ModeId mode,
                                   int32_t program, int32_t bourdon);

// Writes the file through FileWriter; a failure (CannotCreate, or CannotWrite
// also when the mode has no note for a key) leaves no partial file and an
// existing file untouched.
Failure ExportMidiFile(const PerformanceEvent* events, uint32_t count, ModeId mode,
                       int32_t program, int32_t bourdon, const std::string& path);
// The same into a writer already open, which it commits or abandons.
Failure ExportMidiFile(const PerformanceEvent* events, uint32_t count, ModeId mode,
                       int32_t program, int32_t bourdon, FileWriter& out);

}  // namespace tangrel
