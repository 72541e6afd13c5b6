// SPDX-License-Identifier: GPL-3.0-or-later
// Key to sound as a player has it: Tangrel at a real X display (Xvfb) playing
// through a private sound server's null sink, the A key (middle C) pressed
// through the X server's XTEST extension, and the first sound of each press
// found in the sink's monitor. Each press is timed from the moment it was
// handed to the X server, so the X server, Qt's event loop, the window's key
// handler and the sound output are all inside the figure. PipeWire (Tangrel's
// own stream) and PulseAudio are measured side by side, with the machine
// quiet and with one core kept busy by another process. --app measures another
// build of Tangrel, --driver another of its outputs (pulseaudio through
// PipeWire's pipewire-pulse, say).
//
//   bench_ui_key_to_sound [--probes N] [--quiet|--busy] [--server pipewire|pulseaudio]
//                         [--app PATH] [--driver NAME]
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdio>

#include "bench/MachineLoad.h"
#include "bench/MonitorCapture.h"
#include "tests/e2e/PlayerSupport.h"
#include "tests/support/TempDir.h"

using namespace tangrel;
using namespace tangrel::bench;
using namespace tangrel::testaudio;

namespace {

// Xvfb's keymap (evdev) puts A, the middle C key, at keycode 38.
constexpr uint8_t kKeyA = 38;

// Xvfb, and a connection to it that presses keys.
class Display {
 public:
  bool Start() {
    pid_ = e2e::StartXvfb(name_);
    if (name_.empty()) return false;
    connection_ = xcb_connect(name_.c_str(), nullptr);
    return !xcb_connection_has_error(connection_);
  }
  ~Display() {
    if (connection_) xcb_disconnect(connection_);
    StopProcess(pid_);
  }
  const std::string& Name() const { return name_; }

  void Key(bool down) {
    xcb_test_fake_input(connection_, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, kKeyA,
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(connection_);
  }

  std::string Xdo(const std::string& args) const {
    return e2e::Capture("DISPLAY=" + name_ + " xdotool " + args + " 2>/dev/null");
  }

 private:
  pid_t pid_ = -1;
  std::string name_;
  xcb_connection_t* connection_ = nullptr;
};

// What is measured, and how it is told which output to use.
struct Player {
  std::string app = TANGREL_APP_PATH;
  std::string driver;  // "": the server's own
};

struct Figures {
  int stalls = 0;
  double worstStallMs = 0.0;
  std::vector<double> latencies;
};

// Tangrel on the display, its window focused; -1 when it did not show.
pid_t StartTangrel(const Display& display, const Player& player,
                   const std::vector<std::string>& serverEnv, const std::string& dir) {
  std::vector<std::string> env = {"DISPLAY=" + display.Name(),
                                  "QT_QPA_PLATFORM=xcb",
                                  "XDG_RUNTIME_DIR=" + dir,
                                  "XDG_STATE_HOME=" + dir,
                                  "TANGREL_SOUNDFONT=" + kTestSoundFont,
                                  "TANGREL_AUDIO_DRIVER=" + player.driver,
                                  "TANGREL_SPLASH_MS=0"};
  env.insert(env.end(), serverEnv.begin(), serverEnv.end());
  const pid_t app = Spawn({player.app}, env);
  std::string window;
  e2e::WaitFor(
      [&] { return !(window = display.Xdo("search --onlyvisible --name '^Tangrel - '")).empty(); },
      std::chrono::seconds(30));
  if (window.empty()) {
    StopProcess(app);
    return -1;
  }
  display.Xdo("windowfocus --sync " + window.substr(0, window.find('\n')));
  return app;
}

template <typename Server>
bool Measure(Server& server, const Player& player, const std::vector<std::string>& serverEnv,
             int probes, Figures& figures) {
  Display display;
  testing::TempDir dir("tangrel-bench");
  MonitorCapture capture;
  if (!display.Start() || !capture.Start(server)) return false;
  StallProbe probe;
  const pid_t app = StartTangrel(display, player, serverEnv, dir.Path());
  if (app < 0) return false;
  std::this_thread::sleep_for(std::chrono::seconds(2));

  std::vector<Clock::time_point> pressed;
  for (int i = 0; i < probes; ++i) {
    pressed.push_back(Clock::now());
    display.Key(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    display.Key(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(950));
  }
  StopProcess(app);
  capture.Stop();
  figures.latencies = capture.DelaysToSound(pressed);
  figures.stalls = probe.Stalls();
  figures.worstStallMs = probe.WorstMs();
  return true;
}

template <typename Server>
int MeasureRow(Server& server, const std::string& name, Player player,
               const std::vector<std::string>& serverEnv, bool busy, int probes) {
  if (player.driver.empty()) player.driver = name;
  const std::string row = player.driver == name ? name : name + "/" + player.driver;
  Figures f;
  bool measured;
  {
    BusyCore core(busy);
    measured = Measure(server, player, serverEnv, probes, f);
  }
  const char* load = busy ? "busy" : "quiet";
  if (!measured) {
    std::printf("%-21s %5s: Tangrel did not start at the display or the capture failed\n",
                row.c_str(), load);
    return 1;
  }
  std::printf("%-21s %5s | %6d %6.1f | %6.1f %6.1f %6.1f %6.1f  (%zu/%d heard)\n", row.c_str(),
              load, f.stalls, f.worstStallMs, Percentile(f.latencies, 0.0),
              Percentile(f.latencies, 0.5), Percentile(f.latencies, 0.95),
              Percentile(f.latencies, 1.0), f.latencies.size(), probes);
  std::fflush(stdout);
  return 0;
}

template <typename Server>
int MeasureServer(const std::string& name, const char* needs, const Player& player,
                  const std::vector<bool>& loads, int probes) {
  if (!Server::Available()) {
    std::printf("%s: needs %s\n", name.c_str(), needs);
    return 1;
  }
  Server server;
  if (!server.Start()) {
    std::printf("%s: the private server did not start\n", name.c_str());
    return 1;
  }
  int result = 0;
  for (bool busy : loads) result |= MeasureRow(server, name, player, server.Env(), busy, probes);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  int probes = 40;
  std::vector<bool> loads = {false, true};
  std::vector<std::string> servers = {"pipewire", "pulseaudio"};
  Player player;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--probes" && i + 1 < argc) {
      probes = std::atoi(argv[++i]);
    } else if (arg == "--busy" || arg == "--quiet") {
      loads = {arg == "--busy"};
    } else if (arg == "--server" && i + 1 < argc) {
      servers = {argv[++i]};
    } else if (arg == "--app" && i + 1 < argc) {
      player.app = argv[++i];
    } else if (arg == "--driver" && i + 1 < argc) {
      player.driver = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: bench_ui_key_to_sound [--probes N] [--quiet|--busy] "
                   "[--server pipewire|pulseaudio] [--app PATH] [--driver NAME]\n");
      return 2;
    }
  }
  if (!OnPath("Xvfb") || !OnPath("xdotool")) {
    std::printf("needs Xvfb and xdotool (scripts/install-deps.sh)\n");
    return 1;
  }
  std::printf("Tangrel under Xvfb into a null sink at %.0f Hz: an X key press (A, middle C)\n",
              kMonitorRate);
  std::printf("to the first sound in the sink's monitor, %d presses per row\n\n", probes);
  std::printf("%-21s %5s | %6s %6s | %6s %6s %6s %6s\n", "server/output", "load", "stalls", "worst",
              "min", "p50", "p95", "max");
  std::printf("%-21s %5s | %6s %6s | %6s %6s %6s %6s\n", "", "", "> 2.7", "ms", "ms", "ms", "ms",
              "ms");
  int result = 0;
  for (const std::string& name : servers) {
    result |= name == "pipewire"
                  ? MeasureServer<PrivatePipeWireServer>(
                        name, "pipewire, wireplumber, pipewire-pulse and pulseaudio-utils", player,
                        loads, probes)
                  : MeasureServer<PrivatePulseServer>(
                        name, "pulseaudio and parec (pulseaudio-utils)", player, loads, probes);
  }
  return result;
}
