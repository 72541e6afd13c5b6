// SPDX-License-Identifier: GPL-3.0-or-later
// One recorded key message as the performance file stores it, and the seam
// through which live playing hands such messages to a recording.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/LittleEndian.h"

namespace tangrel {

// Stored byte for byte in the performance file: four little-endian 32-bit
// fields, no padding.
struct PerformanceEvent {
  uint32_t delay;       // ms since the previous event (the first: since Record)
  uint32_t message;     // WM_KEYDOWN or WM_KEYUP
  uint32_t keyData;     // scan code in bits 16..23, as the key message carried it
  int32_t octaveShift;  // the chord's shift when the event was stored
};
static_assert(sizeof(PerformanceEvent) == 16);
static_assert(offsetof(PerformanceEvent, delay) == 0);
static_assert(offsetof(PerformanceEvent, message) == 4);
static_assert(offsetof(PerformanceEvent, keyData) == 8);
static_assert(offsetof(PerformanceEvent, octaveShift) == 12);

// The stored record, field by field, whatever the machine's own byte order:
// the performance file's "data" chunk and the journal both hold these.
constexpr size_t kEventRecordSize = 16;
inline void WriteEvent(le::Writer& out, const PerformanceEvent& event) {
  out.U32(event.delay);
  out.U32(event.message);
  out.U32(event.keyData);
  out.I32(event.octaveShift);
}
inline PerformanceEvent ReadEvent(le::Reader& in) {
  PerformanceEvent event{};
  event.delay = in.U32();
  event.message = in.U32();
  event.keyData = in.U32();
  event.octaveShift = in.I32();
  return event;
}

// Where live playing stores the key messages it accepts; the recording side
// implements it, so the playing model knows nothing of how a take is kept.
class Recorder {
 public:
  virtual ~Recorder() = default;
  // True while a take is being recorded.
  virtual bool Recording() const = 0;
  // The number of events stored in the take so far.
  virtual uint32_t count() const = 0;
  // Stores one key message with the chord's shift; the recorder times it.
  virtual void Record(uint32_t message, uint32_t keyData, int32_t octaveShift) = 0;
};

}  // namespace tangrel
