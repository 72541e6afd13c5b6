// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: what main does between creating the application and running it,
// kept apart so tests can drive each path.
#pragma once

#include <memory>
#include <string>

#include "model/MidiDevices.h"
#include "session/DeviceMessages.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"
#include "ui/Pictures.h"

class QApplication;

namespace tangrel {

constexpr int kSplashMilliseconds = 5000;

// Font names the program asks for that this system provides under another
// name ("Times New Roman" is Liberation Serif on Linux).
void InstallFontSubstitutions();

// The program's arguments joined by single blanks: the path of a performance
// file to load at start, taken whole.
std::string CommandLineOf(int argc, char** argv);

// Shows the splash picture, centred, for `milliseconds`; `whileShown` runs
// once the picture is up (sounds can load meanwhile).
// Whether Qt runs on Wayland, where the compositor places every window.
bool IsWayland();

void ShowSplash(int milliseconds, const std::function<void()>& whileShown = {});

// The main window made and its output opened, or nothing when there is no
// MIDI output device at all (the error box has then been shown). The
// session hears `reports`, when given, from before the output opens.
std::unique_ptr<MainWindow> CreateMainWindow(MidiDevices& devices, Messages& messages,
                                             const Pictures& pictures,
                                             const std::string& commandLine = {},
                                             ShownDeviceReports* reports = nullptr);

struct StartOptions {
  std::string commandLine;
  int splashMilliseconds = kSplashMilliseconds;
  ShownDeviceReports* reports = nullptr;  // what the devices say, shown in the window too
};

// The splash, then the main window filling the screen, then the event loop;
// the exit code. `devices` is first asked for while the splash shows. With no
// device the program ends with 0 after the splash.
int RunTangrel(QApplication& app, const std::function<MidiDevices&()>& devices,
               Messages& messages, const StartOptions& options);

}  // namespace tangrel
