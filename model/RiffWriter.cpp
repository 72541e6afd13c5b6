// SPDX-License-Identifier: GPL-3.0-or-later
// The RIFF chunk writer, its integers through the little-endian codec.
#include "model/RiffWriter.h"

#include "model/LittleEndian.h"

namespace tangrel::riff {

namespace {
constexpr size_t kHeaderSize = 8;  // id and size
}  // namespace

void OpenChunk(RiffWriter& writer, FourCC id) {
  writer.openChunks.push_back(writer.bytes.size());
  le::Writer(writer.bytes).U32(id);
  le::Writer(writer.bytes).U32(0);  // fixed when the chunk is closed
}

void OpenForm(RiffWriter& writer, FourCC id, FourCC type) {
  OpenChunk(writer, id);
  le::Writer(writer.bytes).U32(type);
}

void WriteBytes(RiffWriter& writer, const void* data, size_t size) {
  le::Writer(writer.bytes).Bytes(data, size);
}

void WriteU16(RiffWriter& writer, uint16_t value) { le::Writer(writer.bytes).U16(value); }

void WriteU32(RiffWriter& writer, uint32_t value) { le::Writer(writer.bytes).U32(value); }

void CloseChunk(RiffWriter& writer) {
  if (writer.openChunks.empty()) return;
  size_t header = writer.openChunks.back();
  writer.openChunks.pop_back();
  size_t size = writer.bytes.size() - header - kHeaderSize;
  if (size > UINT32_MAX) writer.tooLarge = true;
  le::PutU32(writer.bytes.data() + header + 4, static_cast<uint32_t>(size));
  // The pad byte lies outside this chunk's size but inside its parent's.
  if (size % 2 != 0) writer.bytes.push_back(0);
}

void CloseChunksBefore(RiffWriter& writer, uint64_t bodySize) {
  const uint64_t padded = bodySize + bodySize % 2;
  for (size_t i = writer.openChunks.size(); i-- > 0;) {
    const size_t header = writer.openChunks[i];
    // The innermost chunk's size leaves out its pad byte; its parents count it.
    const uint64_t size = writer.bytes.size() - header - kHeaderSize +
                          (i + 1 == writer.openChunks.size() ? bodySize : padded);
    if (size > UINT32_MAX) writer.tooLarge = true;
    le::PutU32(writer.bytes.data() + header + 4, static_cast<uint32_t>(size));
  }
  writer.openChunks.clear();
}

bool WriterComplete(const RiffWriter& writer) {
  return writer.openChunks.empty() && !writer.tooLarge;
}

}  // namespace tangrel::riff
