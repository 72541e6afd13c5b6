// SPDX-License-Identifier: GPL-3.0-or-later
// Recording into the EventList and making the playback copy.
#include "recording/EventList.h"

#include <new>

namespace tangrel {

void StartRecording(EventList& list) {
  list.recording = true;
  list.events.clear();
  list.events.shrink_to_fit();
  list.lastEventTime = list.clock();
}

bool AppendEvent(EventList& list, uint32_t message, uint32_t keyData, int32_t octaveShift) {
  try {
    list.events.push_back({0, message, keyData, octaveShift});
  } catch (const std::bad_alloc&) {
    return false;
  }
  // The clock is read after the record is in place and before the note is sent,
  // so each delay measures key message to key message.
  uint32_t now = list.clock();
  list.events.back().delay = now - list.lastEventTime;
  list.lastEventTime = now;
  if (list.events.size() == 1 && list.modified) *list.modified = true;
  return true;
}

void EventList::Record(uint32_t message, uint32_t keyData, int32_t octaveShift) {
  AppendEvent(*this, message, keyData, octaveShift);
}

bool FinishRecording(EventList& list, PlaybackCopy& copy) {
  list.recording = false;
  return MakePlaybackCopy(copy, list.events.data(), list.count());
}

bool MakePlaybackCopy(PlaybackCopy& copy, const PerformanceEvent* events, uint32_t count) {
  ReleasePlaybackCopy(copy);
  try {
    copy.events = std::make_shared<const std::vector<PerformanceEvent>>(events, events + count);
    return true;
  } catch (const std::bad_alloc&) {
    copy.events.reset();
    return false;
  }
}

void ReleasePlaybackCopy(PlaybackCopy& copy) { copy.events.reset(); }

}  // namespace tangrel
