// Tangrel: the computer keyboard as a musical instrument.
#include <QApplication>
#include <QIcon>
#include <cstdlib>

#include <cstdio>
#include <memory>

#include "engine/MidiDevices.h"
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

}  // namespace

int main(int argc, char** argv) {
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
  std::unique_ptr<tangrel::DeviceSet> devices;
  const auto systemDevices = [&devices]() -> tangrel::MidiDevices& {
    if (!devices) {
      devices = tangrel::MakeSystemDevices();
      devices->Prepare();
    }
    return *devices;
  };
  tangrel::BoxMessages messages;
  const tangrel::StartOptions options{tangrel::CommandLineOf(argc, argv), SplashMilliseconds()};
  return tangrel::RunTangrel(app, systemDevices, messages, options);
}
