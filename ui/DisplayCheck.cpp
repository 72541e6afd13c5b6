// SPDX-License-Identifier: GPL-3.0-or-later
// The display check: the platforms Qt will try, each plugin's file, and an X
// server or Wayland compositor that takes a connection.
#include "ui/DisplayCheck.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QLibraryInfo>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tangrel {
namespace {

// Qt's platform plugins as Debian installs them: the platform's name, the
// plugin's file, the package that holds it, and whether it needs a display.
struct PlatformPlugin {
  const char* platform;
  const char* file;
  const char* package;
  enum Display { None, X11, Wayland } display;
};

constexpr PlatformPlugin kPlatformPlugins[] = {
    {"xcb", "libqxcb.so", "libqt6gui6", PlatformPlugin::X11},
    {"wayland", "libqwayland-generic.so", "qt6-wayland", PlatformPlugin::Wayland},
    {"wayland-egl", "libqwayland-egl.so", "qt6-wayland", PlatformPlugin::Wayland},
    {"offscreen", "libqoffscreen.so", "libqt6gui6", PlatformPlugin::None},
    {"minimal", "libqminimal.so", "libqt6gui6", PlatformPlugin::None},
    {"linuxfb", "libqlinuxfb.so", "libqt6gui6", PlatformPlugin::None},
    {"vkkhrdisplay", "libqvkkhrdisplay.so", "libqt6gui6", PlatformPlugin::None},
    {"vnc", "libqvnc.so", "qt6-qpa-plugins", PlatformPlugin::None},
    {"eglfs", "libqeglfs.so", "libqt6opengl6", PlatformPlugin::None},
    {"minimalegl", "libqminimalegl.so", "libqt6opengl6", PlatformPlugin::None},
};

const PlatformPlugin* FindPlugin(const std::string& platform) {
  for (const PlatformPlugin& plugin : kPlatformPlugins) {
    if (platform == plugin.platform) return &plugin;
  }
  return nullptr;
}

// The value of a Qt option given as "-name value" or "--name value".
std::string Option(int argc, char** argv, const char* name) {
  for (int i = 1; i + 1 < argc; ++i) {
    const char* arg = argv[i];
    if (std::strncmp(arg, "--", 2) == 0) ++arg;
    if (arg[0] == '-' && std::strcmp(arg + 1, name) == 0) return argv[i + 1];
  }
  return "";
}

std::vector<std::string> Split(const std::string& list, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t end = std::min(list.find(separator, start), list.size());
    if (end > start) parts.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string Variable(const DisplayEnvironment& environment, const char* name) {
  return environment.variable(name).value_or("");
}

bool IsFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The socket libwayland-client connects to, or why there is none.
std::optional<std::string> WaylandSocket(const DisplayEnvironment& environment,
                                         std::string& why) {
  const std::optional<std::string> name = environment.variable("WAYLAND_DISPLAY");
  if (name && name->empty()) {
    why = "WAYLAND_DISPLAY is empty";
    return std::nullopt;
  }
  const std::string socket = name.value_or("wayland-0");
  if (socket[0] == '/') return socket;
  const std::string runtime = Variable(environment, "XDG_RUNTIME_DIR");
  if (runtime.empty()) {
    why = "XDG_RUNTIME_DIR is not set, so there is no Wayland display " + socket;
    return std::nullopt;
  }
  return runtime + "/" + socket;
}

// A compositor listens on the socket: connecting costs it nothing, and a
// socket left behind by one that has gone refuses.
std::optional<std::string> WhyNoWayland(const DisplayEnvironment& environment) {
  std::string why;
  const std::optional<std::string> path = WaylandSocket(environment, why);
  if (!path) return why;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path->size() >= sizeof address.sun_path) return "the Wayland socket path is too long";
  std::memcpy(address.sun_path, path->c_str(), path->size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool answers =
      fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) close(fd);
  if (answers) return std::nullopt;
  if (!environment.variable("WAYLAND_DISPLAY")) return "WAYLAND_DISPLAY is not set";
  return "no Wayland compositor answers at " + *path;
}

}  // namespace

DisplayEnvironment ProcessDisplayEnvironment(int argc, char** argv) {
  DisplayEnvironment environment;
  environment.variable = [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
  };
  // Where Qt's platform integration factory looks: the folder named for
  // platform plugins, then "platforms" under each library path.
  std::vector<std::string>& folders = environment.platformPluginFolders;
  std::string named = Option(argc, argv, "platformpluginpath");
  if (named.empty()) named = Variable(environment, "QT_QPA_PLATFORM_PLUGIN_PATH");
  if (!named.empty()) folders.push_back(named);
  for (const std::string& path : Split(Variable(environment, "QT_PLUGIN_PATH"), ':')) {
    folders.push_back(path + "/platforms");
  }
  folders.push_back(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString() + "/platforms");
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length > 0) {
    const std::string program(self, size_t(length));
    folders.push_back(program.substr(0, program.rfind('/')) + "/platforms");
  }
  return environment;
}

std::vector<std::string> PlatformsQtTries(int argc, char** argv,
                                          const DisplayEnvironment& environment) {
  std::string list = Option(argc, argv, "platform");
  if (list.empty()) list = Variable(environment, "QT_QPA_PLATFORM");
  if (list.empty()) {
    // Qt 6's own default: X11, with Wayland before it in a Wayland session.
    const bool wayland = environment.variable("WAYLAND_DISPLAY").has_value() ||
                         Variable(environment, "XDG_SESSION_TYPE") == "wayland";
    list = wayland ? "wayland;xcb" : "xcb";
  }
  std::vector<std::string> names;
  for (const std::string& entry : Split(list, ';')) {
    std::string name = entry.substr(0, entry.find(':'));  // "xcb:option" -> "xcb"
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

DisplayCheck::DisplayCheck(int argc, char** argv)
    : DisplayCheck(argc, argv, ProcessDisplayEnvironment(argc, argv)) {}

DisplayCheck::DisplayCheck(int argc, char** argv, const DisplayEnvironment& environment) {
  std::string reasons;
  for (const std::string& platform : PlatformsQtTries(argc, argv, environment)) {
    const std::optional<std::string> why = WhyNot(platform, argc, argv, environment);
    if (!why) {
      platform_ = platform;
      return;
    }
    reasons += (reasons.empty() ? "" : "; ") + *why;
  }
  whyNone_ = reasons.empty() ? "no Qt platform is named" : reasons;
}

DisplayCheck::~DisplayCheck() {
  if (connection_) xcb_disconnect(connection_);
}

std::optional<std::string> DisplayCheck::WhyNot(const std::string& platform, int argc,
                                                char** argv,
                                                const DisplayEnvironment& environment) {
  const PlatformPlugin* plugin = FindPlugin(platform);
  // A platform this check does not know is left to Qt.
  if (!plugin) return std::nullopt;
  const std::vector<std::string>& folders = environment.platformPluginFolders;
  const bool installed = std::any_of(folders.begin(), folders.end(), [&](const std::string& f) {
    return IsFile(f + "/" + plugin->file);
  });
  if (!installed) {
    return "Qt's " + platform + " platform plugin is not installed (Debian package " +
           plugin->package + ")";
  }
  switch (plugin->display) {
    case PlatformPlugin::X11: {
      std::string display = Option(argc, argv, "display");
      if (display.empty()) display = Variable(environment, "DISPLAY");
      return WhyNoX11(display);
    }
    case PlatformPlugin::Wayland:
      return WhyNoWayland(environment);
    case PlatformPlugin::None:
      break;
  }
  return std::nullopt;
}

std::optional<std::string> DisplayCheck::WhyNoX11(const std::string& displayName) {
  if (displayName.empty()) return "DISPLAY is not set";
  xcb_connection_t* connection = xcb_connect(displayName.c_str(), nullptr);
  if (xcb_connection_has_error(connection) != 0) {
    xcb_disconnect(connection);
    return "the X display " + displayName + " does not answer";
  }
  connection_ = connection;
  return std::nullopt;
}

}  // namespace tangrel
