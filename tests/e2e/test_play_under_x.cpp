// A player at a real X display: Tangrel started under Xvfb, keys typed with
// xdotool, and the notes heard in the WAV the built-in synthesizer writes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/e2e/ProcessRunner.h"
#include "tests/support/AudioAnalysis.h"

using namespace tangrel::testing;
namespace fs = std::filesystem;

namespace {

int FreeDisplayNumber() {
  for (int n = 140 + getpid() % 40;; ++n) {
    if (!fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) &&
        !fs::exists("/tmp/.X" + std::to_string(n) + "-lock")) {
      return n;
    }
  }
}

bool WaitFor(const std::function<bool()>& ready, std::chrono::seconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

class PlayUnderX : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Capture("command -v Xvfb").empty()) << "Xvfb missing: run scripts/install-deps.sh";
    ASSERT_FALSE(Capture("command -v xdotool").empty()) << "xdotool missing";
    display_ = ":" + std::to_string(FreeDisplayNumber());
    ASSERT_TRUE(xvfb_.Start({"Xvfb", display_, "-screen", "0", "1280x800x24", "-nolisten", "tcp"}));
    const std::string socket = "/tmp/.X11-unix/X" + display_.substr(1);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(socket); }, std::chrono::seconds(10)));
    dir_ = fs::temp_directory_path() / ("tangrel-e2e-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    app_.Stop();
    xvfb_.Stop();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string Xdo(const std::string& args) {
    return Capture("DISPLAY=" + display_ + " xdotool " + args + " 2>/dev/null");
  }

  std::string display_;
  fs::path dir_;
  ChildProcess xvfb_;
  ChildProcess app_;
};

}  // namespace

TEST_F(PlayUnderX, TypedKeysSoundTheirNotesThroughTheBuiltInSynthesizer) {
  const fs::path wav = dir_ / "played.wav";
  ASSERT_TRUE(app_.Start({TANGREL_APP_PATH},
                         {"DISPLAY=" + display_, "QT_QPA_PLATFORM=xcb", "TANGREL_AUDIO_DRIVER=file",
                          "TANGREL_AUDIO_FILE=" + wav.string()}));
  std::string window;
  ASSERT_TRUE(WaitFor(
      [&] {
        window = Xdo("search --onlyvisible --name 'Tangrel - \\[Untitle\\]'");
        return !window.empty() || !app_.Running();
      },
      std::chrono::seconds(30)));
  ASSERT_TRUE(app_.Running()) << "Tangrel ended at start";
  window = window.substr(0, window.find('\n'));
  Xdo("windowfocus --sync " + window);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));

  // A, K, Shift+A, Ctrl+A, Z, slash: each held 0.35 s, then 1 s of silence.
  const std::vector<std::pair<std::string, int>> keys = {
      {"a", 60}, {"k", 72}, {"Shift_L+a", 72}, {"Control_L+a", 48}, {"z", 61}, {"slash", 76}};
  for (const auto& [key, note] : keys) {
    std::string down, up;
    for (size_t start = 0; start <= key.size();) {
      size_t plus = key.find('+', start);
      std::string part = key.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
      down += " keydown " + part;
      up = " keyup " + part + up;
      start = plus == std::string::npos ? key.size() + 1 : plus + 1;
    }
    Xdo("windowfocus --sync " + window + down);
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    Xdo(up.substr(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  }
  ASSERT_TRUE(app_.Running());
  app_.Stop();

  auto audio = ReadWav16(wav.string());
  ASSERT_TRUE(audio) << "no WAV written at " << wav;
  float peak = 0;
  for (float s : audio->samples) peak = std::max(peak, std::abs(s));
  ASSERT_GT(peak, 0.01f) << "nothing was heard";
  auto onsets = FindOnsets(*audio, peak * 0.05, 30);
  ASSERT_EQ(onsets.size(), keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    const size_t from = onsets[i] + static_cast<size_t>(audio->sampleRate * 0.04);
    const size_t length = static_cast<size_t>(audio->sampleRate * 0.2);
    ASSERT_LE(from + length, audio->samples.size());
    auto pitch = EstimatePitch(&audio->samples[from], length, audio->sampleRate);
    ASSERT_TRUE(pitch) << keys[i].first;
    EXPECT_NEAR(Cents(*pitch, NoteFrequency(keys[i].second)), 0.0, 30.0)
        << keys[i].first << " sounded " << *pitch << " Hz";
  }
}
