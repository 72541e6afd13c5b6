// SPDX-License-Identifier: GPL-3.0-or-later
// The Standard MIDI File export: reference bytes, and exported files read
// back by an independent parser (midicsv).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "files/MidiExport.h"
#include "tests/support/TempDir.h"

using namespace tangrel;
using tangrel::testing::TempDir;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kA = 30, kS = 31, kD = 32;  // notes 60, 62, 64 in C major
constexpr size_t kFirstEvent = 14 + 8 + 10;     // header, "MTrk" and length, prologue

PerformanceEvent Down(uint32_t scan, uint32_t delay, int32_t shift = 0) {
  return {delay, WM_KEYDOWN, (scan << 16) | 1u, shift};
}
PerformanceEvent Up(uint32_t scan, uint32_t delay, int32_t shift = 0) {
  return {delay, WM_KEYUP, (scan << 16) | 0xC0000001u, shift};
}

Bytes Build(const std::vector<PerformanceEvent>& events, int32_t bourdon = 0,
            ModeId mode = 1297, int32_t program = 0) {
  return BuildMidiFile(events.data(), static_cast<uint32_t>(events.size()), mode, program, bourdon);
}
Bytes Slice(const Bytes& bytes, size_t offset, size_t size) {
  if (offset + size > bytes.size()) return {};
  return Bytes(bytes.begin() + static_cast<long>(offset),
               bytes.begin() + static_cast<long>(offset + size));
}

const Bytes kHeaderFormat0 = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0xC0};
const Bytes kTempo = {0x00, 0xFF, 0x51, 0x03, 0x0B, 0x96, 0xC6};
const Bytes kTail = {0x83, 0x0F, 0x90, 0x01, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0xFF, 0x2F, 0x00};

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}


Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct CsvNote {
  int track;
  long time;
  std::string kind;  // Note_on_c or Note_off_c
  int channel, note, velocity;
  bool operator==(const CsvNote& o) const {
    return track == o.track && time == o.time && kind == o.kind && channel == o.channel &&
           note == o.note && velocity == o.velocity;
  }
};
std::ostream& operator<<(std::ostream& out, const CsvNote& n) {
  return out << n.track << "," << n.time << "," << n.kind << "," << n.channel << "," << n.note
             << "," << n.velocity;
}

// The notes midicsv finds in a file, leaving out the closing silence of note 1.
std::vector<CsvNote> NotesByMidicsv(const std::string& path, std::string& csv) {
  FILE* pipe = popen(("midicsv " + path + " 2>&1").c_str(), "r");
  if (!pipe) return {};
  char line[512];
  while (fgets(line, sizeof line, pipe)) csv += line;
  if (pclose(pipe) != 0) return {};
  std::vector<CsvNote> notes;
  std::istringstream lines(csv);
  std::string text;
  while (std::getline(lines, text)) {
    std::vector<std::string> fields;
    std::istringstream cells(text);
    for (std::string cell; std::getline(cells, cell, ',');) {
      fields.push_back(cell.substr(cell.find_first_not_of(' ')));
    }
    if (fields.size() != 6 || (fields[2] != "Note_on_c" && fields[2] != "Note_off_c")) continue;
    CsvNote n{std::stoi(fields[0]), std::stol(fields[1]), fields[2], std::stoi(fields[3]),
              std::stoi(fields[4]), std::stoi(fields[5])};
    if (n.note != 1) notes.push_back(n);
  }
  return notes;
}

}  // namespace

TEST(MidiExport, AnEmptyTakeIs45BytesAnd67WithTheBourdon) {
  Bytes plain = Build({}, 0, 1297, 5);
  EXPECT_EQ(plain, Cat({kHeaderFormat0, {'M', 'T', 'r', 'k', 0, 0, 0, 0x17}, kTempo,
                        {0x00, 0xC0, 5}, kTail}));
  EXPECT_EQ(plain.size(), 45u);

  Bytes withBourdon = Build({}, 1, 1297, 5);
  ASSERT_EQ(withBourdon.size(), 67u);
  EXPECT_EQ(Slice(withBourdon, 8, 4), (Bytes{0, 1, 0, 2}));
  EXPECT_EQ(Slice(withBourdon, 45, 22), Cat({{'M', 'T', 'r', 'k', 0, 0, 0, 0x0E}, kTempo,
                                             {0x00, 0xCF, 5}, {0x00, 0xFF, 0x2F, 0x00}}));
  // Without events the mode is never looked at.
  EXPECT_EQ(Build({}, 0, 1306).size(), 45u);
}

TEST(MidiExport, DelaysBecomeTicksInVariableLengthBytes) {
  struct {
    uint32_t ms;
    Bytes delta;
  } cases[] = {{0, {0x00}},          {3, {0x00}},          {4, {0x01}},
               {506, {0x7F}},        {507, {0x81, 0x00}},  {1000, {0x81, 0x7C}},
               {30000, {0xBB, 0x1F}}, {64811, {0x81, 0x80, 0x00}},
               // Past what four bytes hold: the largest value they hold.
               {1061849575, {0xFF, 0xFF, 0xFF, 0x7F}}, {UINT32_MAX, {0xFF, 0xFF, 0xFF, 0x7F}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ms);
    Bytes file = Build({Down(kA, c.ms)});
    EXPECT_EQ(Slice(file, kFirstEvent, c.delta.size() + 3), Cat({c.delta, {0x90, 60, 127}}));
  }
  EXPECT_EQ(DelayToTicks(1000), 252u);
  EXPECT_EQ(DelayToTicks(30000), 7583u);
  EXPECT_EQ(DelayToTicks(64811), 16384u);
  EXPECT_EQ(DelayToTicks(UINT32_MAX), 1085767261u);  // needs the 64-bit product

  Bytes capped;
  AppendVariableLength(capped, 0x0FFFFFFF);
  AppendVariableLength(capped, 0x10000000);
  EXPECT_EQ(capped, (Bytes{0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST(MidiExport, KeyUpIsNoteOffAtFullVelocityAndTheShiftMovesTheOctave) {
  // The release of S comes after the chord's shift went back to 0: it still
  // ends the note its press sounded, an octave down.
  Bytes file = Build({Down(kA, 0, +1), Up(kA, 4, +1), Down(kS, 0, -1), Up(kS, 0, 0)}, 0, 1298);
  EXPECT_EQ(Slice(file, kFirstEvent, 16),
            (Bytes{0x00, 0x90, 74, 127, 0x01, 0x80, 74, 127,    //
                   0x00, 0x90, 52, 127, 0x00, 0x80, 52, 127}));
  EXPECT_EQ(Slice(file, kFirstEvent + 16, kTail.size()), kTail);
}

TEST(MidiExport, KeysWithoutANoteAreSkippedAndTheirDelayCarried) {
  // Scan code 1 (Esc) has an entry without a note; 54 and 200 have no entry.
  Bytes file = Build({Down(54, 300), Down(1, 200), Up(200, 7), Down(kA, 500), Down(60, 3000)});
  // 300 + 200 + 7 + 500 = 1007 ms = 254 ticks; the trailing skip writes nothing.
  EXPECT_EQ(Slice(file, kFirstEvent, 5 + kTail.size()), Cat({{0x81, 0x7E, 0x90, 60, 127}, kTail}));
  EXPECT_EQ(file.size(), 45u + 5u);
}

TEST(MidiExport, AModeWithoutOffsetFailsAndLeavesTheTargetAlone) {
  TempDir dir;
  std::vector<PerformanceEvent> take = {Down(kA, 10), Up(kA, 10)};
  std::string path = dir.File("take.mid");
  ASSERT_FALSE(ExportMidiFile(take.data(), 2, 1297, 0, 0, path));
  Bytes previous = ReadBytes(path);

  for (ModeId mode : {1306, 1322, 1296, 1333}) {
    EXPECT_TRUE(Build(take, 0, mode).empty()) << mode;
    EXPECT_TRUE(ExportMidiFile(take.data(), 2, mode, 0, 1, path)) << mode;
  }
  EXPECT_TRUE(ExportMidiFile(take.data(), 2, 1297, 0, 0, dir.File("missing/take.mid")));
  EXPECT_EQ(ReadBytes(path), previous);
  EXPECT_EQ(dir.EntryCount(), 1u);  // no partial or temporary file
}

TEST(MidiExport, MidicsvReadsTheNotesTimesAndChannels) {
  std::vector<PerformanceEvent> take = {Down(kA, 1000), Down(kD, 0, +1), Up(kA, 507),
                                        Down(99, 30000),  // no note: its delay moves on
                                        Up(kD, 3, +1),    Down(kS, 64811, -1), Up(kS, 4, -1)};
  TempDir dir;
  std::string path = dir.File("take.mid");
  ASSERT_FALSE(ExportMidiFile(take.data(), static_cast<uint32_t>(take.size()), 1297, 40, 1, path));

  std::string csv;
  auto notes = NotesByMidicsv(path, csv);
  ASSERT_NE(csv.find("0, 0, Header, 1, 2, 192"), std::string::npos) << csv;
  ASSERT_NE(csv.find("1, 0, Tempo, 759494"), std::string::npos) << csv;
  ASSERT_NE(csv.find("2, 0, Program_c, 15, 40"), std::string::npos) << csv;

  // Absolute ticks: 252, +0, +128, +floor(30003 x 192000 / 759494) = 7584, +16384, +1.
  struct {
    long time;
    const char* kind;
    int note;
  } played[] = {{252, "Note_on_c", 60},  {252, "Note_on_c", 76},   {380, "Note_off_c", 60},
                {7964, "Note_off_c", 76}, {24348, "Note_on_c", 50}, {24349, "Note_off_c", 50}};
  std::vector<CsvNote> expected;
  for (int track : {1, 2}) {
    for (const auto& p : played) {
      expected.push_back({track, p.time, p.kind, track == 1 ? 0 : 15,
                          track == 1 ? p.note : p.note - 12, 127});
    }
  }
  EXPECT_EQ(notes, expected) << csv;
}
