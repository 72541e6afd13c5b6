// The RIFF chunk writer and the bounds-checked chunk reader.
#include "files/Riff.h"

#include <algorithm>

namespace tangrel::riff {

namespace {
constexpr size_t kHeaderSize = 8;  // id and size
constexpr FourCC kRiff = MakeFourCC("RIFF");
}  // namespace

void AppendU32LE(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[4];
  SetU32LE(bytes, value);
  out.insert(out.end(), bytes, bytes + 4);
}

void OpenChunk(RiffWriter& writer, FourCC id) {
  writer.openChunks.push_back(writer.bytes.size());
  AppendU32LE(writer.bytes, id);
  AppendU32LE(writer.bytes, 0);  // fixed when the chunk is closed
}

void OpenForm(RiffWriter& writer, FourCC id, FourCC type) {
  OpenChunk(writer, id);
  AppendU32LE(writer.bytes, type);
}

void WriteBytes(RiffWriter& writer, const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  writer.bytes.insert(writer.bytes.end(), bytes, bytes + size);
}

void WriteU32(RiffWriter& writer, uint32_t value) { AppendU32LE(writer.bytes, value); }

void CloseChunk(RiffWriter& writer) {
  if (writer.openChunks.empty()) return;
  size_t header = writer.openChunks.back();
  writer.openChunks.pop_back();
  size_t size = writer.bytes.size() - header - kHeaderSize;
  if (size > UINT32_MAX) writer.tooLarge = true;
  SetU32LE(writer.bytes.data() + header + 4, static_cast<uint32_t>(size));
  // The pad byte lies outside this chunk's size but inside its parent's.
  if (size % 2 != 0) writer.bytes.push_back(0);
}

bool WriterComplete(const RiffWriter& writer) {
  return writer.openChunks.empty() && !writer.tooLarge;
}

std::optional<Chunk> FindChunk(ByteSpan parent, FourCC id, size_t from) {
  size_t pos = from;
  while (pos <= parent.size && parent.size - pos >= kHeaderSize) {
    const uint8_t* header = parent.data + pos;
    uint32_t size = GetU32LE(header + 4);
    size_t left = parent.size - pos - kHeaderSize;
    uint64_t span = uint64_t{size} + (size & 1u);  // data and pad byte
    if (GetU32LE(header) == id) {
      Chunk chunk;
      chunk.id = id;
      chunk.size = size;
      chunk.body = {header + kHeaderSize, std::min<size_t>(size, left)};
      chunk.next = span > left ? parent.size : pos + kHeaderSize + static_cast<size_t>(span);
      return chunk;
    }
    // A chunk that claims more than its parent holds hides whatever follows.
    if (span > left) return std::nullopt;
    pos += kHeaderSize + static_cast<size_t>(span);
  }
  return std::nullopt;
}

std::optional<ByteSpan> FindRiffForm(ByteSpan file, FourCC formType) {
  size_t from = 0;
  while (auto riff = FindChunk(file, kRiff, from)) {
    if (riff->size >= 4 && riff->body.size >= 4 && GetU32LE(riff->body.data) == formType) {
      return ByteSpan{riff->body.data + 4, riff->body.size - 4};
    }
    from = riff->next;
  }
  return std::nullopt;
}

}  // namespace tangrel::riff
