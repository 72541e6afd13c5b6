// Runs the window tests inside one QApplication (QT_QPA_PLATFORM=offscreen).
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/Startup.h"

int main(int argc, char** argv) {
  // Listing the tests needs an application too, and there may be no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  tangrel::InstallFontSubstitutions();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
