// SPDX-License-Identifier: GPL-3.0-or-later
// tangrel-tool, run as a program on performance files made here: its listing,
// exit codes, MIDI export and the WAV it renders through the synthesizer.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/MidiExport.h"
#include "files/PerformanceFile.h"
#include "session/FailureTexts.h"
#include "tests/support/AudioSupport.h"
#include "tests/support/InChild.h"
#include "tests/support/LoudChord.h"

using namespace tangrel;
using tangrel::testing::EnterPrivateMounts;
using tangrel::testing::kNoPrivateMounts;
using tangrel::testing::RunInChild;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kA = 30, kS = 31, kMinus = 12, kEsc = 1;
constexpr double kRate = 44100.0;

class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tangrel-tool-XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::string Save(const std::string& name, const std::vector<PerformanceEvent>& events,
                   ModeId mode, int32_t bourdon) {
    std::string path = Path(name);
    EXPECT_FALSE(SavePerformanceFile(events.data(), static_cast<uint32_t>(events.size()), mode,
                                     bourdon, path));
    return path;
  }

  struct Outcome {
    int code;
    std::string out;
    std::string err;
  };

  // FluidSynth decodes SoundFont samples on OpenMP threads; libgomp is not
  // built for ThreadSanitizer, whose false reports would land in the tool's
  // standard error. One thread keeps the sanitizer builds quiet.
  // The file messages are compared as the program's own texts, which a
  // Chinese locale shows as they stand.
  Outcome Run(const std::vector<std::string>& args, const std::string& locale = "zh_CN.UTF-8") {
    std::string line = "OMP_NUM_THREADS=1 LC_ALL= LC_MESSAGES= LANG=" + Quote(locale) + " " +
                       Quote(TANGREL_TOOL_PATH);
    for (const std::string& arg : args) line += " " + Quote(arg);
    line += " >" + Quote(Path("stdout")) + " 2>" + Quote(Path("stderr"));
    int status = std::system(line.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(Path("stdout")),
            Read(Path("stderr"))};
  }

  // The tool's standard output read through a pipe, as a shell pipeline would.
  testaudio::ProgramOutput RunPiped(std::vector<std::string> args) {
    args.insert(args.begin(), TANGREL_TOOL_PATH);
    return testaudio::RunProgram(args, {"OMP_NUM_THREADS=1"}, 20000);
  }

  // The names in the folder, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  // The most bytes that a process has written to a file in the folder: one
  // it holds open without a name (seen through /proc) or one with a name.
  off_t WrittenSoFar(pid_t pid) const {
    off_t most = 0;
    struct stat info;
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code ignored;
    for (const auto& fd : fs::directory_iterator(fds, ignored)) {
      const std::string target = fs::read_symlink(fd.path(), ignored);
      if (target.rfind(dir_ + "/", 0) == 0 && stat(fd.path().c_str(), &info) == 0) {
        most = std::max(most, info.st_size);
      }
    }
    for (const auto& entry : fs::directory_iterator(dir_)) {
      if (stat(entry.path().c_str(), &info) == 0) most = std::max(most, info.st_size);
    }
    return most;
  }

  // Starts a long render, ends it with the signal once its output holds a
  // megabyte, and tells whether the signal is what ended it.
  bool InterruptRender(const std::string& take, int signal) {
    const pid_t pid = testaudio::Spawn({TANGREL_TOOL_PATH, "render", take, Path("out.wav")},
                                       {"OMP_NUM_THREADS=1"});
    if (pid <= 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (WrittenSoFar(pid) < (1 << 20) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(pid, signal);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == signal;
  }

  static std::string Quote(const std::string& word) { return "'" + word + "'"; }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string dir_;
};

PerformanceEvent Press(uint32_t delay, uint32_t scan, int32_t shift = 0) {
  return {delay, WM_KEYDOWN, (scan << 16) | 1, shift};
}
PerformanceEvent Release(uint32_t delay, uint32_t scan, int32_t shift = 0) {
  return {delay, WM_KEYUP, (scan << 16) | 0xC0000001u, shift};
}

// The lines of a text with runs of spaces made single, for column layouts.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string word, joined;
    while (words >> word) joined += (joined.empty() ? "" : " ") + word;
    lines.push_back(joined);
  }
  return lines;
}

}  // namespace

TEST_F(ToolTest, InfoPrintsTheCountModeBourdonAndPlaybackLength) {
  // A's release and S's press share their time: 300, 500, 500, 600.
  auto file =
      Save("take.tgi", {Press(300, kA), Release(200, kA), Press(0, kS, 1), Release(100, kS, 1)},
           1302, 1);
  Outcome r = Run({"info", file});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "events: 4\nmode: 1302 A Major\nbourdon: 1\nlength: 0.600 s\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(ToolTest, EventsListDelayKindKeyScanShiftAndNoteInTheFilesMode) {
  auto file = Save("take.tgi",
                   {Press(300, kA),
                    Press(0, kS, 1),
                    Release(10, kMinus, -1),
                    Press(5, kEsc),
                    Press(5, 60),
                    {7, 300, kA << 16, 0},
                    Press(5, kA, INT32_MAX)},
                   1302, 0);
  Outcome r = Run({"info", file, "--events"});
  ASSERT_EQ(r.code, 0) << r.err;
  auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 4u + 1u + 7u);
  EXPECT_EQ(lines[4], "# delay(ms) event key scan shift note");
  EXPECT_EQ(lines[5], "0 300 press A 30 0 69 A4");  // 1 = A in A major
  EXPECT_EQ(lines[6], "1 0 press S 31 1 83 B5");    // an octave up with the chord
  EXPECT_EQ(lines[7], "2 10 release minus 12 -1 75 D#5");
  EXPECT_EQ(lines[8], "3 5 press Esc 1 0 -");  // a key without a note
  EXPECT_EQ(lines[9], "4 5 press - 60 0 -");   // beyond the key map
  EXPECT_EQ(lines[10], "5 7 message 300 A 30 0 69 A4");
  // A shift no note can take, brought to rest at load on the farthest one kept.
  EXPECT_EQ(lines[11], "6 5 press A 30 11 -");
}

TEST_F(ToolTest, FilesThatDoNotLoadGiveTheirMessageAndExitOne) {
  const std::string missing = Path("missing.tgi");
  Outcome r = Run({"info", missing});
  EXPECT_EQ(r.code, 1);
  const std::string reason = "tangrel-tool: " + missing + ": No such file or directory\n";
  EXPECT_EQ(r.err,
            "tangrel-tool: " + FormatFileMessage(FailureMessage(FailureKind::CannotOpen), missing) +
                "\n" + reason);
  for (const char* english : {"en_US.UTF-8", "C", "de_DE"}) {
    EXPECT_EQ(Run({"info", missing}, english).err,
              "tangrel-tool: Cannot find or open file " + missing + ".\n" + reason);
  }
  EXPECT_EQ(r.out, "");

  // A mode between the two groups is refused by every command, as the window
  // refuses it, and nothing is written.
  auto refused = Save("refused.tgi", {Press(10, kA), Release(10, kA)}, 1306, 0);
  const std::string refusal =
      "tangrel-tool: " + FormatFileMessage(FailureMessage(FailureKind::NotSupported), refused) +
      "\ntangrel-tool: " + refused +
      ": its mode id 1306 names none of the 24 keys of the Mode menu (1297..1305, "
      "1312..1321, 1328..1332)\n";
  for (auto args : std::vector<std::vector<std::string>>{
           {"info", refused},
           {"export-midi", refused, Path("out.mid"), "--mode", "1297"},
           {"render", refused, Path("out.wav")}}) {
    r = Run(args);
    EXPECT_EQ(r.code, 1) << args[0];
    EXPECT_EQ(r.err, refusal) << args[0];
  }
  EXPECT_FALSE(fs::exists(Path("out.mid")));
  EXPECT_FALSE(fs::exists(Path("out.wav")));

  // An output that cannot be made is refused before the SoundFont is even
  // looked at, with the reason: it cannot be created.
  auto good = Save("good.tgi", {Press(10, kA), Release(10, kA)}, 1297, 0);
  for (std::string command : {"render", "export-midi"}) {
    const std::string nowhere = Path("no-such-folder/out");
    r = Run(
        {command, good, nowhere, command == "render" ? "--soundfont=" + Path("none.sf2") : "--"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "tangrel-tool: " +
                         FormatFileMessage(FailureMessage(FailureKind::CannotCreate), nowhere) +
                         "\ntangrel-tool: The folder does not exist.\n");
  }
  // A SoundFont that is missing, or a FIFO that nothing writes, is refused at once.
  ASSERT_EQ(mkfifo(Path("fifo.sf2").c_str(), 0600), 0);
  for (std::string soundFont : {Path("none.sf2"), Path("fifo.sf2")}) {
    auto piped = RunPiped({"render", good, Path("out.wav"), "--soundfont", soundFont});
    EXPECT_EQ(piped.exitCode, 1) << soundFont;
  }
  EXPECT_FALSE(fs::exists(Path("out.wav")));
}

TEST_F(ToolTest, UsageErrorsExitTwoWithAUsageLineAndHelpExitsZero) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"play", "a.tgi"},
      {"info"},
      {"info", "a.tgi", "b.tgi"},
      {"info", "a.tgi", "--events=1"},
      {"export-midi", "a.tgi", "b.mid", "--program", "128"},
      {"export-midi", "a.tgi", "b.mid", "--mode", "1306"},
      {"export-midi", "a.tgi", "b.mid", "--bourdon", "2"},
      {"render", "a.tgi", "b.wav", "--track", "16"},
      {"render", "a.tgi", "b.wav", "--track", "0"},
      {"export-midi", "a.tgi", "b.mid", "--mode", "be"},
      {"render", "a.tgi", "b.wav", "--velocity", "0"},
      {"render", "a.tgi", "b.wav", "--velocity"},
      {"render", "a.tgi", "b.wav", "--loud"},
  };
  for (const auto& args : wrong) {
    Outcome r = Run(args);
    EXPECT_EQ(r.code, 2) << ::testing::PrintToString(args);
    EXPECT_NE(r.err.find("usage: tangrel-tool "), std::string::npos)
        << ::testing::PrintToString(args);
  }
  Outcome r = Run({"info"});
  EXPECT_NE(r.err.find("usage: tangrel-tool info FILE.tgi [--events]\n"), std::string::npos);

  for (std::string command : {"info", "export-midi", "render"}) {
    r = Run({command, "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.rfind("usage: tangrel-tool " + command + " ", 0), 0u) << r.out;
  }
  r = Run({"--help"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("tangrel-tool render FILE.tgi OUT.wav"), std::string::npos);
}

TEST_F(ToolTest, NumbersAndNamesAreTheWindowsAndEveryMessageSaysWhoAndWhy) {
  auto file = Save("take.tgi", {Press(120, kA), Release(300, kA)}, 1297, 0);
  // Modes by the Mode menu's names, whose case tells major from minor.
  auto exported = [&](const std::string& mode) {
    EXPECT_EQ(Run({"export-midi", file, Path("out.mid"), "--mode", mode}).code, 0) << mode;
    return Read(Path("out.mid"));
  };
  EXPECT_EQ(exported("bE"), exported("1313"));
  EXPECT_EQ(exported("bE Major"), exported("1313"));
  EXPECT_EQ(exported("#f"), exported("1328"));
  EXPECT_EQ(exported("d Minor"), exported("1316"));
  EXPECT_NE(exported("D"), exported("d"));
  Outcome r = Run({"export-midi", file, Path("out.mid"), "--mode", "1310"});
  EXPECT_NE(r.err.find("1306..1311 and 1322..1327"), std::string::npos) << r.err;

  // Tracks 1 to 15: the last is taken (the missing input is what fails).
  EXPECT_EQ(Run({"render", Path("none.tgi"), Path("out.wav"), "--track", "15"}).code, 1);

  r = Run({"info", dir_}, "C");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "tangrel-tool: Cannot find or open file " + dir_ + ".\ntangrel-tool: " + dir_ +
                       ": it is a folder, not a performance file\n");

  r = Run({"--version"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.rfind("tangrel-tool ", 0), 0u);

  // A listing that cannot be written is a failure.
  const std::string line =
      Quote(TANGREL_TOOL_PATH) + " info " + Quote(file) + " --events >/dev/full 2>/dev/null";
  EXPECT_EQ(WEXITSTATUS(std::system(line.c_str())), 1);
}

TEST_F(ToolTest, ExportMidiWritesWhatTheExportCommandWrites) {
  const std::vector<PerformanceEvent> events = {Press(120, kA), Press(3, kS, 1), Release(507, kA),
                                                Release(30000, kS, 1)};
  auto file = Save("take.tgi", events, 1300, 1);
  auto expected = [&](ModeId mode, int32_t program, int32_t bourdon) {
    EXPECT_FALSE(ExportMidiFile(events.data(), 4, mode, program, bourdon, Path("expected.mid")));
    return Read(Path("expected.mid"));
  };

  Outcome r = Run({"export-midi", file, Path("default.mid")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Read(Path("default.mid")), expected(1300, 0, 1));  // the file's mode and bourdon

  r = Run(
      {"export-midi", file, Path("chosen.mid"), "--program=5", "--mode", "1320", "--bourdon", "0"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Read(Path("chosen.mid")), expected(1320, 5, 0));
}

TEST_F(ToolTest, RenderSoundsTheTakeAtItsPlaybackTimesWithTheFilesBourdon) {
  // A held from 200 ms to 800 ms, with the bourdon an octave below.
  auto file = Save("take.tgi", {Press(200, kA), Release(600, kA)}, 1297, 1);
  const std::string wav = Path("take.wav");
  Outcome r = Run({"render", file, wav, "--soundfont", testaudio::kTestSoundFont});
  ASSERT_EQ(r.code, 0) << r.err;

  // Python's wave module reads the header independently.
  const std::string check = "python3 -c \"import wave; w = wave.open('" + wav +
                            "'); print(w.getnchannels(), w.getsampwidth(), w.getframerate(), "
                            "w.getnframes())\" > " +
                            Quote(Path("wave.txt"));
  ASSERT_EQ(std::system(check.c_str()), 0);
  const size_t frames = (800 + 1500) * 441 / 10;
  EXPECT_EQ(Read(Path("wave.txt")), "2 2 44100 " + std::to_string(frames) + "\n");

  std::vector<char> bytes = testaudio::ReadAll(wav);
  ASSERT_EQ(bytes.size(), 44 + frames * 4);
  std::vector<float> sound = testaudio::FromS16({bytes.begin() + 44, bytes.end()}, 2);

  // Silence until the note, which starts at 200 ms.
  auto onset = testaudio::Onset(sound, kRate, 0.005);
  ASSERT_TRUE(onset.has_value());
  EXPECT_GE(*onset, size_t(0.199 * kRate));
  EXPECT_LE(*onset, size_t(0.215 * kRate));

  const size_t from = size_t(0.3 * kRate), length = 16384;  // 300..670 ms
  const double off = testaudio::PowerAt(sound, kRate, 370.0, from, length);
  EXPECT_GT(testaudio::PowerAt(sound, kRate, 261.6, from, length), 100 * off);  // middle C
  EXPECT_GT(testaudio::PowerAt(sound, kRate, 130.8, from, length), 100 * off);  // the bourdon
  // Released at 800 ms and silenced at the end: the tail dies away.
  EXPECT_LT(testaudio::Rms(sound, sound.size() - 4410),
            0.1 * testaudio::Rms(sound, from, from + length));
}

TEST_F(ToolTest, TheLoudChordRendersThroughTheLimiterWithNoSampleAtFullScale) {
  std::vector<PerformanceEvent> take;
  for (uint32_t scan : testaudio::LoudChordScanCodes()) take.push_back(Press(0, scan));
  for (uint32_t scan : testaudio::LoudChordScanCodes()) take.push_back(Release(1500, scan));
  auto file = Save("loud.tgi", take, 1297, 1);
  const std::string wav = Path("loud.wav");
  Outcome r = Run({"render", file, wav, "--soundfont", testaudio::kTestSoundFont, "--program", "48",
                   "--velocity", "127"});
  ASSERT_EQ(r.code, 0) << r.err;
  std::vector<char> bytes = testaudio::ReadAll(wav);
  ASSERT_GT(bytes.size(), 44u);
  // Each channel's samples on their own: a mix would hide a clipped one.
  const std::vector<float> sound = testaudio::FromS16({bytes.begin() + 44, bytes.end()}, 1);
  const auto atFullScale = std::count_if(
      sound.begin(), sound.end(), [](float s) { return std::fabs(s) >= 32767.0f / 32768.0f; });
  EXPECT_EQ(atFullScale, 0);
  // Loud all the same: the limiter bends the peaks, it does not mute them.
  float peak = 0;
  for (float s : sound) peak = std::max(peak, std::fabs(s));
  EXPECT_GT(peak, 0.5f);
}

TEST_F(ToolTest, RenderLengthKeepsTheRecordedTimeOfFastNotes) {
  // Four events 0, 1, 1, 1 ms apart play so: the last at 3 ms.
  auto file =
      Save("chord.tgi", {Press(0, kA), Press(1, kS), Release(1, kA), Release(1, kS)}, 1297, 0);
  Outcome r = Run({"render", file, Path("chord.wav"), "--track", "9", "--velocity", "90",
                   "--soundfont", testaudio::kTestSoundFont});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(fs::file_size(Path("chord.wav")), 44u + (3 + 1500) * 441 / 10 * 4);
}

TEST_F(ToolTest, OutputsThatAreNotRegularFilesAreWrittenInPlace) {
  const std::vector<PerformanceEvent> events = {Press(200, kA), Release(600, kA)};
  auto file = Save("take.tgi", events, 1297, 1);
  ASSERT_FALSE(ExportMidiFile(events.data(), 2, 1297, 0, 1, Path("expected.mid")));
  const std::string midi = Read(Path("expected.mid"));

  // "-" and /dev/stdout, a link that stays one, into a pipe.
  for (std::string out : {"-", "/dev/stdout"}) {
    auto piped = RunPiped({"export-midi", file, out});
    EXPECT_EQ(piped.exitCode, 0) << out;
    EXPECT_EQ(piped.out, midi) << out;
  }
  EXPECT_TRUE(fs::is_symlink("/dev/stdout"));
  auto wav = RunPiped({"render", file, "-"});
  EXPECT_EQ(wav.exitCode, 0);
  EXPECT_EQ(wav.out.size(), 44u + (800 + 1500) * 441 / 10 * 4);

  // A FIFO whose reader is this test.
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  const int reader = open(Path("fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(Run({"export-midi", file, Path("fifo")}).code, 0);
  std::string got(midi.size() + 1, '\0');
  got.resize(static_cast<size_t>(std::max<ssize_t>(0, read(reader, got.data(), got.size()))));
  close(reader);
  EXPECT_EQ(got, midi);
  EXPECT_TRUE(fs::is_fifo(Path("fifo")));
}

TEST_F(ToolTest, ADeviceNodeIsWrittenToNotReplaced) {
  auto file = Save("take.tgi", {Press(200, kA), Release(600, kA)}, 1297, 0);
  // A null device made in a tmpfs that only the child sees.
  const int result = RunInChild([&] {
    const std::string dev = Path("dev"), null = dev + "/null";
    if (!EnterPrivateMounts() || mkdir(dev.c_str(), 0700) != 0 ||
        mount("tmpfs", dev.c_str(), "tmpfs", 0, nullptr) != 0 ||
        mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
      return kNoPrivateMounts;
    }
    const int code = Run({"export-midi", file, null}).code + Run({"render", file, null}).code;
    struct stat info;
    return code == 0 && stat(null.c_str(), &info) == 0 && S_ISCHR(info.st_mode) ? 0 : 1;
  });
  if (result == kNoPrivateMounts) GTEST_SKIP() << "making a device node needs root";
  EXPECT_EQ(result, 0);
}

TEST_F(ToolTest, RegularOutputsAreReplacedWholeKeepingModeLinksAndLongNames) {
  auto file = Save("take.tgi", {Press(200, kA), Release(600, kA)}, 1297, 0);
  const size_t wavSize = 44u + (800 + 1500) * 441 / 10 * 4;
  std::ofstream(Path("private.wav")) << "old";
  ASSERT_EQ(chmod(Path("private.wav").c_str(), 0600), 0);
  ASSERT_EQ(symlink("private.wav", Path("link.wav").c_str()), 0);
  ASSERT_EQ(symlink("made.mid", Path("dangling.mid").c_str()), 0);

  EXPECT_EQ(Run({"render", file, Path("link.wav")}).code, 0);
  EXPECT_TRUE(fs::is_symlink(Path("link.wav")));
  EXPECT_EQ(fs::file_size(Path("private.wav")), wavSize);
  EXPECT_EQ(fs::status(Path("private.wav")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Run({"export-midi", file, Path("dangling.mid")}).code, 0);
  EXPECT_TRUE(fs::is_symlink(Path("dangling.mid")));
  EXPECT_TRUE(fs::is_regular_file(Path("made.mid")));

  // The longest names the file system takes are written too.
  const std::string longest(251, 'n');
  EXPECT_EQ(Run({"export-midi", file, Path(longest + ".mid")}).code, 0);
  EXPECT_EQ(Run({"render", file, Path(longest + ".wav")}).code, 0);
  EXPECT_EQ(fs::file_size(Path(longest + ".wav")), wavSize);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"dangling.mid", "link.wav", "made.mid",
                                                 longest + ".mid", longest + ".wav", "private.wav",
                                                 "stderr", "stdout", "take.tgi"}));
}

TEST_F(ToolTest, AnOutputThatIsTheInputIsRefusedAndLeftAlone) {
  auto file = Save("take.tgi", {Press(200, kA), Release(600, kA)}, 1297, 0);
  const std::string before = Read(file);
  ASSERT_EQ(symlink(file.c_str(), Path("alias.tgi").c_str()), 0);
  ASSERT_EQ(link(file.c_str(), Path("hard.tgi").c_str()), 0);
  for (std::string command : {"export-midi", "render"}) {
    for (std::string out : {file, Path("alias.tgi"), Path("hard.tgi")}) {
      Outcome r = Run({command, file, out});
      EXPECT_EQ(r.code, 1) << command << " " << out;
      EXPECT_NE(r.err.find("is the input file"), std::string::npos) << r.err;
    }
  }
  // Standard output that appends to the input.
  const std::string line = std::string(TANGREL_TOOL_PATH) + " export-midi " + Quote(file) +
                           " - >>" + Quote(file) + " 2>/dev/null";
  EXPECT_EQ(WEXITSTATUS(std::system(line.c_str())), 1);
  EXPECT_EQ(Read(file), before);
  EXPECT_TRUE(fs::is_symlink(Path("alias.tgi")));
}

TEST_F(ToolTest, DoubleDashEndsTheOptions) {
  Save("-take.tgi", {Press(200, kA), Release(600, kA)}, 1297, 0);
  const std::string line = "cd " + Quote(dir_) + " && " + TANGREL_TOOL_PATH +
                           " export-midi --program 3 -- -take.tgi -out.mid";
  EXPECT_EQ(std::system(line.c_str()), 0);
  EXPECT_TRUE(fs::is_regular_file(Path("-out.mid")));
}

TEST_F(ToolTest, AnInterruptedRenderLeavesNoFileBehind) {
  // Half an hour of take: the render is still writing when it is stopped.
  auto take = Save("long.tgi", {Press(0, kA), Release(1800000, kA)}, 1297, 0);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    EXPECT_TRUE(InterruptRender(take, signal)) << strsignal(signal);
    EXPECT_EQ(Entries(), std::vector<std::string>{"long.tgi"}) << strsignal(signal);
  }
  // Without /proc a file cannot be written without a name: the named one
  // the tool writes instead is removed by the signals that can be caught.
  const int result = RunInChild(
      [&] {
        if (!EnterPrivateMounts() || mount("tmpfs", "/proc", "tmpfs", 0, nullptr) != 0) {
          return kNoPrivateMounts;
        }
        int failures = 0;
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
          failures +=
              !InterruptRender(take, signal) || Entries() != std::vector<std::string>{"long.tgi"};
        }
        return failures;
      },
      120);
  if (result == kNoPrivateMounts) GTEST_SKIP() << "hiding /proc needs root";
  EXPECT_EQ(result, 0);
}
