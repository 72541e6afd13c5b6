// A player at a real X display: Tangrel started under Xvfb, keys typed with
// xdotool, and the notes heard in the WAV the built-in synthesizer writes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "files/PerformanceFile.h"
#include "tests/support/AudioSupport.h"
#include "tests/support/TempDir.h"

using namespace tangrel::testaudio;
namespace fs = std::filesystem;

namespace {

double NoteFrequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  return out;
}

// Whether the program still runs; once it has ended, `status` tells how.
bool Alive(pid_t pid, int& status) { return pid > 0 && waitpid(pid, &status, WNOHANG) == 0; }

std::string Describe(int status) {
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  return "exit code " + std::to_string(WEXITSTATUS(status));
}

bool WaitFor(const std::function<bool()>& ready, std::chrono::seconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

int FreeDisplayNumber() {
  for (int n = 140 + getpid() % 40;; ++n) {
    if (!fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) &&
        !fs::exists("/tmp/.X" + std::to_string(n) + "-lock")) {
      return n;
    }
  }
}

// "Shift_L+a" -> " keydown Shift_L keydown a" and " keyup a keyup Shift_L".
std::pair<std::string, std::string> KeyChord(const std::string& chord) {
  std::string down, up, part;
  for (size_t i = 0; i <= chord.size(); ++i) {
    if (i < chord.size() && chord[i] != '+') {
      part += chord[i];
      continue;
    }
    down += " keydown " + part;
    up = " keyup " + part + up;
    part.clear();
  }
  return {down, up};
}

class PlayUnderX : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OnPath("Xvfb") && OnPath("xdotool")) << "run scripts/install-deps.sh";
    display_ = ":" + std::to_string(FreeDisplayNumber());
    xvfb_ = Spawn({"Xvfb", display_, "-screen", "0", "1280x800x24", "-nolisten", "tcp"}, {});
    // The socket appears before the server takes connections: wait until a
    // client gets an answer.
    ASSERT_TRUE(WaitFor([&] { return !Xdo("getdisplaygeometry").empty(); },
                        std::chrono::seconds(15)))
        << "Xvfb did not start on " << display_;
  }
  void TearDown() override {
    StopProcess(app_);
    StopProcess(xvfb_);
  }

  std::string Xdo(const std::string& args) {
    return Capture("DISPLAY=" + display_ + " xdotool " + args + " 2>/dev/null");
  }

  std::string display_;
  tangrel::testing::TempDir dir_{"tangrel-e2e"};
  pid_t xvfb_ = -1;
  pid_t app_ = -1;
};

}  // namespace

TEST_F(PlayUnderX, TypedKeysSoundTheirNotesThroughTheBuiltInSynthesizer) {
  const std::string wav = dir_.File("played.wav");
  const std::string log = dir_.File("tangrel.log");
  const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  app_ = Spawn({TANGREL_APP_PATH},
               {"DISPLAY=" + display_, "QT_QPA_PLATFORM=xcb", "TANGREL_AUDIO_DRIVER=file",
                "TANGREL_AUDIO_FILE=" + wav, "TANGREL_SPLASH_MS=0"},
               logFd, logFd);
  close(logFd);
  std::string window;
  int status = 0;
  bool alive = true;
  ASSERT_TRUE(WaitFor(
      [&] {
        window = Xdo("search --onlyvisible --name 'Tangrel - \\[Untitle\\]'");
        alive = Alive(app_, status);
        return !window.empty() || !alive;
      },
      std::chrono::seconds(30)));
  if (!alive) {
    app_ = -1;
    const std::vector<char> output = ReadAll(log);
    FAIL() << "Tangrel ended at start, " << Describe(status) << ":\n"
           << std::string(output.begin(), output.end());
  }
  window = window.substr(0, window.find('\n'));
  Xdo("windowfocus --sync " + window);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));

  // Each key held 0.35 s, then a second of silence.
  const std::vector<std::pair<std::string, int>> keys = {
      {"a", 60}, {"k", 72}, {"Shift_L+a", 72}, {"Control_L+a", 48}, {"z", 61}, {"slash", 76}};
  for (const auto& [chord, note] : keys) {
    const auto [down, up] = KeyChord(chord);
    Xdo("windowfocus --sync " + window + down);
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    Xdo(up.substr(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  }
  ASSERT_TRUE(Alive(app_, status)) << Describe(status);
  StopProcess(app_);
  app_ = -1;

  const WavSound sound = ReadWav(wav);
  ASSERT_GT(sound.rate, 0) << "no WAV written at " << wav;
  // Notes differ in loudness by a factor of two or so: a note begins where the
  // level rises above a fifth of the loudest 10 ms after 300 ms of quiet.
  double loudest = 0;
  const size_t frame = static_cast<size_t>(sound.rate / 100);
  for (size_t at = 0; at + frame <= sound.samples.size(); at += frame) {
    loudest = std::max(loudest, Rms(sound.samples, at, at + frame));
  }
  ASSERT_GT(loudest, 0.005) << "nothing was heard";
  const auto onsets = Onsets(sound.samples, sound.rate, loudest / 5, 30);
  std::string heard;
  for (size_t at : onsets) heard += " " + std::to_string(at * 1000 / sound.rate) + " ms";
  ASSERT_EQ(onsets.size(), keys.size()) << "notes began at" << heard;
  for (size_t i = 0; i < keys.size(); ++i) {
    const size_t from = onsets[i] + static_cast<size_t>(sound.rate * 0.04);
    const PitchEstimate pitch = EstimatePitch(sound.samples, sound.rate, from, 4096);
    ASSERT_GT(pitch.frequency, 0.0) << keys[i].first;
    EXPECT_NEAR(Cents(pitch.frequency, NoteFrequency(keys[i].second)), 0.0, 30.0)
        << keys[i].first << " sounded " << pitch.frequency << " Hz";
  }
}

TEST_F(PlayUnderX, AFileNamedOnTheCommandLinePlaysHalfASecondAfterTheWindowOpens) {
  // A in D major, held 300 ms: the file's mode sounds D.
  const std::vector<tangrel::PerformanceEvent> take = {{5, tangrel::WM_KEYDOWN, 30u << 16, 0},
                                                       {300, tangrel::WM_KEYUP, 30u << 16, 0}};
  const std::string file = dir_.File("start.tgi");
  ASSERT_EQ(tangrel::SavePerformanceFile(take.data(), 2, 1298, 0, file), nullptr);
  const std::string wav = dir_.File("played.wav");
  app_ = Spawn({TANGREL_APP_PATH, file},
               {"DISPLAY=" + display_, "QT_QPA_PLATFORM=xcb", "TANGREL_AUDIO_DRIVER=file",
                "TANGREL_AUDIO_FILE=" + wav, "TANGREL_SPLASH_MS=0"});
  ASSERT_TRUE(WaitFor([&] { return !Xdo("search --onlyvisible --name 'start.tgi'").empty(); },
                      std::chrono::seconds(30)));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  StopProcess(app_);
  app_ = -1;

  const WavSound sound = ReadWav(wav);
  ASSERT_GT(sound.rate, 0) << "no WAV written at " << wav;
  const auto onsets = Onsets(sound.samples, sound.rate, 0.005, 30);
  ASSERT_EQ(onsets.size(), 1u);
  // The sound file starts when the output opens, just before the file loads.
  const double startMs = 1000.0 * static_cast<double>(onsets[0]) / sound.rate;
  EXPECT_GT(startMs, 450.0);
  EXPECT_LT(startMs, 900.0);
  const PitchEstimate pitch = EstimatePitch(sound.samples, sound.rate,
                                            onsets[0] + static_cast<size_t>(sound.rate * 0.04), 4096);
  EXPECT_NEAR(Cents(pitch.frequency, NoteFrequency(62)), 0.0, 30.0) << pitch.frequency << " Hz";
}
