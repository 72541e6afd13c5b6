// SPDX-License-Identifier: GPL-3.0-or-later
// A small RIFF toolkit: a chunk writer into a byte buffer, and a
// bounds-checked chunk reader over bytes in memory or a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/PlatformFile.h"

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
void WriteU32(RiffWriter& writer, uint32_t value);
void CloseChunk(RiffWriter& writer);
// True when every chunk was closed and each size fitted in 32 bits.
bool WriterComplete(const RiffWriter& writer);
// Closes every open chunk as if `bodySize` more bytes followed in the
// innermost one: the headers of a file whose body is streamed after them.
// An odd body needs its pad byte after it too.
void CloseChunksBefore(RiffWriter& writer, uint64_t bodySize);

// The bytes a reader walks: a buffer in memory, or an open file of a known
// size read a block at a time, so that skipping a chunk costs nothing and
// only what is looked at is read.
class ByteSource {
 public:
  ByteSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  ByteSource(const platform::Handle& file, uint64_t size) : file_(&file), size_(size) {}

  uint64_t Size() const { return size_; }
  // Copies `count` bytes from `offset`; false when they are not all there.
  bool ReadAt(uint64_t offset, void* out, size_t count);
  // Whether a read from the file reported an error (rather than its end).
  bool Failed() const { return failed_; }

 private:
  bool ReadFile(uint64_t offset, uint8_t* out, size_t count);
  bool ReadFully(uint64_t offset, uint8_t* out, size_t count);

  const uint8_t* data_ = nullptr;
  const platform::Handle* file_ = nullptr;
  uint64_t size_ = 0;
  bool failed_ = false;
  std::vector<uint8_t> block_;  // the file's bytes from blockStart_
  uint64_t blockStart_ = 0;
};

// A stretch of the source: the children of a form or list.
struct Range {
  uint64_t begin = 0;
  uint64_t end = 0;
};

// A chunk found inside a parent. `available` is what the parent really holds
// of its body: when the header claims more than that, `available` is less
// than `size` and reading the whole chunk is a short read.
struct Chunk {
  FourCC id = 0;
  uint32_t size = 0;       // as its header claims
  uint64_t body = 0;       // where the body starts
  uint64_t available = 0;  // bytes of the body inside the parent
  uint64_t next = 0;       // just past the chunk and its pad byte, or the parent's end
};

// The children of the "RIFF" form whose type is `formType`. The file is a
// sequence of "RIFF" forms, passed over by their sizes until one has that
// type; anything else where a form should start ends the search.
std::optional<Range> FindRiffForm(ByteSource& source, FourCC formType);

// The first chunk `id` among the chunks that fill `area` (a parent's
// children, or those after one of them); others are skipped by their size and
// pad byte. A chunk header cut short, one whose identifier is not four
// printable characters, or a skip past the end, ends the search.
std::optional<Chunk> FindChunk(ByteSource& source, Range area, FourCC id);

}  // namespace tangrel::riff
