#include "gui/common/FileDialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "support/TempDir.h"

namespace vesk {
namespace {

constexpr const char* kResultFilter = "Bitmap Files (*.bmp);;PNG Files (*.png);;TIFF Files (*.tif *.tiff)";

TEST(FileDialogsTest, AnUntypedExtensionFollowsTheChosenFilter) {
  struct Case {
    const char* name;
    const char* typed;
    const char* filter;
    const char* expected;
  } cases[] = {
      {"the PNG filter", "/d/result", "PNG Files (*.png)", "/d/result.png"},
      {"the first of several patterns", "/d/result", "TIFF Files (*.tif *.tiff)", "/d/result.tif"},
      {"the bitmap filter", "/d/result", "Bitmap Files (*.bmp)", "/d/result.bmp"},
      {"all files: the default", "/d/points", "All Files (*)", "/d/points.crd"},
      {"an extension typed stays", "/d/result.bmp", "PNG Files (*.png)", "/d/result.bmp"},
      {"a dot in the folder is no extension", "/d.v1/result", "PNG Files (*.png)", "/d.v1/result.png"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(gui::WithChosenSuffix(c.typed, c.filter, "crd").toStdString(), c.expected) << c.name;
}

// Runs `act` on the file dialog once it is open.
void OnDialog(const std::function<void(QFileDialog&)>& act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    act(*dialog);
  });
}

TEST(FileDialogsTest, TheRealSaveDialogAddsTheExtensionOfTheChosenFilterAndSpeaksRussian) {
  test::TempDir dir;
  gui::QtFileDialogs dialogs;
  QStringList buttons;
  OnDialog([&](QFileDialog& dialog) {
    for (const QPushButton* button : dialog.findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
      buttons << button->text();
    dialog.selectNameFilter(QStringLiteral("PNG Files (*.png)"));
    dialog.selectFile(QString::fromStdString(dir.File("result")));
    QMetaObject::invokeMethod(&dialog, "accept");
  });
  const QString chosen = dialogs.SaveFileName(
      nullptr, gui::FileDialogRequest{QString::fromStdString(dir.Path().string()), kResultFilter, {}, "bmp", {}});
  EXPECT_EQ(chosen.toStdString(), dir.File("result.png"));
  buttons.sort();
  EXPECT_EQ(buttons, QStringList({"Отмена", "Сохранить"}));

  // Cancelled: nothing.
  OnDialog([](QFileDialog& dialog) { dialog.reject(); });
  EXPECT_EQ(dialogs.SaveFileName(nullptr, gui::FileDialogRequest{{}, kResultFilter, {}, "bmp", {}}), QString());
}

}  // namespace
}  // namespace vesk
