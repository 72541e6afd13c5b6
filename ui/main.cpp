// SPDX-License-Identifier: GPL-3.0-or-later
// Tangrel: the computer keyboard as a musical instrument.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "devices/SystemDevices.h"
#include "session/DeviceMessages.h"
#include "ui/AutoRepeat.h"
#include "ui/DisplayCheck.h"
#include "ui/Messages.h"
#include "ui/Startup.h"
#include "ui/Translation.h"

namespace {

// TANGREL_SPLASH_MS shortens the splash, for scripted runs; anything that is
// not a number from 0 to 5000 leaves it at five seconds.
int SplashMilliseconds() {
  const char* value = std::getenv("TANGREL_SPLASH_MS");
  if (!value || !*value) return tangrel::kSplashMilliseconds;
  char* end = nullptr;
  const long ms = std::strtol(value, &end, 10);
  if (*end != '\0' || ms < 0 || ms > tangrel::kSplashMilliseconds) {
    return tangrel::kSplashMilliseconds;
  }
  return static_cast<int>(ms);
}

constexpr const char* kHelp =
    "usage: tangrel [FILE.tgi]\n"
    "       tangrel --help | --version\n"
    "\n"
    "Plays the computer keyboard as a musical instrument. A performance file named\n"
    "on the command line is loaded and played half a second after the window opens.\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "Environment: TANGREL_SOUNDFONT, TANGREL_AUDIO_DRIVER, TANGREL_AUDIO_FILE,\n"
    "TANGREL_SPLASH_MS; tangrel(1) describes them. A file named \"--help\" is\n"
    "opened as ./--help.\n";

// --help and --version alone on the command line print and end the program
// before any display is looked for; anything else is the file to open. Gives
// the exit code, or -1 to go on.
int AnswerInformationRequest(int argc, char** argv) {
  if (argc != 2) return -1;
  const std::string word = argv[1];
  if (word == "--help" || word == "-h") {
    std::fputs(kHelp, stdout);
  } else if (word == "--version") {
    std::printf("tangrel %s\n", TANGREL_VERSION);
  } else {
    return -1;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int code = AnswerInformationRequest(argc, argv); code >= 0) return code;
  auto display = std::make_unique<tangrel::DisplayCheck>(argc, argv);
  if (const auto& why = display->WhyNone()) {
    std::fprintf(stderr, "tangrel: no display could be opened (%s)\n", why->c_str());
    return 1;
  }
  QApplication app(argc, argv);
  display.reset();  // Qt's own connection holds the X server now
  // Names the desktop entry, which is how a Wayland compositor finds the icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(TANGREL_APP_ID));
  // A held key then repeats as presses alone, which the key handling takes for
  // repeats; without it each repeat is a release and a press that Qt does not
  // always mark as one.
  tangrel::RequestDetectableAutoRepeat();
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/hicolor/32/tangrel.png")));
  tangrel::InstallFontSubstitutions();
  tangrel::InstallTranslation(app);
  // The devices are listed while the splash shows, and the SoundFont loads in
  // the background from then on, so the window opens its output at once.
  tangrel::ShownDeviceReports deviceReports;  // outlives the devices and the window
  std::unique_ptr<tangrel::DeviceSet> devices;
  const auto systemDevices = [&devices, &deviceReports]() -> tangrel::MidiDevices& {
    if (!devices) {
      devices = tangrel::MakeSystemDevices(&deviceReports);
      devices->Prepare();
    }
    return *devices;
  };
  tangrel::BoxMessages messages;
  const tangrel::StartOptions options{tangrel::CommandLineOf(argc, argv), SplashMilliseconds(),
                                      &deviceReports};
  return tangrel::RunTangrel(app, systemDevices, messages, options);
}
