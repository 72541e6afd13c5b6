// SPDX-License-Identifier: GPL-3.0-or-later
// The performance file: a RIFF form "TG  " holding the EventList, the mode and
// the bourdon setting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/KeyMap.h"
#include "files/SafeWrite.h"
#include "recording/EventList.h"

namespace tangrel {

// Writes the file through FileWriter, so a failure leaves an existing file as
// it was. A failure is CannotCreate or CannotWrite, with the writer's cause.
Failure SavePerformanceFile(const PerformanceEvent* events, uint32_t count, ModeId mode,
                                int32_t bourdon, const std::string& path);

struct LoadedPerformance {
  std::vector<PerformanceEvent> events;
  ModeId modeId = 0;
  uint32_t bourdon = 0;  // the raw stored word
};

// Reads a file into `loaded`. A failure is CannotOpen, NotStandard,
// NotSupported or CannotRead; on failure `loaded` is left untouched. Only a
// regular file is read (anything else cannot be opened), and only as far as
// its chunks claim and it holds. The events come out checked (see
// CheckLoadedEvents), so whatever plays or exports them may trust them.
Failure LoadPerformanceFile(const std::string& path, LoadedPerformance& loaded);
// The checks of a load on bytes in memory: the same failures, and `loaded` is
// likewise left untouched on failure. Never reads outside `bytes`, whatever
// its size fields claim.
Failure ParsePerformanceFile(const uint8_t* bytes, size_t size, LoadedPerformance& loaded);

// The farthest octave shift a loaded event keeps: beyond it no key of any
// mode has a MIDI note, so every shift farther out sounds, draws and exports
// as this one does.
constexpr int32_t kFarthestLoadedShift = 11;
// What a damaged file may hold, decided once: an octave shift beyond
// kFarthestLoadedShift on either side comes to rest there, so adding it to an
// octave can never overflow. A scan code past the key map or of a key without
// a note stays (it plays nothing and exports nothing, as a live key of its
// kind does).
void CheckLoadedEvents(std::vector<PerformanceEvent>& events);

// Whether a loaded file becomes the current performance: its mode must be one
// of the 24 modes (a value between the groups or outside them is refused, so a
// refused file never becomes the file that the next Save overwrites).
bool AcceptableLoadedMode(ModeId modeId);
// The bourdon voice is on exactly when the stored word is 1.
inline int32_t LoadedBourdon(uint32_t word) { return word == 1 ? 1 : 0; }

// What a successfully loaded file changes once accepted; the window and the
// tool both take a load through AcceptLoadedPerformance.
struct AcceptedPerformance {
  ModeId mode;
  int32_t bourdon;  // 0 or 1
};
// Nothing when the file's mode is refused: then nothing changes at all.
std::optional<AcceptedPerformance> AcceptLoadedPerformance(const LoadedPerformance& loaded);

}  // namespace tangrel
