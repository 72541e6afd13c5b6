// SPDX-License-Identifier: GPL-3.0-or-later
// The performance file on disk: its layout, the load checks and their
// messages, the acceptance rule, and saves that fail without harm.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "files/PerformanceFile.h"
#include "session/FailureTexts.h"
#include "files/Riff.h"
#include "model/LittleEndian.h"
#include "tests/support/InChild.h"
#include "tests/support/TempDir.h"

using namespace tangrel;
using tangrel::testing::RunInChild;
using tangrel::testing::TempDir;
namespace fs = std::filesystem;

namespace {

// The process's address space now, in kB.
unsigned long AddressSpaceKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmSize:", 0) == 0) return std::stoul(line.substr(7));
  }
  return 0;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset) {
  return tangrel::le::GetU32(bytes.data() + offset);
}
std::string TextAt(const std::vector<uint8_t>& bytes, size_t offset, size_t size) {
  return std::string(bytes.begin() + static_cast<long>(offset),
                     bytes.begin() + static_cast<long>(offset + size));
}

std::vector<PerformanceEvent> Take(uint32_t count) {
  std::vector<PerformanceEvent> events;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t scan = 16 + i % 30;
    events.push_back({i * 37 + 1, i % 2 ? WM_KEYUP : WM_KEYDOWN, (scan << 16) | 1u | (i % 2) << 31,
                      static_cast<int32_t>(i % 3) - 1});
  }
  return events;
}

// Hand-made files, independent of the writer under test.
std::vector<uint8_t> Chunk(const char* id, const std::vector<uint8_t>& body,
                           uint32_t claimed = UINT32_MAX) {
  std::vector<uint8_t> out(id, id + 4);
  tangrel::le::Writer(out).U32(claimed == UINT32_MAX ? static_cast<uint32_t>(body.size()) : claimed);
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2) out.push_back(0);
  return out;
}
std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}
std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }
std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
  std::vector<uint8_t> out;
  for (uint32_t word : words) tangrel::le::Writer(out).U32(word);
  return out;
}
std::vector<uint8_t> Form(const char* type, const std::vector<uint8_t>& children) {
  return Chunk("RIFF", Cat({Text(type), children}));
}
std::vector<uint8_t> Header(uint32_t count, uint32_t mode = 1297, uint32_t bourdon = 0) {
  return Chunk("fmt ", Words({count, mode, bourdon, 0, 0, 0}));
}
std::vector<uint8_t> Records(uint32_t count) {
  std::vector<uint8_t> out;
  for (const PerformanceEvent& e : Take(count)) {
    auto words = Words({e.delay, e.message, e.keyData, static_cast<uint32_t>(e.octaveShift)});
    out.insert(out.end(), words.begin(), words.end());
  }
  return out;
}

}  // namespace

TEST(PerformanceFile, SavedLayoutIsByteForByte) {
  TempDir dir;
  for (uint32_t n : {0u, 1u, 3u}) {
    SCOPED_TRACE(n);
    auto events = Take(n);
    std::string path = dir.File("take.tgi");
    ASSERT_FALSE(SavePerformanceFile(events.data(), n, 1320, 7, path));
    auto bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 104 + 16 * n);
    EXPECT_EQ(TextAt(bytes, 0, 4), "RIFF");
    EXPECT_EQ(U32At(bytes, 4), 96 + 16 * n);
    EXPECT_EQ(TextAt(bytes, 8, 16), std::string("TG  LIST") + std::string("\x2c\0\0\0", 4) + "INFO");
    EXPECT_EQ(TextAt(bytes, 24, 20), std::string("ISFT\x0b\0\0\0TG by Vrel\0\0", 20));
    EXPECT_EQ(TextAt(bytes, 44, 8), std::string("ISCD\x0b\0\0\0", 8));
    char today[16];
    std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "%Y-%m-%d", std::localtime(&now));
    EXPECT_EQ(TextAt(bytes, 52, 12), std::string(today) + std::string("\0\0", 2));
    EXPECT_EQ(TextAt(bytes, 64, 8), std::string("fmt \x18\0\0\0", 8));
    // Any non-zero bourdon is stored as 1; the reserved words are zero.
    EXPECT_EQ(TextAt(bytes, 72, 24), TextAt(Words({n, 1320, 1, 0, 0, 0}), 0, 24));
    EXPECT_EQ(TextAt(bytes, 96, 4), "data");
    EXPECT_EQ(U32At(bytes, 100), 16 * n);
    EXPECT_EQ(TextAt(bytes, 104, 16 * n), TextAt(Records(n), 0, 16 * n));
  }
}

TEST(PerformanceFile, SaveAndLoadRoundTripByteForByte) {
  TempDir dir;
  auto events = Take(250);
  ASSERT_FALSE(SavePerformanceFile(events.data(), 250, 1303, 1, dir.File("a.tgi")));
  LoadedPerformance loaded;
  ASSERT_FALSE(LoadPerformanceFile(dir.File("a.tgi"), loaded));
  ASSERT_EQ(loaded.events.size(), 250u);
  EXPECT_EQ(0, std::memcmp(loaded.events.data(), events.data(), 250 * sizeof(PerformanceEvent)));
  EXPECT_EQ(loaded.modeId, 1303);
  EXPECT_EQ(loaded.bourdon, 1u);

  ASSERT_FALSE(SavePerformanceFile(loaded.events.data(), 250, loaded.modeId,
                                LoadedBourdon(loaded.bourdon), dir.File("b.tgi")));
  EXPECT_EQ(ReadBytes(dir.File("a.tgi")), ReadBytes(dir.File("b.tgi")));
}

TEST(PerformanceFile, AnEmptyTakeSavesButDoesNotLoad) {
  TempDir dir;
  ASSERT_FALSE(SavePerformanceFile(nullptr, 0, 1297, 0, dir.File("empty.tgi")));
  EXPECT_EQ(ReadBytes(dir.File("empty.tgi")).size(), 104u);
  LoadedPerformance loaded;
  EXPECT_EQ(LoadPerformanceFile(dir.File("empty.tgi"), loaded).kind, FailureKind::NotSupported);
}

TEST(PerformanceFile, EachMalformedFileGivesItsMessageAndChangesNothing) {
  auto list = Chunk("LIST", Cat({Text("INFO"), Chunk("ISFT", Text(std::string("x\0", 2)))}));
  auto cutFile = Form("TG  ", Cat({Header(3), Chunk("data", Records(3))}));
  cutFile.resize(cutFile.size() - 8);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    FailureKind message;
  } cases[] = {
      {"empty file", {}, FailureKind::NotStandard},
      {"text", Text("just some words, not a riff file at all"), FailureKind::NotStandard},
      {"a wave file", Form("WAVE", Cat({Chunk("fmt ", Words({1, 2, 3, 4})), Chunk("data", {})})),
       FailureKind::NotStandard},
      {"no fmt", Form("TG  ", Cat({list, Chunk("data", Records(1))})), FailureKind::NotStandard},
      {"fmt of 16 bytes", Form("TG  ", Chunk("fmt ", Words({1, 1297, 0, 0}))), FailureKind::NotSupported},
      {"fmt cut short", Cat({Text("RIFF"), Words({40}), Text("TG  fmt "), Words({24, 1, 1297})}),
       FailureKind::CannotRead},
      {"count 0", Form("TG  ", Cat({Header(0), Chunk("data", {})})), FailureKind::NotSupported},
      {"data before fmt", Form("TG  ", Cat({Chunk("data", Records(1)), Header(1)})), FailureKind::NotStandard},
      {"no data", Form("TG  ", Cat({Header(1), list})), FailureKind::NotStandard},
      {"data of the wrong size", Form("TG  ", Cat({Header(2), Chunk("data", Records(3))})),
       FailureKind::NotSupported},
      // 0x10000000 x 16 wraps to 0 in 32 bits, and must not match an empty chunk.
      {"count x 16 beyond 32 bits", Form("TG  ", Cat({Header(0x10000000), Chunk("data", {})})),
       FailureKind::NotSupported},
      {"cut inside the records", cutFile, FailureKind::CannotRead},
      {"a huge count cut short",
       Form("TG  ", Cat({Header(0x0FFFFFFF), Chunk("data", Records(1), 0xFFFFFFF0u)})),
       FailureKind::CannotRead},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(dir.File("bad.tgi"), c.bytes);
    LoadedPerformance loaded;
    loaded.events = Take(2);
    loaded.modeId = 1300;
    loaded.bourdon = 1;
    EXPECT_EQ(LoadPerformanceFile(dir.File("bad.tgi"), loaded).kind, c.message);
    EXPECT_EQ(loaded.events.size(), 2u);
    EXPECT_EQ(loaded.events[1].delay, Take(2)[1].delay);
    EXPECT_EQ(loaded.modeId, 1300);
    EXPECT_EQ(loaded.bourdon, 1u);
  }
}

// A load reads what the chunks claim and the file holds, never more, and
// opens nothing but a regular file: run in a child whose address space may
// grow by 64 MB only, and which an alarm ends should a load wait.
TEST(PerformanceFile, LoadsOpenOnlyRegularFilesAndStayWithinWhatTheyHold) {
  TempDir dir;
  auto sparse = [&](const std::string& name, const std::vector<uint8_t>& head, off_t size) {
    WriteBytes(dir.File(name), head);
    EXPECT_EQ(truncate(dir.File(name).c_str(), size), 0);
    return dir.File(name);
  };
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  fs::create_directory(dir.File("folder.tgi"));
  const struct {
    std::string path;
    FailureKind message;
  } cases[] = {
      {dir.File("nothing.tgi"), FailureKind::CannotOpen},
      {dir.File("folder.tgi"), FailureKind::CannotOpen},
      {dir.File("fifo"), FailureKind::CannotOpen},  // no writer: opening it must not wait
      {"/dev/zero", FailureKind::CannotOpen},
      {sparse("zeros-2g.tgi", {}, off_t{2} << 30), FailureKind::NotStandard},
      {sparse("zeros-40g.tgi", {}, off_t{40} << 30), FailureKind::NotStandard},
      // A form claiming 4 GB over a hole: zeros are no chunks to step through.
      {sparse("hollow.tgi", Cat({Text("RIFF"), Words({0xFFFFFFF0u}), Text("TG  ")}), off_t{2} << 30),
       FailureKind::NotStandard},
  };
  int failed = RunInChild([&] {
    rlimit cap{};
    cap.rlim_cur = cap.rlim_max = AddressSpaceKb() * 1024 + (64ul << 20);
    if (setrlimit(RLIMIT_AS, &cap) != 0) return 100;
    for (size_t i = 0; i < std::size(cases); ++i) {
      LoadedPerformance loaded;
      const Failure failure = LoadPerformanceFile(cases[i].path, loaded);
      if (failure.kind != cases[i].message) {
        std::fprintf(stderr, "%s: kind %d\n", cases[i].path.c_str(), static_cast<int>(failure.kind));
        return static_cast<int>(i + 1);
      }
    }
    return 0;
  });
  EXPECT_EQ(failed, 0) << "the case that failed, counted from 1, or 128 + a signal";
}

TEST(PerformanceFile, ExtraAndOddSizedChunksStillLoad) {
  auto oddJunk = Chunk("junk", Text("abcde"));  // five bytes and a pad byte
  auto list = Chunk("LIST", Cat({Text("INFO"), Chunk("ICMT", Text("odd"))}));
  // A chunk of 70 000 bytes puts what follows beyond the loader's first block.
  auto bytes = Cat({Form("TG  ", Cat({oddJunk, Header(2, 1298, 2), Chunk("note", Text("x")),
                                     Chunk("big ", std::vector<uint8_t>(70000, 'b')),
                                     Chunk("data", Records(2)), list})),
                    Text("bytes after the form")});
  ASSERT_EQ(bytes[20 + 5], 0);  // the pad byte after "abcde"
  TempDir dir;
  WriteBytes(dir.File("extra.tgi"), bytes);
  LoadedPerformance loaded;
  ASSERT_FALSE(LoadPerformanceFile(dir.File("extra.tgi"), loaded));
  ASSERT_EQ(loaded.events.size(), 2u);
  EXPECT_EQ(loaded.events[1].keyData, Take(2)[1].keyData);
  EXPECT_EQ(loaded.events[0].octaveShift, -1);
  EXPECT_EQ(loaded.modeId, 1298);
  EXPECT_EQ(loaded.bourdon, 2u);
}

TEST(PerformanceFile, AcceptanceTakesTheTwentyFourModesAndBourdonOnlyAsOne) {
  for (ModeId refused : {1296, 1306, 1311, 1322, 1327, 1333, -1297}) {
    EXPECT_FALSE(AcceptableLoadedMode(refused)) << refused;
  }
  for (ModeId accepted : {1297, 1305, 1312, 1321, 1328, 1332}) {
    EXPECT_TRUE(AcceptableLoadedMode(accepted)) << accepted;
  }

  // Through a real file: a stored bourdon word of 2 means off.
  TempDir dir;
  WriteBytes(dir.File("b2.tgi"),
             Form("TG  ", Cat({Header(1, 1332, 2), Chunk("data", Records(1))})));
  LoadedPerformance loaded;
  ASSERT_FALSE(LoadPerformanceFile(dir.File("b2.tgi"), loaded));
  auto accepted = AcceptLoadedPerformance(loaded);
  ASSERT_TRUE(accepted);
  EXPECT_EQ(accepted->mode, 1332);
  EXPECT_EQ(accepted->bourdon, 0);
  loaded.bourdon = 1;
  EXPECT_EQ(AcceptLoadedPerformance(loaded)->bourdon, 1);

  // A file that reads well but names no mode loads without a message and is refused.
  WriteBytes(dir.File("m.tgi"), Form("TG  ", Cat({Header(1, 1296, 1), Chunk("data", Records(1))})));
  ASSERT_FALSE(LoadPerformanceFile(dir.File("m.tgi"), loaded));
  EXPECT_FALSE(AcceptLoadedPerformance(loaded));
}

TEST(PerformanceFile, ALoadBringsShiftsNoNoteCanTakeToRestAndKeepsTheRest) {
  TempDir dir;
  auto events = Take(7);
  const int32_t stored[] = {INT32_MIN, -12, -11, -2, 2, 12, INT32_MAX};
  const int32_t loadedShifts[] = {-11, -11, -11, -2, 2, 11, 11};
  for (size_t i = 0; i < events.size(); ++i) events[i].octaveShift = stored[i];
  events[6].keyData = 200u << 16;  // past the key map: kept, it plays nothing
  ASSERT_FALSE(SavePerformanceFile(events.data(), 7, 1297, 0, dir.File("odd.tgi")));
  LoadedPerformance loaded;
  ASSERT_FALSE(LoadPerformanceFile(dir.File("odd.tgi"), loaded));
  ASSERT_EQ(loaded.events.size(), 7u);
  for (size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(loaded.events[i].octaveShift, loadedShifts[i]) << i;
    EXPECT_EQ(loaded.events[i].delay, events[i].delay);
    EXPECT_EQ(loaded.events[i].message, events[i].message);
    EXPECT_EQ(loaded.events[i].keyData, events[i].keyData);
  }
}

TEST(PerformanceFile, MessagesTakeTheFileNameOrUntitle) {
  EXPECT_EQ(FormatFileMessage(FailureMessage(FailureKind::CannotRead), "take.tgi"),
            "不能读取文件take.tgi.");
  EXPECT_EQ(FormatFileMessage(FailureMessage(FailureKind::NotStandard), ""),
            "文件Untitle不是标准的Tangrel文件.");
}

TEST(PerformanceFile, ASaveThatCannotCreateLeavesNothingBehind) {
  TempDir dir;
  auto events = Take(4);
  EXPECT_EQ(SavePerformanceFile(events.data(), 4, 1297, 0, dir.File("missing/take.tgi")).kind, FailureKind::CannotCreate);
  fs::create_directory(dir.File("folder.tgi"));
  EXPECT_EQ(SavePerformanceFile(events.data(), 4, 1297, 0, dir.File("folder.tgi")).kind, FailureKind::CannotCreate);
  EXPECT_TRUE(fs::is_directory(dir.File("folder.tgi")));
  EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(PerformanceFile, ASaveThroughALinkWritesWhatItNamesEvenWhenMissing) {
  TempDir dir;
  auto events = Take(3);
  ASSERT_EQ(symlink("saved.tgi", dir.File("link.tgi").c_str()), 0);
  ASSERT_FALSE(SavePerformanceFile(events.data(), 3, 1297, 0, dir.File("link.tgi")));
  EXPECT_TRUE(fs::is_symlink(dir.File("link.tgi")));
  LoadedPerformance loaded;
  EXPECT_FALSE(LoadPerformanceFile(dir.File("saved.tgi"), loaded));
  EXPECT_EQ(loaded.events.size(), 3u);
  EXPECT_EQ(dir.EntryCount(), 2u);
}

TEST(PerformanceFile, ASaveThatFailsMidWriteKeepsThePreviousFile) {
  TempDir dir;
  std::string path = dir.File("take.tgi");
  auto before = Take(1);
  ASSERT_FALSE(SavePerformanceFile(before.data(), 1, 1297, 0, path));
  auto previous = ReadBytes(path);

  // A file-size limit makes the write of the new version fail part way
  // (root ignores permissions, not this limit).
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  auto after = Take(40);
  const Failure failure = SavePerformanceFile(after.data(), 40, 1297, 1, path);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(failure.kind, FailureKind::CannotWrite);
  EXPECT_EQ(ReadBytes(path), previous);
  EXPECT_EQ(dir.EntryCount(), 1u);  // no temporary file left
}

TEST(PerformanceFile, AnIndependentRiffReaderSeesTheChunks) {
  TempDir dir;
  auto events = Take(5);
  ASSERT_FALSE(SavePerformanceFile(events.data(), 5, 1297, 0, dir.File("take.tgi")));
  // A few lines of Python walk the form with struct, descending into the LIST.
  std::string script =
      "import struct,sys\n"
      "b=open(sys.argv[1],'rb').read()\n"
      "def walk(at,end,depth):\n"
      "  while at+8<=end:\n"
      "    name,size=struct.unpack_from('<4sI',b,at)\n"
      "    print(depth+name.decode(),size)\n"
      "    if name==b'LIST': walk(at+12,at+8+size,depth+'-')\n"
      "    at+=8+size+size%2\n"
      "name,size=struct.unpack_from('<4sI',b,0)\n"
      "print(name.decode(),size,b[8:12].decode())\n"
      "walk(12,8+size,'')\n";
  std::string command = "python3 -W ignore -c \"$(cat <<'EOF'\n" + script + "EOF\n)\" " +
                        dir.File("take.tgi") + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
  ASSERT_EQ(pclose(pipe), 0) << output;
  EXPECT_EQ(output,
            "RIFF 176 TG  \n"
            "LIST 44\n"
            "-ISFT 11\n"
            "-ISCD 11\n"
            "fmt  24\n"
            "data 80\n");
}
