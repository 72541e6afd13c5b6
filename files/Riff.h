// SPDX-License-Identifier: GPL-3.0-or-later
// A small RIFF toolkit: the chunk writer (model/RiffWriter.h, which the WAV
// output below files/ shares), and a bounds-checked chunk reader over bytes in
// memory or a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/PlatformFile.h"
#include "model/RiffWriter.h"

namespace tangrel::riff {

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
