// SPDX-License-Identifier: GPL-3.0-or-later
// The bounds-checked RIFF chunk reader.
#include "files/Riff.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#include "model/LittleEndian.h"

namespace tangrel::riff {

namespace {
constexpr size_t kHeaderSize = 8;  // id and size
constexpr FourCC kRiff = MakeFourCC("RIFF");
constexpr size_t kBlockSize = 64 * 1024;
}  // namespace

bool ByteSource::ReadAt(uint64_t offset, void* out, size_t count) {
  if (offset > size_ || size_ - offset < count) return false;
  if (data_) {
    std::copy_n(data_ + offset, count, static_cast<uint8_t*>(out));
    return true;
  }
  return ReadFile(offset, static_cast<uint8_t*>(out), count);
}

bool ByteSource::ReadFile(uint64_t offset, uint8_t* out, size_t count) {
  // Large reads go straight to the caller; small ones (chunk headers, the
  // "fmt " body) through one block, as chunk walks read many of them close together.
  const bool inBlock = offset >= blockStart_ && offset - blockStart_ + count <= block_.size();
  if (!inBlock && count < kBlockSize / 2) {
    block_.resize(static_cast<size_t>(std::min<uint64_t>(kBlockSize, size_ - offset)));
    blockStart_ = offset;
    if (!ReadFully(blockStart_, block_.data(), block_.size())) {
      block_.clear();
      return false;
    }
  } else if (!inBlock) {
    return ReadFully(offset, out, count);
  }
  std::copy_n(block_.data() + (offset - blockStart_), count, out);
  return true;
}

bool ByteSource::ReadFully(uint64_t offset, uint8_t* out, size_t count) {
  const long long got = platform::ReadAt(*file_, offset, out, count);
  if (got < 0) failed_ = true;
  return got == static_cast<long long>(count);  // else an error, or a file that shrank
}

namespace {

// A chunk identifier is four printable characters ("fmt ", "LIST").
bool IsIdentifier(const uint8_t* id) {
  return std::all_of(id, id + 4, [](uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

// The chunk whose header is at `pos` in `area`; nothing when the header is
// cut short or is no header at all. The second keeps a walk over a hole in a
// file, or any run of zeros, to one step instead of one per 8 bytes.
std::optional<Chunk> ChunkAt(ByteSource& source, Range area, uint64_t pos) {
  uint8_t header[kHeaderSize];
  if (pos > area.end || area.end - pos < kHeaderSize ||
      !source.ReadAt(pos, header, kHeaderSize) || !IsIdentifier(header)) {
    return std::nullopt;
  }
  const uint32_t size = le::GetU32(header + 4);
  const uint64_t left = area.end - pos - kHeaderSize;
  const uint64_t span = uint64_t{size} + (size & 1u);  // data and pad byte
  // A chunk that claims more than its parent holds hides whatever follows.
  return Chunk{le::GetU32(header), size, pos + kHeaderSize, std::min<uint64_t>(size, left),
               span > left ? area.end : pos + kHeaderSize + span};
}

}  // namespace

std::optional<Chunk> FindChunk(ByteSource& source, Range area, FourCC id) {
  for (auto chunk = ChunkAt(source, area, area.begin); chunk;
       chunk = ChunkAt(source, area, chunk->next)) {
    if (chunk->id == id) return chunk;
    if (chunk->next == area.end) break;
  }
  return std::nullopt;
}

std::optional<Range> FindRiffForm(ByteSource& source, FourCC formType) {
  const Range file{0, source.Size()};
  // Only "RIFF" forms are passed over: a file of anything else costs one header.
  for (auto riff = ChunkAt(source, file, 0); riff && riff->id == kRiff;
       riff = ChunkAt(source, file, riff->next)) {
    uint8_t type[4];
    if (riff->size >= 4 && riff->available >= 4 && source.ReadAt(riff->body, type, 4) &&
        le::GetU32(type) == formType) {
      return Range{riff->body + 4, riff->body + riff->available};
    }
    if (riff->next == file.end) break;
  }
  return std::nullopt;
}

}  // namespace tangrel::riff
