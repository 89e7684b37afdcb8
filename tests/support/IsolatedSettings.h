#pragma once

#include <gtest/gtest.h>

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

namespace vesk::test {

// No test ever reads or writes the user's own settings: the test run keeps
// them in a folder of its own (gone at its end), and every test starts from
// none. Called before the application object is made.
inline void IsolateSettings() {
  static QTemporaryDir folder;
  setenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()).constData(), 1);
  QStandardPaths::setTestModeEnabled(true);
  struct EmptySettings : testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
      QSettings(QStringLiteral("Vesk"), QStringLiteral("Vesk")).clear();
    }
  };
  testing::UnitTest::GetInstance()->listeners().Append(new EmptySettings);
}

}  // namespace vesk::test
