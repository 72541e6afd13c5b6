// SPDX-License-Identifier: GPL-3.0-or-later
// A player at a Wayland desktop: Tangrel under a headless sway, natively and
// through XWayland, typed on by a virtual keyboard that uploads the
// evdev/pc105 keymap of a layout and sends raw evdev codes, as a real keyboard
// does; the notes heard in the WAV the built-in synthesizer writes, and the
// windows seen in sway's tree.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <glob.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/e2e/PlayerSupport.h"
#include "tests/support/TempDir.h"

using namespace tangrel::testaudio;
using namespace tangrel::e2e;

namespace {

constexpr uid_t kNobody = 65534;

// A window as sway shows it; the workspace comes as one too.
struct View {
  std::string kind, appId, shell;
  int x = 0, y = 0, width = 0, height = 0;
  std::string border;
  int titleHeight = 0;
  std::string title;
};

// Each window and the focused workspace, one tab-separated line apiece.
constexpr const char* kTreeLines = R"(
import json, sys
def walk(node):
    r = node["rect"]
    if node.get("pid") or (node["type"] == "workspace" and not node["name"].startswith("__")):
        print("\t".join(str(v) for v in [node["type"], node.get("app_id") or "-", node.get("shell") or "-",
              r["x"], r["y"], r["width"], r["height"], node.get("border") or "-",
              node.get("deco_rect", {}).get("height", 0), node.get("name") or "-"]))
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))
)";

std::string First(const std::string& pattern) {
  glob_t found{};
  std::string path;
  if (glob(pattern.c_str(), 0, nullptr, &found) == 0 && found.gl_pathc > 0) path = found.gl_pathv[0];
  globfree(&found);
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// The accessible name of the key that sounds middle C, as a screen reader
// reads it from the accessibility bus.
constexpr const char* kMiddleCName = R"(
import pyatspi
for app in pyatspi.Registry.getDesktop(0):
    if app is None or app.name != "tangrel":
        continue
    stack = list(app)
    while stack:
        node = stack.pop()
        if node is None:
            continue
        if node.name.endswith(", degree 1, C4"):
            print(node.name)
        stack.extend(node)
)";

// Evdev codes of the keys typed.
constexpr int kA = 30, kK = 37, kZ = 44, kSlash = 53, kShift = 42;

struct Stroke {
  std::vector<int> keys;  // pressed in order, released in reverse
  int note;
};

// Each stroke held 350 ms, then a second of quiet.
std::vector<std::string> Steps(const std::vector<Stroke>& strokes) {
  std::vector<std::string> steps;
  for (const Stroke& stroke : strokes) {
    for (int key : stroke.keys) steps.push_back("+" + std::to_string(key));
    steps.push_back("350");
    for (auto key = stroke.keys.rbegin(); key != stroke.keys.rend(); ++key) {
      steps.push_back("-" + std::to_string(*key));
    }
    steps.push_back("1000");
  }
  steps.push_back("1500");  // the file driver's clock runs behind: the last note reaches the file
  return steps;
}

class PlayUnderWayland : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnPath("sway")) GTEST_SKIP() << "sway is not installed (scripts/install-deps.sh installs it)";
    if (!*TANGREL_VIRTUAL_KEYBOARD_PATH) {
      GTEST_SKIP() << "the virtual keyboard was not built (no wayland-client or xkbcommon)";
    }
    // sway refuses to run as root: it and its clients run as nobody, from a
    // runtime folder of theirs, with copies of the programs (a build under
    // /root is out of their reach).
    if (getuid() == 0) {
      asUser_ = {"setpriv", "--reuid=" + std::to_string(kNobody),
                 "--regid=" + std::to_string(kNobody), "--clear-groups", "--"};
      ASSERT_EQ(chown(dir_.Path().c_str(), kNobody, kNobody), 0);
      // XWayland listens in the X socket folder, which only root may make
      // (a fresh /tmp has none).
      mkdir("/tmp/.X11-unix", 01777);
      chmod("/tmp/.X11-unix", 01777);
    }
    namespace fs = std::filesystem;
    fs::copy_file(TANGREL_APP_PATH, app_);
    fs::copy_file(TANGREL_VIRTUAL_KEYBOARD_PATH, keyboard_);
    std::ofstream(dir_.File("config")) << "xwayland enable\n"
                                       << "exec sh -c 'echo \"$DISPLAY\" > " << dir_.File("x-display")
                                       << "'\n";
    for (const std::string& file : {app_, keyboard_, dir_.File("config")}) {
      if (getuid() == 0) {
        ASSERT_EQ(chown(file.c_str(), kNobody, kNobody), 0);
      }
    }
    const int logFd = open(dir_.File("sway.log").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    sway_ = Spawn(AsUser({"sway", "-c", dir_.File("config")}),
                  {"XDG_RUNTIME_DIR=" + dir_.Path(), "HOME=" + dir_.Path(), "WLR_BACKENDS=headless",
                   "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1", "WAYLAND_DISPLAY=",
                   "DISPLAY="},
                  logFd, logFd);
    close(logFd);
    ASSERT_TRUE(WaitFor(
        [&] {
          socket_ = First(dir_.File("wayland-[0-9]"));
          ipc_ = First(dir_.File("sway-ipc.*.sock"));
          xDisplay_ = ReadFile(dir_.File("x-display"));
          return !socket_.empty() && !ipc_.empty() && !xDisplay_.empty();
        },
        std::chrono::seconds(20)))
        << "sway did not start:\n" << ReadFile(dir_.File("sway.log"));
    socket_ = socket_.substr(socket_.rfind('/') + 1);
    xDisplay_ = xDisplay_.substr(0, xDisplay_.find('\n'));
  }
  void TearDown() override {
    StopProcess(app_pid_);
    StopProcess(atSpi_);
    StopProcess(bus_);
    StopProcess(sway_);
  }

  // A D-Bus session of the compositor's user with the accessibility bus on
  // it; gives the environment that puts a program on it.
  std::vector<std::string> StartAccessibilityBus() {
    const std::vector<std::string> env = {"DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir_.File("bus"),
                                          "XDG_RUNTIME_DIR=" + dir_.Path(), "HOME=" + dir_.Path(),
                                          "DISPLAY=", "WAYLAND_DISPLAY="};
    bus_ = Spawn(AsUser({"dbus-daemon", "--session", "--nofork", "--nopidfile",
                         "--address=" + env[0].substr(env[0].find('=') + 1)}),
                 env);
    EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(dir_.File("bus")); },
                        std::chrono::seconds(10)));
    atSpi_ = Spawn(AsUser({"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"}), env);
    const std::vector<std::string> owned = AsUser(
        {"dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/",
         "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"});
    EXPECT_TRUE(WaitFor([&] { return RunProgram(owned, env).out.find("true") != std::string::npos; },
                        std::chrono::seconds(10)));
    return {env[0], "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"};
  }
  // With what went wrong, if anything.
  std::string MiddleCName() const {
    const ProgramOutput read = RunProgram(
        AsUser({"sh", "-c", "python3 -c \"$0\" 2>&1", kMiddleCName}),
        {"DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir_.File("bus"), "HOME=" + dir_.Path(),
         "XDG_RUNTIME_DIR=" + dir_.Path()},
        10000);
    return read.out;
  }

  std::vector<std::string> AsUser(const std::vector<std::string>& argv) const {
    std::vector<std::string> all = asUser_;
    all.insert(all.end(), argv.begin(), argv.end());
    return all;
  }

  std::vector<View> Views() const {
    std::vector<View> views;
    std::istringstream lines(Capture("swaymsg -s " + Quoted(ipc_) + " -t get_tree 2>/dev/null"
                                     " | python3 -c " + Quoted(kTreeLines)));
    for (std::string line; std::getline(lines, line);) {
      std::vector<std::string> f;
      std::istringstream fields(line);
      for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
      if (f.size() < 10) continue;
      views.push_back({f[0], f[1], f[2], std::stoi(f[3]), std::stoi(f[4]), std::stoi(f[5]),
                       std::stoi(f[6]), f[7], std::stoi(f[8]), f[9]});
    }
    return views;
  }
  std::optional<View> Find(const std::function<bool(const View&)>& wanted) const {
    for (const View& view : Views()) {
      if (wanted(view)) return view;
    }
    return std::nullopt;
  }
  static bool IsMainWindow(const View& view) { return view.title.rfind("Tangrel - [", 0) == 0; }

  // Tangrel on the compositor as a Wayland desktop starts it, with `extra`
  // in its environment.
  void Start(const std::vector<std::string>& extra) {
    const int logFd = open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::vector<std::string> env = {
        "XDG_RUNTIME_DIR=" + dir_.Path(), "HOME=" + dir_.Path(), "WAYLAND_DISPLAY=" + socket_,
        "DISPLAY=" + xDisplay_, "QT_QPA_PLATFORM=", "XDG_SESSION_TYPE=",
        "TANGREL_SOUNDFONT=" + kTestSoundFont, "TANGREL_AUDIO_DRIVER=file",
        "TANGREL_AUDIO_FILE=" + wav_, "TANGREL_SPLASH_MS=0"};
    for (const std::string& e : extra) {
      const std::string name = e.substr(0, e.find('=') + 1);
      env.erase(std::remove_if(env.begin(), env.end(),
                               [&](const std::string& o) { return o.rfind(name, 0) == 0; }),
                env.end());
      env.push_back(e);
    }
    app_pid_ = Spawn(AsUser({app_}), env, logFd, logFd);
    close(logFd);
  }

  // Starts Tangrel and returns once its main window shows.
  void Launch(const std::vector<std::string>& extra = {}) {
    Start(extra);
    int status = 0;
    bool alive = true;
    ASSERT_TRUE(WaitFor(
        [&] {
          alive = Alive(app_pid_, status);
          return !alive || Find(IsMainWindow);
        },
        std::chrono::seconds(30)))
        << "no window:\n" << Said();
    if (!alive) {
      app_pid_ = -1;
      FAIL() << "Tangrel ended at start, " << Describe(status) << ":\n" << Said();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }

  // The virtual keyboard types `steps` in `layout`.
  void Type(const std::string& layout, const std::vector<std::string>& steps) {
    std::vector<std::string> argv = AsUser({keyboard_, layout});
    argv.insert(argv.end(), steps.begin(), steps.end());
    const ProgramOutput typed = RunProgram(
        argv, {"XDG_RUNTIME_DIR=" + dir_.Path(), "WAYLAND_DISPLAY=" + socket_}, 60000);
    ASSERT_EQ(typed.exitCode, 0) << "the virtual keyboard failed";
  }

  // Ends Tangrel, which must still run, and reads what it played.
  WavSound Finish() {
    int status = 0;
    EXPECT_TRUE(Alive(app_pid_, status)) << Describe(status) << ":\n" << Said();
    StopProcess(app_pid_);
    app_pid_ = -1;
    return ReadWav(wav_);
  }

  void ExpectNotes(const WavSound& sound, const std::vector<Stroke>& strokes,
                   const std::string& layout) {
    ASSERT_GT(sound.rate, 0) << "no WAV written at " << wav_;
    const auto onsets = NoteStarts(sound);
    std::vector<double> heard;
    for (size_t at : onsets) {
      const size_t from = at + static_cast<size_t>(sound.rate * 0.04);
      heard.push_back(EstimatePitch(sound.samples, sound.rate, from).frequency);
    }
    std::string said;
    for (size_t i = 0; i < heard.size(); ++i) {
      said += " " + std::to_string(int(heard[i])) + " Hz at" + Times({onsets[i]}, sound.rate);
    }
    ASSERT_EQ(onsets.size(), strokes.size()) << layout << ": heard" << said;
    for (size_t i = 0; i < strokes.size(); ++i) {
      EXPECT_NEAR(Cents(heard[i], NoteFrequency(strokes[i].note)), 0.0, 10.0)
          << layout << ", stroke " << i << ": heard" << said;
    }
  }

  // Whether sway has started XWayland.
  bool XWaylandRuns() const {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      std::ifstream stat(entry.path() / "stat");
      std::string pid, name, state;
      int parent = 0;
      if (stat >> pid >> name >> state >> parent && parent == sway_ && name == "(Xwayland)") {
        return true;
      }
    }
    return false;
  }

  std::string Said() const { return ReadFile(log_); }

  tangrel::testing::TempDir dir_{"tangrel-wl-160"};
  const std::string app_ = dir_.File("tangrel");
  const std::string keyboard_ = dir_.File("tangrel_virtual_keyboard");
  const std::string wav_ = dir_.File("played.wav");
  const std::string log_ = dir_.File("tangrel.log");
  std::vector<std::string> asUser_;
  std::string socket_, ipc_, xDisplay_;
  pid_t sway_ = -1;
  pid_t app_pid_ = -1;
  pid_t bus_ = -1, atSpi_ = -1;
};

// The same places sound the same notes whatever the layout: on AZERTY the A
// place types "q" and the Z place "w", on QWERTZ the Z place types "y".
const std::vector<Stroke> kStrokes = {
    {{kA}, 60}, {{kK}, 72}, {{kZ}, 61}, {{kSlash}, 76}, {{kShift, kA}, 72}};

// With both displays there, Qt takes Wayland, and nothing starts XWayland.
class NativeLayouts : public PlayUnderWayland, public ::testing::WithParamInterface<const char*> {};

TEST_P(NativeLayouts, KeysSoundByPlace) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  const auto window = Find(IsMainWindow);
  ASSERT_TRUE(window);
  EXPECT_EQ(window->shell, "xdg_shell");
  EXPECT_EQ(window->appId, "org.example.Tangrel");
  ASSERT_NO_FATAL_FAILURE(Type(GetParam(), Steps(kStrokes)));
  ASSERT_NO_FATAL_FAILURE(ExpectNotes(Finish(), kStrokes, GetParam()));
  EXPECT_FALSE(XWaylandRuns());
}

INSTANTIATE_TEST_SUITE_P(PlayUnderWayland, NativeLayouts, ::testing::Values("us", "fr", "de"));

// The caps name the keys after the keymap the compositor sends, and follow it
// when a keyboard of another layout takes over the seat, and when Caps Lock
// switches a keymap of two layouts to its second.
TEST_F(PlayUnderWayland, TheCapsFollowTheCompositorsKeymap) {
  ASSERT_NO_FATAL_FAILURE(Launch(StartAccessibilityBus()));
  struct Step {
    const char* layout;
    std::vector<std::string> keys;
    const char* wanted;
  };
  const Step steps[] = {{"us", {}, "Key A, degree 1, C4"},
                        {"fr", {}, "Key Q, degree 1, C4"},
                        {"de", {}, "Key A, degree 1, C4"},
                        {"us,fr/grp:caps_toggle", {"+58", "-58"}, "Key Q, degree 1, C4"}};
  std::string said;
  for (const auto& [layout, keys, wanted] : steps) {
    ASSERT_NO_FATAL_FAILURE(Type(layout, keys));
    EXPECT_TRUE(WaitFor([&] { return (said = MiddleCName()).find(wanted) != std::string::npos; },
                        std::chrono::seconds(15)))
        << layout << ": the reader said\n" << said << "Tangrel said:\n" << Said();
  }
}

// Wayland repeats a held key in the client: a repeat must neither strike the
// note again nor, once Shift is up, drop the chord an octave.
TEST_F(PlayUnderWayland, AHeldKeyStrikesOnceAndKeepsItsShift) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_NO_FATAL_FAILURE(Type("us", {"+30", "3000", "-30", "800", "+42", "+30", "200", "-42",
                                      "2800", "-30", "1500"}));
  const WavSound sound = Finish();
  const auto onsets = NoteStarts(sound);
  const int notes[] = {60, 72};
  ASSERT_EQ(onsets.size(), std::size(notes)) << "notes began at" << Times(onsets, sound.rate);
  for (size_t i = 0; i < onsets.size(); ++i) {
    EXPECT_LT(RiseWithin(sound, onsets[i], 2.4), 1.5) << "hold " << i << " was struck again";
    const size_t late = onsets[i] + static_cast<size_t>(sound.rate * 1.5);
    const PitchEstimate pitch = EstimatePitch(sound.samples, sound.rate, late);
    EXPECT_NEAR(Cents(pitch.frequency, NoteFrequency(notes[i])), 0.0, 10.0)
        << "hold " << i << " sounded " << pitch.frequency << " Hz after 1.5 s";
  }
}

// The splash has a fixed size, so sway floats it, centred, and draws no title
// bar over it; then the main window fills the workspace.
TEST_F(PlayUnderWayland, TheSplashFloatsCentredAndTheWindowIsMaximised) {
  Start({"TANGREL_SPLASH_MS=5000"});
  std::optional<View> splash, window;
  ASSERT_TRUE(WaitFor(
      [&] {
        return bool(splash = Find([](const View& v) {
                      return v.kind == "floating_con" && v.appId == "org.example.Tangrel";
                    }));
      },
      std::chrono::seconds(20)))
      << "no floating splash among\n" << Capture("swaymsg -s " + Quoted(ipc_) + " -t get_tree")
      << "\nTangrel said:\n" << Said();
  const auto workspace = Find([](const View& v) { return v.kind == "workspace"; });
  ASSERT_TRUE(workspace);
  EXPECT_EQ(splash->width, 400);
  EXPECT_EQ(splash->height, 400);
  EXPECT_NEAR(splash->x + splash->width / 2, workspace->x + workspace->width / 2, 1);
  EXPECT_NEAR(splash->y + splash->height / 2, workspace->y + workspace->height / 2, 1);
  EXPECT_EQ(splash->titleHeight, 0);
  EXPECT_NE(splash->border, "normal");

  ASSERT_TRUE(WaitFor([&] { return bool(window = Find(IsMainWindow)); }, std::chrono::seconds(20)))
      << Said();
  // Tiled alone, it takes the workspace less sway's title bar above it.
  EXPECT_EQ(window->kind, "con");
  EXPECT_EQ(window->x, workspace->x);
  EXPECT_EQ(window->width, workspace->width);
  EXPECT_EQ(window->y - window->titleHeight, workspace->y);
  EXPECT_EQ(window->y + window->height, workspace->y + workspace->height);
}

// Without Qt's Wayland plugin Qt runs on X11, through XWayland (as
// QT_QPA_PLATFORM=xcb makes it here): the keys still sound by place.
TEST_F(PlayUnderWayland, ThroughXWaylandKeysSoundByPlace) {
  ASSERT_FALSE(xDisplay_.empty()) << "sway started without XWayland:\n"
                                 << ReadFile(dir_.File("sway.log"));
  ASSERT_NO_FATAL_FAILURE(Launch({"QT_QPA_PLATFORM=xcb"}));
  EXPECT_EQ(Find(IsMainWindow)->shell, "xwayland");
  const std::vector<Stroke> strokes = {{{kA}, 60}, {{kZ}, 61}, {{kShift, kA}, 72}};
  ASSERT_NO_FATAL_FAILURE(Type("fr", Steps(strokes)));
  ExpectNotes(Finish(), strokes, "fr through XWayland");
}

}  // namespace

namespace {

// A compositor that has gone leaves its socket behind: Qt could not connect,
// and would abort; the display check says so in one line, with exit code 1.
TEST(NoWaylandDisplay, AStaleSocketIsOneLineAndExitCode1) {
  tangrel::testing::TempDir dir("tangrel-wl-161");
  const std::string socketPath = dir.File("wayland-1");
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);  // no listen
  const std::string log = dir.File("said.txt");
  const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const pid_t app = Spawn({TANGREL_APP_PATH},
                          {"WAYLAND_DISPLAY=wayland-1", "XDG_RUNTIME_DIR=" + dir.Path(), "DISPLAY=",
                           "QT_QPA_PLATFORM=", "XDG_SESSION_TYPE=wayland"},
                          -1, logFd);
  close(logFd);
  int status = 0;
  if (!WaitFor([&] { return !Alive(app, status); }, std::chrono::seconds(10))) {
    StopProcess(app);
    FAIL() << "Tangrel still ran without a display";
  }
  close(fd);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << Describe(status);
  const std::string said = ReadFile(log);
  EXPECT_EQ(said.rfind("tangrel: no display could be opened (", 0), 0u) << said;
  EXPECT_NE(said.find("wayland"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

}  // namespace
