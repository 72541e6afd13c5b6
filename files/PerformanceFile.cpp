// SPDX-License-Identifier: GPL-3.0-or-later
// Saving and loading the performance file, and the rule that accepts a load.
#include "files/PerformanceFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <new>

#include "files/Riff.h"
#include "model/LittleEndian.h"
#include "model/PlatformFile.h"

namespace tangrel {

namespace {

using riff::MakeFourCC;

constexpr riff::FourCC kFormType = MakeFourCC("TG  ");
constexpr riff::FourCC kFmt = MakeFourCC("fmt ");
constexpr riff::FourCC kData = MakeFourCC("data");
constexpr char kSoftwareName[] = "TG by Vrel";
constexpr uint32_t kHeaderSize = 24;  // the "fmt " chunk
constexpr size_t kRecordSize = kEventRecordSize;
// Room for the chunks before the records, so that the buffer grows once.
constexpr size_t kHeadersRoom = 128;

std::string TodayText() {
  std::time_t now = std::time(nullptr);
  const std::tm local = platform::LocalTime(now);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday);
  return text;
}

// Decodes in place: each record lies in the memory of the event it becomes,
// and is read whole before that event is written.
void DecodeRecords(const uint8_t* in, uint32_t count, PerformanceEvent* events) {
  le::Reader reader(in, size_t{count} * kRecordSize);
  for (uint32_t i = 0; i < count; ++i) events[i] = ReadEvent(reader);
}

// The whole file in memory, chunk by chunk as it lies on disk; empty when a
// chunk's size would not fit its 32-bit field.
std::vector<uint8_t> BuildPerformanceFile(const PerformanceEvent* events, uint32_t count,
                                          ModeId mode, int32_t bourdon) {
  riff::RiffWriter writer;
  writer.bytes.reserve(kHeadersRoom + size_t{count} * kRecordSize);
  riff::OpenForm(writer, MakeFourCC("RIFF"), kFormType);
  riff::OpenForm(writer, MakeFourCC("LIST"), MakeFourCC("INFO"));
  riff::OpenChunk(writer, MakeFourCC("ISFT"));
  riff::WriteBytes(writer, kSoftwareName, sizeof kSoftwareName);
  riff::CloseChunk(writer);
  // The chunk takes its size from the text, should a year ever need five digits.
  std::string date = TodayText();
  riff::OpenChunk(writer, MakeFourCC("ISCD"));
  riff::WriteBytes(writer, date.c_str(), date.size() + 1);
  riff::CloseChunk(writer);
  riff::CloseChunk(writer);  // LIST

  riff::OpenChunk(writer, kFmt);
  riff::WriteU32(writer, count);
  riff::WriteU32(writer, static_cast<uint32_t>(mode));
  riff::WriteU32(writer, bourdon != 0 ? 1 : 0);
  for (int reserved = 0; reserved < 3; ++reserved) riff::WriteU32(writer, 0);
  riff::CloseChunk(writer);

  riff::OpenChunk(writer, kData);
  le::Writer records(writer.bytes);
  for (uint32_t i = 0; i < count; ++i) WriteEvent(records, events[i]);
  riff::CloseChunk(writer);
  riff::CloseChunk(writer);  // RIFF
  if (!riff::WriterComplete(writer)) return {};
  return std::move(writer.bytes);
}

// The checks of a load, in the order that decides the message; `loaded` is
// written only on success. Reads only what the chunk sizes claim and the
// source holds, so a file's size bounds the memory and time a load takes.
Failure ParseSource(riff::ByteSource& source, const std::string& path,
                    LoadedPerformance& loaded) {
  auto form = riff::FindRiffForm(source, kFormType);
  if (!form) return Fail(FailureKind::NotStandard, path);
  auto fmt = riff::FindChunk(source, *form, kFmt);
  if (!fmt) return Fail(FailureKind::NotStandard, path);
  if (fmt->size != kHeaderSize) return Fail(FailureKind::NotSupported, path);
  uint8_t header[kHeaderSize];
  if (fmt->available < kHeaderSize || !source.ReadAt(fmt->body, header, kHeaderSize)) {
    return Fail(FailureKind::CannotRead, path);
  }
  uint32_t eventCount = le::GetU32(header);
  if (eventCount == 0) return Fail(FailureKind::NotSupported, path);
  // Only the chunks after "fmt " count: a "data" before it is no data.
  auto data = riff::FindChunk(source, {fmt->next, form->end}, kData);
  if (!data) return Fail(FailureKind::NotStandard, path);
  uint64_t recordBytes = uint64_t{eventCount} * kRecordSize;
  if (data->size != recordBytes) return Fail(FailureKind::NotSupported, path);
  // A file cut inside the records fails before the buffer for them is made.
  if (data->available < recordBytes) return Fail(FailureKind::CannotRead, path);

  LoadedPerformance result;
  try {
    result.events.resize(eventCount);
  } catch (const std::bad_alloc&) {
    return Fail(FailureKind::CannotRead, path);
  }
  // The records are read into the events' own memory and decoded in place.
  auto* raw = reinterpret_cast<uint8_t*>(result.events.data());
  if (!source.ReadAt(data->body, raw, static_cast<size_t>(recordBytes))) {
    return Fail(FailureKind::CannotRead, path);
  }
  DecodeRecords(raw, eventCount, result.events.data());
  CheckLoadedEvents(result.events);
  result.modeId = static_cast<ModeId>(le::GetU32(header + 4));
  result.bourdon = le::GetU32(header + 8);
  loaded = std::move(result);
  return {};
}

}  // namespace

void CheckLoadedEvents(std::vector<PerformanceEvent>& events) {
  for (PerformanceEvent& event : events) {
    event.octaveShift =
        std::clamp(event.octaveShift, -kFarthestLoadedShift, kFarthestLoadedShift);
  }
}

Failure SavePerformanceFile(const PerformanceEvent* events, uint32_t count, ModeId mode,
                            int32_t bourdon, const std::string& path) {
  // Records beyond what a 32-bit "RIFF" size holds are refused before the
  // buffer for them is made.
  if (uint64_t{count} * kRecordSize > UINT32_MAX) return Fail(FailureKind::CannotWrite, path, EFBIG);
  std::vector<uint8_t> bytes;
  try {
    bytes = BuildPerformanceFile(events, count, mode, bourdon);
  } catch (const std::bad_alloc&) {
    return Fail(FailureKind::CannotWrite, path, ENOMEM);
  }
  if (bytes.empty()) return Fail(FailureKind::CannotWrite, path, EFBIG);
  return WriteFileReplacing(path, bytes.data(), bytes.size());
}

Failure ParsePerformanceFile(const uint8_t* bytes, size_t size, LoadedPerformance& loaded) {
  riff::ByteSource source(bytes, size);
  return ParseSource(source, {}, loaded);
}

Failure LoadPerformanceFile(const std::string& path, LoadedPerformance& loaded) {
  // Only a regular file is opened: a FIFO would wait for a writer, a device
  // may never end, and opening some devices is itself an act.
  int error = 0;
  const platform::Handle file = platform::OpenRegularFile(path, error);
  platform::FileInfo info;
  if (!file.Valid() || !platform::Describe(file, info)) return Fail(FailureKind::CannotOpen, path);
  riff::ByteSource source(file, info.size);
  LoadedPerformance result;
  Failure failure = ParseSource(source, path, result);
  if (source.Failed()) return Fail(FailureKind::CannotRead, path, EIO);
  if (!failure) loaded = std::move(result);
  return failure;
}

bool AcceptableLoadedMode(ModeId modeId) { return FindMode(modeId) != nullptr; }

std::optional<AcceptedPerformance> AcceptLoadedPerformance(const LoadedPerformance& loaded) {
  if (!AcceptableLoadedMode(loaded.modeId)) return std::nullopt;
  return AcceptedPerformance{loaded.modeId, LoadedBourdon(loaded.bourdon)};
}

}  // namespace tangrel
