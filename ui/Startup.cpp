// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the splash and the main loop.
#include "ui/Startup.h"

#include <QApplication>
#include <QEventLoop>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QSessionManager>
#include <QSplashScreen>
#include <QTimer>

#include "ui/SignalQuit.h"

namespace tangrel {

void InstallFontSubstitutions() {
  QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                            QStringLiteral("Liberation Serif"));
}

std::string CommandLineOf(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

bool IsWayland() { return QGuiApplication::platformName().startsWith(QStringLiteral("wayland")); }

void ShowSplash(int milliseconds, const std::function<void()>& whileShown) {
  QSplashScreen splash(QPixmap(QStringLiteral(":/splash.png")));
  // A window of fixed size is one a tiling compositor floats, centred,
  // rather than tiling it under a title bar.
  splash.setFixedSize(splash.size());
  splash.setCursor(Qt::WaitCursor);
  splash.show();
  splash.repaint();
  QApplication::processEvents();
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  if (whileShown) whileShown();
  loop.exec();
}

std::unique_ptr<MainWindow> CreateMainWindow(MidiDevices& devices, Messages& messages,
                                             const Pictures& pictures,
                                             const std::string& commandLine,
                                             ShownDeviceReports* reports) {
  auto window = std::make_unique<MainWindow>(devices, messages, pictures);
  if (reports) window->GetSession().ListenTo(*reports);
  if (!window->Create(commandLine)) return nullptr;
  return window;
}

int RunTangrel(QApplication& app, const std::function<MidiDevices&()>& devices,
               Messages& messages, const StartOptions& options) {
  ShowSplash(options.splashMilliseconds, [&] { devices(); });
  const Pictures pictures = LoadPictures();
  std::unique_ptr<MainWindow> window =
      CreateMainWindow(devices(), messages, pictures, options.commandLine, options.reports);
  if (!window) return 0;
  // Without a window manager nothing else would size the window. A Wayland
  // client does not place its windows: the compositor maximises it.
  if (!IsWayland()) window->setGeometry(QGuiApplication::primaryScreen()->geometry());
  window->showMaximized();
  // The desktop session is ending: an unsaved take is asked about first; a
  // session manager that allows no question gets the take left in its journal.
  QObject::connect(&app, &QGuiApplication::commitDataRequest, window.get(),
                   [w = window.get()](QSessionManager& manager) {
                     if (!manager.allowsInteraction()) {
                       EndAtOnce();
                     } else if (!w->QueryEndSession()) {
                       manager.cancel();
                     }
                   });
  QuitOnTerminationSignals(&app);
  return app.exec();
}

}  // namespace tangrel
