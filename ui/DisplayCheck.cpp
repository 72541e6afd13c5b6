// The display check: an X server that takes a connection, or a Wayland socket.
#include "ui/DisplayCheck.h"

#include <sys/stat.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace tangrel {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
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

// "wayland;xcb:option" -> {"wayland", "xcb"}; empty: Qt picks X11 or Wayland.
std::vector<std::string> Platforms(const std::string& list) {
  if (list.empty()) return {"xcb", "wayland"};
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t end = std::min(list.find(';', start), list.size());
    const std::string entry = list.substr(start, end - start);
    if (!entry.empty()) names.push_back(entry.substr(0, entry.find(':')));
    start = end + 1;
  }
  return names;
}

// The socket libwayland-client would connect to.
std::optional<std::string> WhyNoWayland() {
  const std::string name = Environment("WAYLAND_DISPLAY");
  std::string socket = name.empty() ? "wayland-0" : name;
  if (socket[0] != '/') socket = Environment("XDG_RUNTIME_DIR") + "/" + socket;
  struct stat info {};
  if (stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) return std::nullopt;
  if (name.empty()) return "WAYLAND_DISPLAY is not set";
  return "no Wayland display at " + socket;
}

}  // namespace

DisplayCheck::DisplayCheck(int argc, char** argv) {
  std::string platform = Option(argc, argv, "platform");
  if (platform.empty()) platform = Environment("QT_QPA_PLATFORM");
  std::string display = Option(argc, argv, "display");
  if (display.empty()) display = Environment("DISPLAY");

  std::string reasons;
  for (const std::string& name : Platforms(platform)) {
    std::optional<std::string> why;
    if (name == "xcb") {
      why = WhyNoX11(display);
    } else if (name == "wayland" || name == "wayland-egl") {
      why = WhyNoWayland();
    }
    if (!why) return;  // this one opens, or needs no display
    reasons += (reasons.empty() ? "" : ", ") + *why;
  }
  whyNone_ = reasons;
}

DisplayCheck::~DisplayCheck() {
  if (connection_) xcb_disconnect(connection_);
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
