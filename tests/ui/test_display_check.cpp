// SPDX-License-Identifier: GPL-3.0-or-later
// The display check before Qt starts: the platforms in Qt's order, each one's
// plugin file, and a display that answers, against a made-up environment,
// plugin folders and listening sockets.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <map>

#include "tests/support/TempDir.h"
#include "ui/DisplayCheck.h"

namespace tangrel::test {
namespace {

// A Unix socket that takes connections without answering, and counts them.
class Listener {
 public:
  explicit Listener(const std::string& path) : path_(path) {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    unlink(path.c_str());
    listening_ = bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 listen(fd_, 8) == 0;
  }
  ~Listener() {
    close(fd_);
    unlink(path_.c_str());
  }
  bool Listening() const { return listening_; }
  int Connections() {
    int count = 0;
    for (int client; (client = accept(fd_, nullptr, nullptr)) >= 0; ++count) close(client);
    return count;
  }

 private:
  std::string path_;
  int fd_ = -1;
  bool listening_ = false;
};

struct Scene {
  explicit Scene(std::map<std::string, std::string> vars) : variables(std::move(vars)) {}
  std::map<std::string, std::string> variables;
  std::vector<std::string> args = {"tangrel"};
  std::vector<std::string> plugins;  // files put in the one plugin folder
};

class DisplayCheckTest : public ::testing::Test {
 protected:
  // Each environment has a plugin folder of its own.
  DisplayEnvironment Environment(const Scene& setup) {
    const std::string folder = plugins_.File(std::to_string(++folders_));
    mkdir(folder.c_str(), 0755);
    for (const std::string& file : setup.plugins) std::ofstream(folder + "/" + file);
    DisplayEnvironment environment;
    environment.variable = [vars = setup.variables](const std::string& name) {
      const auto found = vars.find(name);
      return found == vars.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
    environment.platformPluginFolders = {folder};
    return environment;
  }
  std::vector<char*> Argv(Scene& setup) {
    std::vector<char*> argv;
    for (std::string& arg : setup.args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    return argv;
  }

  testing::TempDir runtime_{"tangrel-wl-16"};
  testing::TempDir plugins_{"tangrel-plugins"};
  int folders_ = 0;
};

TEST_F(DisplayCheckTest, PlatformsComeInQtsOrder) {
  struct Case {
    std::map<std::string, std::string> variables;
    std::vector<std::string> args;
    std::vector<std::string> platforms;
  };
  const Case cases[] = {
      {{{"DISPLAY", ":0"}}, {}, {"xcb"}},
      {{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-1"}}, {}, {"wayland", "xcb"}},
      {{{"XDG_SESSION_TYPE", "wayland"}}, {}, {"wayland", "xcb"}},
      {{{"XDG_SESSION_TYPE", "x11"}}, {}, {"xcb"}},
      {{{"WAYLAND_DISPLAY", "w"}, {"QT_QPA_PLATFORM", "XCB:nograb;offscreen"}}, {}, {"xcb", "offscreen"}},
      {{{"QT_QPA_PLATFORM", "xcb"}}, {"-platform", "wayland"}, {"wayland"}},
  };
  for (const Case& c : cases) {
    Scene setup{c.variables};
    setup.args.insert(setup.args.end(), c.args.begin(), c.args.end());
    std::vector<char*> argv = Argv(setup);
    EXPECT_EQ(PlatformsQtTries(int(argv.size()) - 1, argv.data(), Environment(setup)), c.platforms)
        << (c.variables.empty() ? "" : c.variables.begin()->first);
  }
}

// The compositor answers, but Qt could not use it: the check says what to
// install, in one line, rather than letting Qt abort.
TEST_F(DisplayCheckTest, AWaylandDisplayWithoutQtsPluginNamesThePackage) {
  Listener compositor(runtime_.File("wayland-1"));
  ASSERT_TRUE(compositor.Listening());
  Scene setup{{{"WAYLAND_DISPLAY", "wayland-1"}, {"XDG_RUNTIME_DIR", runtime_.Path()}}};
  setup.plugins = {"libqxcb.so"};
  std::vector<char*> argv = Argv(setup);
  const DisplayCheck check(1, argv.data(), Environment(setup));
  ASSERT_TRUE(check.WhyNone());
  EXPECT_EQ(*check.WhyNone(),
            "Qt's wayland platform plugin is not installed (Debian package qt6-wayland); "
            "DISPLAY is not set");

  Scene x11{{{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":169"}}};
  argv = Argv(x11);
  const DisplayCheck noXcb(1, argv.data(), Environment(x11));
  ASSERT_TRUE(noXcb.WhyNone());
  EXPECT_EQ(*noXcb.WhyNone(), "Qt's xcb platform plugin is not installed (Debian package libqt6gui6)");
}

// With both displays there and both plugins installed, Qt takes Wayland: the
// check must not so much as connect to X, or XWayland would start for nothing.
TEST_F(DisplayCheckTest, AWaylandSessionIsCheckedWithoutTouchingX) {
  Listener compositor(runtime_.File("wayland-1"));
  mkdir("/tmp/.X11-unix", 01777);
  Listener xServer("/tmp/.X11-unix/X169");
  ASSERT_TRUE(compositor.Listening() && xServer.Listening());
  Scene setup{{{"WAYLAND_DISPLAY", "wayland-1"},
               {"XDG_RUNTIME_DIR", runtime_.Path()},
               {"DISPLAY", ":169"}}};
  setup.plugins = {"libqxcb.so", "libqwayland-generic.so"};
  std::vector<char*> argv = Argv(setup);
  const DisplayCheck check(1, argv.data(), Environment(setup));
  EXPECT_FALSE(check.WhyNone()) << *check.WhyNone();
  EXPECT_EQ(check.Platform(), "wayland");
  EXPECT_EQ(compositor.Connections(), 1);
  EXPECT_EQ(xServer.Connections(), 0);
}

// A socket left by a compositor that has gone is no display.
TEST_F(DisplayCheckTest, AStaleWaylandSocketIsNoDisplay) {
  {
    Listener gone(runtime_.File("wayland-1"));
  }
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, runtime_.File("wayland-1").c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);  // not listening
  Scene setup{{{"WAYLAND_DISPLAY", "wayland-1"},
               {"XDG_RUNTIME_DIR", runtime_.Path()},
               {"QT_QPA_PLATFORM", "wayland"}}};
  setup.plugins = {"libqwayland-generic.so"};
  std::vector<char*> argv = Argv(setup);
  const DisplayCheck check(1, argv.data(), Environment(setup));
  close(fd);
  ASSERT_TRUE(check.WhyNone());
  EXPECT_EQ(*check.WhyNone(), "no Wayland compositor answers at " + runtime_.File("wayland-1"));
}

}  // namespace
}  // namespace tangrel::test
