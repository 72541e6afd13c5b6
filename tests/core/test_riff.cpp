// The RIFF chunk writer and the bounds-checked chunk reader.
#include <gtest/gtest.h>

#include <string>

#include "files/Riff.h"

using namespace tangrel::riff;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A chunk header with any claimed size, followed by the given body.
std::vector<uint8_t> RawChunk(const char* id, uint32_t claimed, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> out(id, id + 4);
  AppendU32LE(out, claimed);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

ByteSpan Span(const std::vector<uint8_t>& bytes) { return {bytes.data(), bytes.size()}; }

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
  auto fmt = FindChunk(Span(parent), MakeFourCC("fmt "));
  ASSERT_TRUE(fmt);
  EXPECT_EQ(fmt->size, 2u);
  ASSERT_EQ(fmt->body.size, 2u);
  EXPECT_EQ(fmt->body.data[0], 7);
  EXPECT_EQ(fmt->next, 24u);

  auto data = FindChunk(Span(parent), MakeFourCC("data"), fmt->next);
  ASSERT_TRUE(data);
  EXPECT_EQ(data->body.data[0], 9);
  EXPECT_EQ(data->next, parent.size());
  // Searching on after a chunk sees only what follows it.
  EXPECT_FALSE(FindChunk(Span(parent), MakeFourCC("junk"), fmt->next));
}

TEST(Riff, AChunkLargerThanItsParentIsAShortRead) {
  auto parent = RawChunk("data", 0xFFFFFFF0u, {1, 2, 3});
  auto data = FindChunk(Span(parent), MakeFourCC("data"));
  ASSERT_TRUE(data);
  EXPECT_EQ(data->size, 0xFFFFFFF0u);
  EXPECT_EQ(data->body.size, 3u);
  EXPECT_EQ(data->next, parent.size());
}

TEST(Riff, AnOversizedChunkHidesWhatFollowsAndACutHeaderEndsTheSearch) {
  auto hidden = Join({RawChunk("junk", 100, {1, 2}), RawChunk("fmt ", 0, {})});
  EXPECT_FALSE(FindChunk(Span(hidden), MakeFourCC("fmt ")));

  auto cut = Join({RawChunk("junk", 0, {}), Bytes("fmt "), {24, 0}});
  EXPECT_FALSE(FindChunk(Span(cut), MakeFourCC("fmt ")));
  EXPECT_FALSE(FindChunk(Span(cut), MakeFourCC("fmt "), 1000));
}

TEST(Riff, FindRiffFormPassesOverOtherFormsAndBoundsTheChildren) {
  auto file = Join({RawChunk("RIFF", 8, Join({Bytes("WAVE"), Bytes("abcd")})),
                    RawChunk("RIFF", 6, Join({Bytes("TG  "), {5, 6}})), Bytes("trailing")});
  auto form = FindRiffForm(Span(file), MakeFourCC("TG  "));
  ASSERT_TRUE(form);
  ASSERT_EQ(form->size, 2u);  // the bytes after the form are not its children
  EXPECT_EQ(form->data[0], 5);

  EXPECT_FALSE(FindRiffForm(Span(file), MakeFourCC("AVI ")));
  auto tooShort = RawChunk("RIFF", 2, Bytes("TG"));
  EXPECT_FALSE(FindRiffForm(Span(tooShort), MakeFourCC("TG  ")));
  EXPECT_FALSE(FindRiffForm({nullptr, 0}, MakeFourCC("TG  ")));
}
