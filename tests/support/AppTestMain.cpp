// Runs GoogleTest inside the application's own application object on the
// offscreen platform, for tests of start-up and of the event loop's
// handling of errors.
#include <gtest/gtest.h>

#include <cstdlib>

#include "IsolatedSettings.h"

#include "gui/app/VeskApplication.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testing::InitGoogleTest(&argc, argv);
  vesk::test::IsolateSettings();
  vesk::gui::VeskApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
