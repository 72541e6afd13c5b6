// SPDX-License-Identifier: GPL-3.0-or-later
// Whether there is a display to show the window on, asked before Qt is, since
// Qt ends the process with an abort when it finds none.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace tangrel {

// What the check reads of the process: its environment, and the folders Qt
// looks for platform plugins in, first to last.
struct DisplayEnvironment {
  std::function<std::optional<std::string>(const std::string& name)> variable;
  std::vector<std::string> platformPluginFolders;
};

// The process's own environment and Qt's plugin folders for it.
DisplayEnvironment ProcessDisplayEnvironment(int argc, char** argv);

// The platforms Qt tries, in its order, from the command line (-platform),
// QT_QPA_PLATFORM, and else the session: Wayland first where WAYLAND_DISPLAY
// is set or XDG_SESSION_TYPE is wayland, then X11.
std::vector<std::string> PlatformsQtTries(int argc, char** argv,
                                          const DisplayEnvironment& environment);

// Goes through the platforms as Qt will: the first whose plugin is installed
// and whose display answers is the one Qt takes. Nothing later is tried, so a
// Wayland run never connects to X (which would start XWayland).
class DisplayCheck {
 public:
  DisplayCheck(int argc, char** argv);
  DisplayCheck(int argc, char** argv, const DisplayEnvironment& environment);
  ~DisplayCheck();
  DisplayCheck(const DisplayCheck&) = delete;
  DisplayCheck& operator=(const DisplayCheck&) = delete;

  // Why no display can be opened, in one line, with the Debian package of a
  // missing plugin; nothing when one can, or when the platform needs none
  // (offscreen, vnc ...).
  const std::optional<std::string>& WhyNone() const { return whyNone_; }
  // The platform that answered; empty when none did.
  const std::string& Platform() const { return platform_; }

 private:
  std::optional<std::string> WhyNot(const std::string& platform, int argc, char** argv,
                                    const DisplayEnvironment& environment);
  std::optional<std::string> WhyNoX11(const std::string& displayName);

  // The X connection that answered, kept until this check goes: an X server
  // with no client left resets, and refuses connections meanwhile. Drop it
  // once Qt has connected.
  xcb_connection_t* connection_ = nullptr;
  std::optional<std::string> whyNone_;
  std::string platform_;
};

}  // namespace tangrel
