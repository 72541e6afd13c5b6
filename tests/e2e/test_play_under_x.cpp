// A player at a real X display: Tangrel started under Xvfb, keys typed and held
// with xdotool, and the notes heard in the WAV the built-in synthesizer writes;
// and a start without any display.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "files/PerformanceFile.h"
#include "tests/e2e/PlayerSupport.h"
#include "tests/support/AudioSupport.h"
#include "tests/support/TempDir.h"

using namespace tangrel::testaudio;
using namespace tangrel::e2e;

namespace {

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
    // Xvfb picks a free display number itself and writes it out once it
    // takes connections: no other test's server can be taken for ours.
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    xvfb_ = Spawn({"Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"},
                  {}, fds[1]);
    close(fds[1]);
    display_ = ":" + ReadLine(fds[0], std::chrono::seconds(15));
    close(fds[0]);
    ASSERT_GT(display_.size(), 1u) << "Xvfb did not start";
  }
  void TearDown() override {
    StopProcess(app_);
    StopProcess(xvfb_);
  }

  std::string Xdo(const std::string& args) {
    return Capture("DISPLAY=" + display_ + " xdotool " + args + " 2>/dev/null");
  }

  // Tangrel on the display, as a desktop starts it, its sound into wav_ and
  // what it says into log_; window_ focused once it shows.
  // Starts Tangrel with `file` on its command line, if any, and waits for the
  // window whose caption shows `title`.
  void Launch(const std::string& file = {}, const std::string& title = "Untitle") {
    const int logFd = open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::vector<std::string> argv = {TANGREL_APP_PATH};
    if (!file.empty()) argv.push_back(file);
    app_ = Spawn(argv,
                 {"DISPLAY=" + display_, "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + dir_.Path(),
                  "TANGREL_SOUNDFONT=" + kTestSoundFont, "TANGREL_AUDIO_DRIVER=file",
                  "TANGREL_AUDIO_FILE=" + wav_, "TANGREL_SPLASH_MS=0"},
                 logFd, logFd);
    close(logFd);
    int status = 0;
    bool alive = true;
    ASSERT_TRUE(WaitFor(
        [&] {
          window_ = Xdo("search --onlyvisible --name 'Tangrel - \\[.*" + title + "\\]'");
          alive = Alive(app_, status);
          return !window_.empty() || !alive;
        },
        std::chrono::seconds(30)));
    if (!alive) {
      app_ = -1;
      FAIL() << "Tangrel ended at start, " << Describe(status) << ":\n" << Said();
    }
    window_ = window_.substr(0, window_.find('\n'));
    Xdo("windowfocus --sync " + window_);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }

  // Ends Tangrel, which must still run, and reads what it played.
  WavSound Finish() {
    int status = 0;
    EXPECT_TRUE(Alive(app_, status)) << Describe(status);
    StopProcess(app_);
    app_ = -1;
    return ReadWav(wav_);
  }

  std::string Said() const {
    const std::vector<char> output = ReadAll(log_);
    return std::string(output.begin(), output.end());
  }

  std::string display_;
  tangrel::testing::TempDir dir_{"tangrel-e2e"};
  const std::string wav_ = dir_.File("played.wav");
  const std::string log_ = dir_.File("tangrel.log");
  std::string window_;
  pid_t xvfb_ = -1;
  pid_t app_ = -1;
};

}  // namespace

TEST_F(PlayUnderX, TypedKeysSoundTheirNotesThroughTheBuiltInSynthesizer) {
  ASSERT_NO_FATAL_FAILURE(Launch());

  // Each key held 0.35 s, then a second of silence.
  const std::vector<std::pair<std::string, int>> keys = {
      {"a", 60}, {"k", 72}, {"Shift_L+a", 72}, {"Control_L+a", 48}, {"z", 61}, {"slash", 76}};
  for (const auto& [chord, note] : keys) {
    const auto [down, up] = KeyChord(chord);
    Xdo("windowfocus --sync " + window_ + down);
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    Xdo(up.substr(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  }
  const WavSound sound = Finish();
  // Neither the start (alsa-lib, libjack and RtMidi find no MIDI system here)
  // nor playing has anything to say.
  EXPECT_EQ(Said(), "");
  ASSERT_GT(sound.rate, 0) << "no WAV written at " << wav_;

  const auto onsets = NoteStarts(sound);
  ASSERT_EQ(onsets.size(), keys.size()) << "notes began at" << Times(onsets, sound.rate);
  for (size_t i = 0; i < keys.size(); ++i) {
    const size_t from = onsets[i] + static_cast<size_t>(sound.rate * 0.04);
    const PitchEstimate pitch = EstimatePitch(sound.samples, sound.rate, from);
    ASSERT_GT(pitch.frequency, 0.0) << keys[i].first;
    EXPECT_NEAR(Cents(pitch.frequency, NoteFrequency(keys[i].second)), 0.0, 10.0)
        << keys[i].first << " sounded " << pitch.frequency << " Hz";
  }
}

// Past the X server's auto-repeat delay a held key is repeated; a repeat must
// neither strike the note again nor, once Shift is up, drop the chord an
// octave. Qt's repeat mark goes missing on a busy machine: a core is kept busy
// for the second pair of holds.
TEST_F(PlayUnderX, AHeldKeyStrikesOnceAndKeepsItsShiftEvenWithACoreBusy) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  const std::function<void()> holdA = [&] {
    Xdo("windowfocus --sync " + window_ + " keydown a");
    std::this_thread::sleep_for(std::chrono::seconds(3));
    Xdo("keyup a");
  };
  const std::function<void()> holdShiftA = [&] {
    Xdo("windowfocus --sync " + window_ + " keydown Shift_L keydown a");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Xdo("keyup Shift_L");
    std::this_thread::sleep_for(std::chrono::milliseconds(2800));
    Xdo("keyup a");
  };
  const auto holdBoth = [&] {
    for (const auto& hold : {holdA, holdShiftA}) {
      hold();
      std::this_thread::sleep_for(std::chrono::milliseconds(800));
    }
  };
  holdBoth();
  {
    ScopedProcess busy(Spawn({"sh", "-c", "while :; do :; done"}, {}));
    holdBoth();
  }
  const WavSound sound = Finish();
  const auto onsets = NoteStarts(sound);
  const int notes[] = {60, 72, 60, 72};
  ASSERT_EQ(onsets.size(), std::size(notes)) << "notes began at" << Times(onsets, sound.rate);

  // The file driver's clock runs a little slow: 2.4 s of sound lie well
  // inside a 3 s hold.
  const size_t frame = static_cast<size_t>(sound.rate / 50);
  for (size_t i = 0; i < onsets.size(); ++i) {
    const size_t end = onsets[i] + static_cast<size_t>(sound.rate * 2.4);
    EXPECT_LT(RiseWithin(sound, onsets[i], 2.4), 1.5) << "hold " << i << " was struck again";
    for (size_t at = onsets[i] + frame * 5; at + 8192 < end; at += sound.rate / 2) {
      const PitchEstimate pitch = EstimatePitch(sound.samples, sound.rate, at);
      EXPECT_NEAR(Cents(pitch.frequency, NoteFrequency(notes[i])), 0.0, 10.0)
          << "hold " << i << " sounded " << pitch.frequency << " Hz after "
          << (at - onsets[i]) * 1000 / size_t(sound.rate) << " ms";
    }
  }
}

// Without a display there is nothing to show: one line says so, and the exit
// code is 1 rather than Qt's abort.
TEST(NoDisplay, OneLineSaysSoAndTheExitCodeIs1) {
  tangrel::testing::TempDir dir("tangrel-e2e");
  for (const std::string display : {"", ":65000"}) {
    const std::string log = dir.File("said.txt");
    const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t app = Spawn({TANGREL_APP_PATH}, {"DISPLAY=" + display, "WAYLAND_DISPLAY=",
                                                 "QT_QPA_PLATFORM=", "XDG_RUNTIME_DIR=" + dir.Path()},
                            -1, logFd);
    close(logFd);
    int status = 0;
    if (!WaitFor([&] { return !Alive(app, status); }, std::chrono::seconds(10))) {
      StopProcess(app);
      FAIL() << "Tangrel still ran without a display";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << Describe(status);
    const std::vector<char> bytes = ReadAll(log);
    const std::string said(bytes.begin(), bytes.end());
    EXPECT_EQ(said.rfind("tangrel: no display could be opened", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
}

TEST_F(PlayUnderX, AFileNamedOnTheCommandLinePlaysHalfASecondAfterTheWindowOpens) {
  // A in D major, held 300 ms: the file's mode sounds D.
  const std::vector<tangrel::PerformanceEvent> take = {{5, tangrel::WM_KEYDOWN, 30u << 16, 0},
                                                       {300, tangrel::WM_KEYUP, 30u << 16, 0}};
  const std::string file = dir_.File("start.tgi");
  ASSERT_EQ(tangrel::SavePerformanceFile(take.data(), 2, 1298, 0, file), nullptr);
  ASSERT_NO_FATAL_FAILURE(Launch(file, "start.tgi"));
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  StopProcess(app_);
  app_ = -1;

  const WavSound sound = ReadWav(wav_);
  ASSERT_GT(sound.rate, 0) << "no WAV written at " << wav_;
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
