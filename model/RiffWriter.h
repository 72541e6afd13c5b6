// SPDX-License-Identifier: GPL-3.0-or-later
// The RIFF chunk writer: chunks built in a byte buffer, their sizes filled in
// when they close. The performance file and both WAV writers use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tangrel::riff {

// A four-character identifier as it reads in memory ("RIFF", "fmt ").
using FourCC = uint32_t;
constexpr FourCC MakeFourCC(const char (&text)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24;
}

// Chunks are opened and closed like brackets; closing one writes its size and
// the pad byte that an odd size needs (counted in the enclosing chunk).
struct RiffWriter {
  std::vector<uint8_t> bytes;
  std::vector<size_t> openChunks;  // offsets of the headers still open
  bool tooLarge = false;           // a chunk outgrew its 32-bit size field
};

void OpenChunk(RiffWriter& writer, FourCC id);
// A "RIFF" or "LIST" chunk: the id, then the form or list type.
void OpenForm(RiffWriter& writer, FourCC id, FourCC type);
void WriteBytes(RiffWriter& writer, const void* data, size_t size);
void WriteU16(RiffWriter& writer, uint16_t value);
void WriteU32(RiffWriter& writer, uint32_t value);
void CloseChunk(RiffWriter& writer);
// True when every chunk was closed and each size fitted in 32 bits.
bool WriterComplete(const RiffWriter& writer);
// Closes every open chunk as if `bodySize` more bytes followed in the
// innermost one: the headers of a file whose body is streamed after them.
// An odd body needs its pad byte after it too.
void CloseChunksBefore(RiffWriter& writer, uint64_t bodySize);

}  // namespace tangrel::riff
