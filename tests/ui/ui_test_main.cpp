// Runs the window tests inside one QApplication (QT_QPA_PLATFORM=offscreen).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "ui/Startup.h"

int main(int argc, char** argv) {
  // Listing the tests needs an application too, and there may be no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Whatever Qt would keep for the user goes to a folder of the run's own, which
  // the settings test finds empty afterwards.
  QTemporaryDir config(QDir::tempPath() + QStringLiteral("/tangrel-ui-config-XXXXXX"));
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  QApplication app(argc, argv);
  tangrel::InstallFontSubstitutions();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
