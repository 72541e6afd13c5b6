// SPDX-License-Identifier: GPL-3.0-or-later
// The recorded performance: timed key events as live playing accepted them,
// and the separate copy that playback reads.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/KeyData.h"
#include "model/PerformanceEvent.h"
#include "recording/Clock.h"

namespace tangrel {

struct EventList : Recorder {
  std::vector<PerformanceEvent> events;
  bool recording = false;
  uint32_t lastEventTime = 0;
  MillisecondClock clock = SteadyMilliseconds;
  bool* modified = nullptr;  // the window's modified flag, set by the first event

  uint32_t count() const override { return static_cast<uint32_t>(events.size()); }
  bool Recording() const override { return recording; }
  void Record(uint32_t message, uint32_t keyData, int32_t octaveShift) override;
};

// Read-only once made, shared with the playback thread.
using PlaybackEvents = std::shared_ptr<const std::vector<PerformanceEvent>>;

struct PlaybackCopy {
  PlaybackEvents events;  // none until made, and after a release
};

// The Record command: recording on, the list emptied, the clock noted.
void StartRecording(EventList& list);
// Stores one event with its delay. False when memory ran out: the event is
// dropped and the records already stored stay valid.
bool AppendEvent(EventList& list, uint32_t message, uint32_t keyData, int32_t octaveShift);
// The Finish command: recording off and a fresh playback copy. False when
// memory ran out for the copy.
bool FinishRecording(EventList& list, PlaybackCopy& copy);
// False when memory ran out; the copy is then none.
bool MakePlaybackCopy(PlaybackCopy& copy, const PerformanceEvent* events, uint32_t count);
void ReleasePlaybackCopy(PlaybackCopy& copy);

}  // namespace tangrel
