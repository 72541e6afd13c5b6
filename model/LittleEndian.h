// SPDX-License-Identifier: GPL-3.0-or-later
// The one codec for the fixed-width little-endian integers of every file the
// program writes or reads: a writer that appends to a byte buffer, and a
// reader cursor that never reads past the bytes it was given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tangrel::le {

// `bytes` bytes of `value`, low byte first, at `at`.
inline void Put(uint8_t* at, uint64_t value, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}
inline uint64_t Get(const uint8_t* at, size_t bytes) {
  uint64_t value = 0;
  for (size_t i = bytes; i-- > 0;) value = value << 8 | at[i];
  return value;
}

inline void PutU16(uint8_t* at, uint16_t value) { Put(at, value, 2); }
inline void PutU32(uint8_t* at, uint32_t value) { Put(at, value, 4); }
inline void PutU64(uint8_t* at, uint64_t value) { Put(at, value, 8); }
inline uint16_t GetU16(const uint8_t* at) { return static_cast<uint16_t>(Get(at, 2)); }
inline uint32_t GetU32(const uint8_t* at) { return static_cast<uint32_t>(Get(at, 4)); }
inline uint64_t GetU64(const uint8_t* at) { return Get(at, 8); }

// Appends to a byte buffer that it does not own.
class Writer {
 public:
  explicit Writer(std::vector<uint8_t>& out) : out_(out) {}

  void U8(uint8_t value) { out_.push_back(value); }
  void U16(uint16_t value) { Append(value, 2); }
  void U32(uint32_t value) { Append(value, 4); }
  void U64(uint64_t value) { Append(value, 8); }
  // Signed values are stored as their two's-complement bits.
  void I16(int16_t value) { U16(static_cast<uint16_t>(value)); }
  void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
  void Bytes(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), bytes, bytes + size);
  }
  void Zeros(size_t count) { out_.insert(out_.end(), count, 0); }

 private:
  void Append(uint64_t value, size_t bytes) {
    const size_t at = out_.size();
    out_.resize(at + bytes);
    Put(out_.data() + at, value, bytes);
  }

  std::vector<uint8_t>& out_;
};

// Reads from bytes it does not own. A read that would pass the end reads
// nothing, gives 0 and leaves the reader failed, so a run of reads can be
// checked once at its end.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t U8() { return static_cast<uint8_t>(Take(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Take(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Take(4)); }
  uint64_t U64() { return Take(8); }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  // Copies `size` bytes; false (and nothing copied) when they are not all there.
  bool Bytes(void* out, size_t size) {
    if (!Has(size)) return Fail();
    std::memcpy(out, data_ + pos_, size);
    pos_ += size;
    return true;
  }
  bool Skip(size_t count) {
    if (!Has(count)) return Fail();
    pos_ += count;
    return true;
  }

  size_t Left() const { return size_ - pos_; }
  size_t Position() const { return pos_; }
  bool Ok() const { return ok_; }

 private:
  bool Has(size_t count) const { return ok_ && count <= size_ - pos_; }
  bool Fail() {
    ok_ = false;
    return false;
  }
  uint64_t Take(size_t bytes) {
    if (!Has(bytes)) return Fail();
    const uint64_t value = Get(data_ + pos_, bytes);
    pos_ += bytes;
    return value;
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace tangrel::le
