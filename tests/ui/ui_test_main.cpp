// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the window tests inside one QApplication (QT_QPA_PLATFORM=offscreen).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "tests/support/TempDir.h"
#include "ui/Startup.h"

int main(int argc, char** argv) {
  // Listing the tests needs an application too, and there may be no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Whatever Qt would keep for the user goes to a folder of the run's own, which
  // the settings test finds empty afterwards.
  QTemporaryDir config(QDir::tempPath() + QStringLiteral("/tangrel-ui-config-XXXXXX"));
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  // Takes recorded by the tests are journaled here, never in the user's own folder.
  tangrel::testing::TempDir state("tangrel-ui-state");
  qputenv("XDG_STATE_HOME", state.Path().c_str());
  QApplication app(argc, argv);
  tangrel::InstallFontSubstitutions();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
