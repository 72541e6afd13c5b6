// Whether there is a display to show the window on, asked before Qt is, since
// Qt ends the process with an abort when it finds none.
#pragma once

#include <optional>
#include <string>

namespace tangrel {

// Why no display can be opened for the platform Qt would choose from the
// command line (-platform, -display) and the environment; nothing when one can,
// or when the platform needs no display (offscreen, vnc ...).
std::optional<std::string> WhyNoDisplay(int argc, char** argv);

}  // namespace tangrel
