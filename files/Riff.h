// A small RIFF toolkit: little-endian helpers, a chunk writer into a byte
// buffer, and a bounds-checked chunk reader over bytes read from a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

inline uint32_t GetU32LE(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline void SetU32LE(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value);
  p[1] = static_cast<uint8_t>(value >> 8);
  p[2] = static_cast<uint8_t>(value >> 16);
  p[3] = static_cast<uint8_t>(value >> 24);
}
void AppendU32LE(std::vector<uint8_t>& out, uint32_t value);

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

struct ByteSpan {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// A chunk found inside a parent. `body` is what the parent really holds of
// it: when the header claims more than that, `body` is shorter than `size`
// and reading the whole chunk is a short read.
struct Chunk {
  FourCC id = 0;
  uint32_t size = 0;  // as its header claims
  ByteSpan body;
  size_t next = 0;  // offset in the parent just past the chunk and its pad byte
};

// The children of the top-level "RIFF" chunk whose form type is `formType`
// (the area after the type), or nothing.
std::optional<ByteSpan> FindRiffForm(ByteSpan file, FourCC formType);

// The first chunk `id` among the children of `parent`, starting at offset
// `from`; others are skipped by their size and pad byte. A chunk header cut
// short, or a skip past the parent's end, ends the search.
std::optional<Chunk> FindChunk(ByteSpan parent, FourCC id, size_t from = 0);

}  // namespace tangrel::riff
