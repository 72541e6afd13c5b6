// SPDX-License-Identifier: GPL-3.0-or-later
// A player at a real X display: Tangrel started under Xvfb, keys typed and held
// with xdotool, and the notes heard in the WAV the built-in synthesizer writes;
// a recorded take that outlives kill -9, SIGTERM and the X server's end; and a
// start without any display.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "files/PerformanceFile.h"
#include "recording/RecordingJournal.h"
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
    xvfb_ = StartXvfb(display_);
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
  // `answerAtStart`, when given, is typed into the question the start asks
  // (a take to recover) before the window shows.
  void Launch(const std::string& file = {}, const std::string& title = "Untitle",
              const std::string& answerAtStart = {}) {
    const int logFd = open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::vector<std::string> argv = {TANGREL_APP_PATH};
    if (!file.empty()) argv.push_back(file);
    app_ = Spawn(argv,
                 {"DISPLAY=" + display_, "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + dir_.Path(),
                  "XDG_STATE_HOME=" + dir_.Path(),
                  "TANGREL_SOUNDFONT=" + kTestSoundFont, "TANGREL_AUDIO_DRIVER=file",
                  "TANGREL_AUDIO_FILE=" + wav_, "TANGREL_SPLASH_MS=0"},
                 logFd, logFd);
    close(logFd);
    int status = 0;
    bool alive = true;
    if (!answerAtStart.empty()) {
      std::string box;
      ASSERT_TRUE(WaitFor([&] { return !(box = Xdo("search --onlyvisible --name '^TG$'")).empty(); },
                          std::chrono::seconds(30)))
          << "no question at start:\n" << Said();
      Xdo("windowfocus --sync " + box.substr(0, box.find('\n')) + " key " + answerAtStart);
    }
    ASSERT_TRUE(WaitFor(
        [&] {
          window_ = Xdo("search --onlyvisible --name 'Tangrel - \\[.*" + title + "\\]'");
          alive = Alive(app_, status);
          return !window_.empty() || !alive;
        },
        std::chrono::seconds(30)))
        << "no window \"" << title << "\"; the windows shown: "
        << Xdo("search --onlyvisible --name '.'") << "; named Tangrel, shown or not: "
        << Xdo("search --name 'Tangrel'") << "\n" << Said() << StacksOf(app_);
    if (!alive) {
      app_ = -1;
      FAIL() << "Tangrel ended at start, " << Describe(status) << ":\n" << Said();
    }
    window_ = window_.substr(0, window_.find('\n'));
    Xdo("windowfocus --sync " + window_);
    // Keys count once the sound output plays.
    WaitForSound(wav_, [](const WavSound& sound) { return sound.rate > 0; });
  }

  // The program's windows on show, one id a line; waits until there are
  // `count` of them and they differ from `before`.
  std::string Shown() { return Xdo("search --onlyvisible --pid " + std::to_string(app_)); }
  std::string WaitForWindows(size_t count, const std::string& before = {}) {
    std::string shown;
    WaitFor(
        [&] {
          shown = Shown();
          return size_t(std::count(shown.begin(), shown.end(), '\n')) == count && shown != before;
        },
        std::chrono::seconds(10));
    return shown;
  }

  // Holds `keys` (xdotool names, "+" between) until the `count`th note has
  // sounded `ms`, then waits for quiet after it.
  void Strike(const std::string& keys, size_t count, int ms = 250) {
    const auto [down, up] = KeyChord(keys);
    Xdo("windowfocus --sync " + window_ + down);
    WaitForSound(wav_, [&](const WavSound& sound) { return Heard(sound, count, ms); });
    Xdo(up.substr(1));
    WaitForSound(wav_, [](const WavSound& sound) { return Quiet(sound); });
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

  // Where each thread of a program that hangs stands, where gdb is there.
  static std::string StacksOf(pid_t pid) {
    if (!OnPath("gdb")) return "";
    return "\n" + Capture("gdb -p " + std::to_string(pid) +
                          " -batch -ex 'thread apply all bt 12' 2>/dev/null | grep '^#\\|^Thread'");
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

  // Each key held until its note is heard, then quiet before the next.
  const std::vector<std::pair<std::string, int>> keys = {
      {"a", 60}, {"k", 72}, {"Shift_L+a", 72}, {"Control_L+a", 48}, {"z", 61}, {"slash", 76}};
  for (size_t i = 0; i < keys.size(); ++i) Strike(keys[i].first, i + 1);
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
// for the second pair of holds. The server repeats after 150 ms here, so a
// hold of 0.8 s brings some twenty repeats, Shift's release among them.
TEST_F(PlayUnderX, AHeldKeyStrikesOnceAndKeepsItsShiftEvenWithACoreBusy) {
  StopProcess(xvfb_);
  xvfb_ = StartXvfb(display_, 150);
  ASSERT_GT(display_.size(), 1u) << "Xvfb did not start";
  ASSERT_NO_FATAL_FAILURE(Launch());
  size_t held = 0;
  const auto soundedFor = [&](int ms) {
    WaitForSound(wav_, [&](const WavSound& sound) { return Heard(sound, held, ms); });
  };
  const std::function<void()> holdA = [&] {
    Xdo("windowfocus --sync " + window_ + " keydown a");
    soundedFor(800);
    Xdo("keyup a");
  };
  const std::function<void()> holdShiftA = [&] {
    Xdo("windowfocus --sync " + window_ + " keydown Shift_L keydown a");
    soundedFor(250);
    Xdo("keyup Shift_L");
    soundedFor(800);
    Xdo("keyup a");
  };
  const auto holdBoth = [&] {
    for (const auto& hold : {holdA, holdShiftA}) {
      ++held;
      hold();
      WaitForSound(wav_, [](const WavSound& sound) { return Quiet(sound); });
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

  // Each key was held until 0.8 s of its note had been written.
  const size_t frame = static_cast<size_t>(sound.rate / 50);
  for (size_t i = 0; i < onsets.size(); ++i) {
    const size_t end = onsets[i] + static_cast<size_t>(sound.rate * 0.8);
    EXPECT_LT(RiseWithin(sound, onsets[i], 0.8), 1.5) << "hold " << i << " was struck again";
    for (size_t at = onsets[i] + frame * 5; at + 8192 < end; at += sound.rate / 4) {
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

// Asking for help or the version needs no display and opens none.
TEST(NoDisplay, HelpAndVersionPrintAndExit) {
  const std::string app = TANGREL_APP_PATH;
  EXPECT_EQ(Capture("DISPLAY= WAYLAND_DISPLAY= " + app + " --help").rfind("usage: tangrel ", 0), 0u);
  EXPECT_EQ(Capture("DISPLAY= WAYLAND_DISPLAY= " + app + " --version; echo $?"),
            "tangrel " TANGREL_VERSION "\n0\n");
}

TEST_F(PlayUnderX, AFileNamedOnTheCommandLinePlaysHalfASecondAfterTheWindowOpens) {
  // A in D major, held 300 ms: the file's mode sounds D.
  const std::vector<tangrel::PerformanceEvent> take = {{5, tangrel::WM_KEYDOWN, 30u << 16, 0},
                                                       {300, tangrel::WM_KEYUP, 30u << 16, 0}};
  const std::string file = dir_.File("start.tgi");
  ASSERT_FALSE(tangrel::SavePerformanceFile(take.data(), 2, 1298, 0, file));
  ASSERT_NO_FATAL_FAILURE(Launch(file, "start.tgi"));
  WaitForSound(wav_, [](const WavSound& sound) { return Heard(sound, 1, 250); });
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

namespace {

// The same display with a window manager, which gives focus back after menus
// and dialogs as a desktop does.
class PlayUnderOpenbox : public PlayUnderX {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(PlayUnderX::SetUp());
    ASSERT_TRUE(OnPath("openbox")) << "run scripts/install-deps.sh";
    // openbox runs its start-up command once it manages windows: a window
    // mapped while it still starts may never be shown.
    const std::string ready = dir_.File("openbox-ready");
    openbox_ = Spawn({"openbox", "--sm-disable", "--startup", "touch " + ready},
                     {"DISPLAY=" + display_});
    ASSERT_TRUE(WaitFor([&] { return access(ready.c_str(), F_OK) == 0; }, std::chrono::seconds(10)))
        << "openbox did not start";
  }
  void TearDown() override {
    StopProcess(app_);
    app_ = -1;
    StopProcess(openbox_);
    PlayUnderX::TearDown();
  }

  // A click at a place of the window, in its own coordinates, that opens or
  // closes a menu: the program then shows `windows` windows.
  void ClickAt(int x, int y, size_t windows) {
    const std::string before = Shown();
    Xdo("mousemove --window " + window_ + " " + std::to_string(x) + " " + std::to_string(y) +
        " click 1");
    WaitForWindows(windows, before);
  }

  pid_t openbox_ = -1;
};

// Where the Switch menu's title and its first item, Open, stand in the window.
constexpr int kMenuTitleX = 20, kMenuTitleY = 10, kFirstItemY = 29;

}  // namespace

// R R would begin a recording and H H open the manual if the menu bar kept the
// keyboard after a menu or a dialog closed; a key held while a menu item is
// chosen must not strike again.
TEST_F(PlayUnderOpenbox, KeysPlayRightAfterAMenuClosesAndAHeldKeyOutlivesAMenuChoice) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  ClickAt(kMenuTitleX, kMenuTitleY, 2);
  Xdo("key Escape");
  WaitForWindows(1);
  Strike("h", 1);
  // The same after a dialog: About, chosen with Alt+H A and closed with Esc.
  Xdo("key alt+h");
  const std::string menu = WaitForWindows(2);
  Xdo("key a");
  WaitForWindows(2, menu);
  Xdo("key Escape");
  WaitForWindows(1);
  Strike("h", 2);
  EXPECT_EQ(Xdo("search --onlyvisible --name 'Tangrel Help'"), "") << "the manual opened";

  // Held past the server's repeat delay (660 ms) after the menu item is chosen.
  Xdo("keydown a");
  WaitForSound(wav_, [](const WavSound& sound) { return Heard(sound, 3, 0); });
  ClickAt(kMenuTitleX, kMenuTitleY, 2);
  ClickAt(kMenuTitleX + 20, kFirstItemY, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  Xdo("keyup a");

  const WavSound sound = Finish();
  const auto onsets = NoteStarts(sound);
  const int notes[] = {69, 69, 60};
  ASSERT_EQ(onsets.size(), std::size(notes)) << "notes began at" << Times(onsets, sound.rate);
  for (size_t i = 0; i < onsets.size(); ++i) {
    const size_t from = onsets[i] + static_cast<size_t>(sound.rate * 0.04);
    const PitchEstimate pitch = EstimatePitch(sound.samples, sound.rate, from);
    EXPECT_NEAR(Cents(pitch.frequency, NoteFrequency(notes[i])), 0.0, 10.0) << i;
  }
  EXPECT_LT(RiseWithin(sound, onsets[2], 1.0), 1.5)
      << "the held key was struck again";
}

TEST_F(PlayUnderOpenbox, ClosingTheMainWindowEndsTheProgramWithTheManualMinimised) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  Xdo("key alt+h");
  WaitForWindows(2);
  Xdo("key Return");
  std::string help;
  ASSERT_TRUE(WaitFor(
      [&] { return !(help = Xdo("search --onlyvisible --name 'Tangrel Help'")).empty(); },
      std::chrono::seconds(10)));
  Xdo("windowminimize --sync " + help.substr(0, help.find('\n')));
  Xdo("windowactivate --sync " + window_ + " key alt+F4");
  int status = 0;
  EXPECT_TRUE(WaitFor([&] { return !Alive(app_, status); }, std::chrono::seconds(10)))
      << "Tangrel still runs";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << Describe(status);
  app_ = -1;
}

// Before the main window shows, a box has no window to stand on: it is centred
// on the 1280 x 800 screen rather than put in its corner.
TEST_F(PlayUnderX, ABoxBeforeTheWindowShowsIsCentredOnTheScreen) {
  app_ = Spawn({TANGREL_APP_PATH, dir_.File("missing.tgi")},
               {"DISPLAY=" + display_, "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + dir_.Path(),
                "TANGREL_SOUNDFONT=" + kTestSoundFont, "TANGREL_AUDIO_DRIVER=file",
                "TANGREL_AUDIO_FILE=" + wav_, "TANGREL_SPLASH_MS=0"});
  std::string box;
  ASSERT_TRUE(WaitFor(
      [&] { return !(box = Xdo("search --onlyvisible --name '^TG$'")).empty(); },
      std::chrono::seconds(30)));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  int x = -1, y = -1, width = 0, height = 0;
  const std::string shape = Xdo("getwindowgeometry --shell " + box.substr(0, box.find('\n')));
  ASSERT_EQ(std::sscanf(shape.c_str(), "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &x, &y, &width,
                        &height), 4) << shape;
  // Qt leaves room above for a title bar that a window manager would add.
  EXPECT_NEAR(x + width / 2, 640, 50) << shape;
  EXPECT_NEAR(y + height / 2, 400, 50) << shape;
}

// A take recorded in the window: Begin to Record from the Record menu, then
// keys typed one by one, each a press and a release.
class TakeUnderX : public PlayUnderX {
 protected:
  static constexpr const char* kKeys[] = {"a", "s", "d", "f", "g"};  // scan codes 30..34

  // Each key is typed once the journal on disk holds the one before.
  void RecordKeys(size_t count, bool finish) {
    Xdo("windowfocus --sync " + window_ + " key alt+r");
    WaitForWindows(2);
    Xdo("key r");
    WaitForWindows(1);
    for (size_t i = 0; i < count; ++i) {
      Xdo("windowfocus --sync " + window_ + " key " + kKeys[i]);
      ASSERT_TRUE(WaitFor([&] { return JournaledEvents() == 2 * (i + 1); }, std::chrono::seconds(10)))
          << JournaledEvents() << " events journaled after key " << i;
    }
    if (finish) {
      Xdo("windowfocus --sync " + window_ + " key alt+r");
      WaitForWindows(2);
      Xdo("key e");
      WaitForWindows(1);
    }
  }

  // The events in the journal of the running program, read past its lock.
  size_t JournaledEvents() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.File("tangrel"), error)) {
      const std::vector<char> bytes = ReadAll(entry.path().string());
      const auto take = tangrel::ParseJournal(reinterpret_cast<const uint8_t*>(bytes.data()),
                                              bytes.size());
      if (take) return take->events.size();
    }
    return 0;
  }

  std::vector<tangrel::LeftTake> LeftTakes() { return tangrel::FindLeftJournals(dir_.File("tangrel")).takes; }

  // The take left behind holds exactly the first `count` keys, pressed and released.
  void ExpectLeftTakeOf(size_t count) {
    const auto takes = LeftTakes();
    ASSERT_EQ(takes.size(), 1u) << Said();
    const auto& events = takes[0].events;
    ASSERT_EQ(events.size(), 2 * count);
    for (size_t i = 0; i < events.size(); ++i) {
      EXPECT_EQ(events[i].message, i % 2 ? tangrel::WM_KEYUP : tangrel::WM_KEYDOWN) << i;
      EXPECT_EQ(tangrel::ScanCodeOf(events[i].keyData), 30 + i / 2) << i;
    }
  }

  // Waits for the program to end by itself; false after `timeout`.
  bool Ended(std::chrono::milliseconds timeout, int& status) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      if (waitpid(app_, &status, WNOHANG) == app_) {
        app_ = -1;
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
};

TEST_F(TakeUnderX, KillNineLosesNoEventAndTheNextStartRecoversThem) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_NO_FATAL_FAILURE(RecordKeys(5, false));
  kill(app_, SIGKILL);
  waitpid(app_, nullptr, 0);
  app_ = -1;
  ASSERT_NO_FATAL_FAILURE(ExpectLeftTakeOf(5));

  // Yes (Return) at the question: the take is the window's unsaved one,
  // its journal held by the running program and offered to nobody else.
  ASSERT_NO_FATAL_FAILURE(Launch({}, "Untitle", "Return"));
  EXPECT_TRUE(LeftTakes().empty());
  // Ended by a signal, unsaved: the recovered take is still all there.
  kill(app_, SIGTERM);
  int status = 0;
  ASSERT_TRUE(Ended(std::chrono::seconds(5), status));
  ASSERT_NO_FATAL_FAILURE(ExpectLeftTakeOf(5));
}

TEST_F(TakeUnderX, SigtermEndsAtOnceWithoutABoxAndLeavesTheUnsavedTake) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_NO_FATAL_FAILURE(RecordKeys(3, true));
  const auto sent = std::chrono::steady_clock::now();
  kill(app_, SIGTERM);
  int status = 0;
  ASSERT_TRUE(Ended(std::chrono::seconds(1), status)) << "still running a second later";
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - sent).count();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << Describe(status);
  EXPECT_TRUE(Xdo("search --onlyvisible --name '^TG$'").empty());
  ASSERT_NO_FATAL_FAILURE(ExpectLeftTakeOf(3));
  std::printf("SIGTERM to exit: %lld ms\n", static_cast<long long>(ms));
}

TEST_F(TakeUnderX, TheXServerKilledUnderTheProgramLeavesTheTake) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_NO_FATAL_FAILURE(RecordKeys(4, false));
  kill(xvfb_, SIGKILL);
  waitpid(xvfb_, nullptr, 0);
  xvfb_ = -1;
  int status = 0;
  ASSERT_TRUE(Ended(std::chrono::seconds(5), status)) << "still running without its display";
  ASSERT_NO_FATAL_FAILURE(ExpectLeftTakeOf(4));
}

// The save prompt of Load is open when the signal comes: its loop ends from
// outside, which counts as Cancel, never as "throw the take away".
TEST_F(TakeUnderX, ASignalWhileTheSavePromptIsOpenKeepsTheTake) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_NO_FATAL_FAILURE(RecordKeys(2, true));
  Xdo("windowfocus --sync " + window_ + " key alt+r");
  WaitForWindows(2);
  Xdo("key Up Return");  // Load, the menu's last item ("l" is Circle Play's too)
  ASSERT_TRUE(WaitFor([&] { return !Xdo("search --onlyvisible --name '^TG$'").empty(); },
                      std::chrono::seconds(10)));
  kill(app_, SIGHUP);
  int status = 0;
  ASSERT_TRUE(Ended(std::chrono::seconds(1), status)) << "still running a second later";
  ASSERT_NO_FATAL_FAILURE(ExpectLeftTakeOf(2));
}
