// Whether there is a display to show the window on, asked before Qt is, since
// Qt ends the process with an abort when it finds none.
#pragma once

#include <optional>
#include <string>

struct xcb_connection_t;

namespace tangrel {

// Looks for a display for the platform Qt would choose from the command line
// (-platform, -display) and the environment.
class DisplayCheck {
 public:
  DisplayCheck(int argc, char** argv);
  ~DisplayCheck();
  DisplayCheck(const DisplayCheck&) = delete;
  DisplayCheck& operator=(const DisplayCheck&) = delete;

  // Why no display can be opened; nothing when one can, or when the platform
  // needs none (offscreen, vnc ...).
  const std::optional<std::string>& WhyNone() const { return whyNone_; }

 private:
  std::optional<std::string> WhyNoX11(const std::string& displayName);

  // The X connection that answered, kept until this check goes: an X server
  // with no client left resets, and refuses connections meanwhile. Drop it
  // once Qt has connected.
  xcb_connection_t* connection_ = nullptr;
  std::optional<std::string> whyNone_;
};

}  // namespace tangrel
