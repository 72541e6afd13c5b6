// Start-up and the main loop.
#include "ui/Startup.h"

#include <QApplication>
#include <QFont>

#include "ui/SignalQuit.h"

namespace tangrel {

void InstallFontSubstitutions() {
  QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                            QStringLiteral("Liberation Serif"));
}

std::unique_ptr<MainWindow> CreateMainWindow(MidiDevices& devices, Messages& messages) {
  if (devices.DeviceCount() == 0) {
    messages.Show(nullptr, MessageIcon::Error, QStringLiteral("TG"),
                  QStringLiteral("No MIDI output devices!"));
    return nullptr;
  }
  auto window = std::make_unique<MainWindow>(devices, messages);
  window->OpenOutputAtStart();
  return window;
}

int RunTangrel(QApplication& app, MidiDevices& devices, Messages& messages) {
  std::unique_ptr<MainWindow> window = CreateMainWindow(devices, messages);
  if (!window) return 0;
  window->showMaximized();
  QuitOnTerminationSignals(&app);
  return app.exec();
}

}  // namespace tangrel
