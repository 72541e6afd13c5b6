// SPDX-License-Identifier: GPL-3.0-or-later
// The RIFF chunk writer and the bounds-checked chunk reader.
#include <gtest/gtest.h>

#include <string>

#include "files/Riff.h"
#include "model/LittleEndian.h"

using namespace tangrel::riff;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A chunk header with any claimed size, followed by the given body.
std::vector<uint8_t> RawChunk(const char* id, uint32_t claimed, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> out(id, id + 4);
  tangrel::le::Writer(out).U32(claimed);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

ByteSource Source(const std::vector<uint8_t>& bytes) { return {bytes.data(), bytes.size()}; }
Range Whole(const std::vector<uint8_t>& bytes) { return {0, bytes.size()}; }

}  // namespace

TEST(Riff, AnOddChunkIsPaddedAndThePadCountsInItsParent) {
  RiffWriter writer;
  OpenForm(writer, MakeFourCC("RIFF"), MakeFourCC("TEST"));
  OpenChunk(writer, MakeFourCC("odd "));
  WriteBytes(writer, "abc", 3);
  CloseChunk(writer);
  OpenChunk(writer, MakeFourCC("even"));
  WriteU32(writer, 0x04030201);
  CloseChunk(writer);
  CloseChunk(writer);
  ASSERT_TRUE(WriterComplete(writer));

  auto expected = Join({Bytes("RIFF"), {28, 0, 0, 0}, Bytes("TEST"), Bytes("odd "), {3, 0, 0, 0},
                        Bytes("abc"), {0}, Bytes("even"), {4, 0, 0, 0}, {1, 2, 3, 4}});
  EXPECT_EQ(writer.bytes, expected);
}

TEST(Riff, FindChunkSkipsOthersByTheirSizeAndPadByte) {
  auto parent = Join({RawChunk("junk", 5, Bytes("12345")), {0}, RawChunk("fmt ", 2, {7, 8}),
                      RawChunk("data", 1, {9}), {0}});
  auto source = Source(parent);
  auto fmt = FindChunk(source, Whole(parent), MakeFourCC("fmt "));
  ASSERT_TRUE(fmt);
  EXPECT_EQ(fmt->size, 2u);
  EXPECT_EQ(fmt->body, 22u);
  EXPECT_EQ(fmt->available, 2u);
  EXPECT_EQ(fmt->next, 24u);

  auto data = FindChunk(source, {fmt->next, parent.size()}, MakeFourCC("data"));
  ASSERT_TRUE(data);
  uint8_t byte = 0;
  EXPECT_TRUE(source.ReadAt(data->body, &byte, 1));
  EXPECT_EQ(byte, 9);
  EXPECT_EQ(data->next, parent.size());
  // Searching on after a chunk sees only what follows it.
  EXPECT_FALSE(FindChunk(source, {fmt->next, parent.size()}, MakeFourCC("junk")));
}

TEST(Riff, AChunkLargerThanItsParentIsAShortRead) {
  auto parent = RawChunk("data", 0xFFFFFFF0u, {1, 2, 3});
  auto source = Source(parent);
  auto data = FindChunk(source, Whole(parent), MakeFourCC("data"));
  ASSERT_TRUE(data);
  EXPECT_EQ(data->size, 0xFFFFFFF0u);
  EXPECT_EQ(data->available, 3u);
  EXPECT_EQ(data->next, parent.size());
  uint8_t body[4];
  EXPECT_FALSE(source.ReadAt(data->body, body, 4));
}

TEST(Riff, AnOversizedChunkHidesWhatFollowsAndACutOrInvalidHeaderEndsTheSearch) {
  auto hidden = Join({RawChunk("junk", 100, {1, 2}), RawChunk("fmt ", 0, {})});
  auto source = Source(hidden);
  EXPECT_FALSE(FindChunk(source, Whole(hidden), MakeFourCC("fmt ")));

  // Zeros are no chunk header: the walk ends there rather than step through them.
  auto zeros = Join({RawChunk("junk", 0, {}), std::vector<uint8_t>(64, 0), RawChunk("fmt ", 0, {})});
  auto zeroSource = Source(zeros);
  EXPECT_FALSE(FindChunk(zeroSource, Whole(zeros), MakeFourCC("fmt ")));

  auto cut = Join({RawChunk("junk", 0, {}), Bytes("fmt "), {24, 0}});
  auto cutSource = Source(cut);
  EXPECT_FALSE(FindChunk(cutSource, Whole(cut), MakeFourCC("fmt ")));
  EXPECT_FALSE(FindChunk(cutSource, {1000, cut.size()}, MakeFourCC("fmt ")));
}

TEST(Riff, FindRiffFormPassesOverOtherFormsOnlyAndBoundsTheChildren) {
  auto file = Join({RawChunk("RIFF", 8, Join({Bytes("WAVE"), Bytes("abcd")})),
                    RawChunk("RIFF", 6, Join({Bytes("TG  "), {5, 6}})), Bytes("trailing")});
  auto source = Source(file);
  auto form = FindRiffForm(source, MakeFourCC("TG  "));
  ASSERT_TRUE(form);
  EXPECT_EQ(form->begin, 28u);
  EXPECT_EQ(form->end, 30u);  // the bytes after the form are not its children

  EXPECT_FALSE(FindRiffForm(source, MakeFourCC("AVI ")));
  auto tooShort = RawChunk("RIFF", 2, Bytes("TG"));
  auto shortSource = Source(tooShort);
  EXPECT_FALSE(FindRiffForm(shortSource, MakeFourCC("TG  ")));
  ByteSource nothing(nullptr, 0);
  EXPECT_FALSE(FindRiffForm(nothing, MakeFourCC("TG  ")));
  // A form behind any other chunk is not looked for.
  auto behind = Join({RawChunk("junk", 0, {}), RawChunk("RIFF", 4, Bytes("TG  "))});
  auto behindSource = Source(behind);
  EXPECT_FALSE(FindRiffForm(behindSource, MakeFourCC("TG  ")));
}
