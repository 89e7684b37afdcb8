#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "gui/settings/FieldCheck.h"
#include "gui/settings/TVisualNForm.h"
#include "support/ScriptedDialogs.h"

namespace vesk {
namespace {

class SettingsDialogTest : public testing::Test {
 protected:
  QLineEdit* Field(const char* name) { return dialog.findChild<QLineEdit*>(name); }
  void Click(const char* button) { QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton); }
  void Type(const char* field, const QString& text) {
    Field(field)->clear();
    QTest::keyClicks(Field(field), text);
  }
  void Open(StatisticalSettings& settings) {
    dialog.Present(settings);
    dialog.show();
  }

  test::ScriptedFileDialogs files;
  test::RecordingMessageBoxes boxes;
  gui::GuiContext context{files, boxes, NumberFormat::Comma(), {}, 0};
  gui::TVisualNForm dialog{context};
};

TEST_F(SettingsDialogTest, ShowsTheInitialSettingsAndStoresTheDistanceAsAFraction) {
  EXPECT_EQ(dialog.windowTitle(), "Настройки");
  auto* pages = dialog.findChild<QTabWidget*>();
  ASSERT_EQ(pages->count(), 1);
  EXPECT_EQ(pages->tabText(0), "Параметры счёта");
  EXPECT_EQ(dialog.findChild<QLabel*>("Label1")->text(), "Количество σ, отсекаемых при анализе распределений:");

  StatisticalSettings settings;
  Open(settings);
  EXPECT_EQ(Field("Edit1")->text(), "3");
  EXPECT_EQ(Field("Edit2")->text(), "10");
  EXPECT_EQ(Field("Edit3")->text(), "10");
  Type("Edit3", "5");
  Click("OKButton");
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_DOUBLE_EQ(settings.MinDistance, 0.05);
  EXPECT_EQ(settings.SigmaCount, 3);
  EXPECT_EQ(settings.MinAngle, 10);
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(SettingsDialogTest, AFieldThatIsNoNumberTurnsRedIsNamedAndNothingIsStored) {
  StatisticalSettings settings;
  Open(settings);
  Type("Edit1", "2,5");
  Type("Edit2", "2.5");  // a point is no separator under this locale
  Type("Edit3", "50");
  Click("OKButton");
  EXPECT_TRUE(dialog.isVisible());
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Owner, &dialog);
  EXPECT_EQ(boxes.Boxes[0].Caption, "Ошибка!");
  EXPECT_EQ(boxes.Boxes[0].Text,
            "Параметры заданы неправильно!\nПоле «Минимальный угол»: «2.5» — не число.\n"
            "Дробная часть отделяется запятой.");
  EXPECT_TRUE(gui::FieldCheck::MarkedInvalid(*Field("Edit2")));
  EXPECT_FALSE(gui::FieldCheck::MarkedInvalid(*Field("Edit1")));
  EXPECT_EQ(Field("Edit2")->text(), "2.5");
  EXPECT_EQ(settings.SigmaCount, 3) << "nothing is stored from a dialog not accepted";
  EXPECT_EQ(settings.MinAngle, 10);
  EXPECT_EQ(settings.MinDistance, 0.1);

  Type("Edit2", "2,5");
  EXPECT_FALSE(gui::FieldCheck::MarkedInvalid(*Field("Edit2")));
  Click("OKButton");
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(settings.SigmaCount, 2.5);
  EXPECT_EQ(settings.MinAngle, 2.5);
  EXPECT_EQ(settings.MinDistance, 0.5);
}

TEST_F(SettingsDialogTest, AcceptsZeroAndNegativeValuesAsTheyAre) {
  StatisticalSettings settings;
  Open(settings);
  Type("Edit1", "0");
  Type("Edit2", "-5");
  Type("Edit3", "-1,5E2");
  Click("OKButton");
  EXPECT_TRUE(boxes.Boxes.empty());
  EXPECT_EQ(settings.SigmaCount, 0);
  EXPECT_EQ(settings.MinAngle, -5);
  EXPECT_EQ(settings.MinDistance, -150 * 0.01);
}

TEST_F(SettingsDialogTest, CancelAndTheCloseBoxStoreNothing) {
  for (const bool closeBox : {false, true}) {
    StatisticalSettings settings;
    Open(settings);
    Type("Edit1", "7");
    if (closeBox)
      dialog.close();
    else
      Click("CancelButton");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(settings.SigmaCount, 3);
  }
}

TEST_F(SettingsDialogTest, EveryOpeningShowsTheWorkspaceValuesAgain) {
  StatisticalSettings settings;
  Open(settings);
  Type("Edit1", "7");
  Click("CancelButton");
  settings.MinDistance = 0.025;
  Open(settings);
  EXPECT_EQ(Field("Edit1")->text(), "3");
  EXPECT_EQ(Field("Edit3")->text(), "2,5");
}

}  // namespace
}  // namespace vesk
