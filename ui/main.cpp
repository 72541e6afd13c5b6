// Tangrel: the computer keyboard as a musical instrument.
#include <QApplication>
#include <QIcon>
#include <cstdlib>

#include "engine/MidiDevices.h"
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
  QApplication app(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/hicolor/32/tangrel.png")));
  tangrel::InstallFontSubstitutions();
  tangrel::InstallTranslation(app);
  std::unique_ptr<tangrel::DeviceSet> devices = tangrel::MakeSystemDevices();
  tangrel::BoxMessages messages;
  const tangrel::StartOptions options{tangrel::CommandLineOf(argc, argv), SplashMilliseconds()};
  return tangrel::RunTangrel(app, *devices, messages, options);
}
