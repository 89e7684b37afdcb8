// Runs GoogleTest inside a QApplication on the offscreen platform, so that
// widget tests need no display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <cstdlib>

#include "IsolatedSettings.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testing::InitGoogleTest(&argc, argv);
  vesk::test::IsolateSettings();
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
