#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "gui/settings/TObjForm.h"
#include "support/ScriptedDialogs.h"

namespace vesk {
namespace {

using gui::BuildAreaFields;

// Values no dialog would write, so that an untouched field shows.
BuildAreaFields Sentinels() { return BuildAreaFields{11, 12, 13, 14, 15, false, false}; }

class BuildAreaDialogTest : public testing::Test {
 public:
  QLineEdit* Field(const char* name) { return dialog.findChild<QLineEdit*>(name); }
  QCheckBox* Autostep() { return dialog.findChild<QCheckBox*>("AutostepCheckBox"); }
  void Click(const char* button) {
    auto* b = dialog.findChild<QPushButton*>(button);
    ASSERT_NE(b, nullptr) << button;
    QTest::mouseClick(b, Qt::LeftButton);
  }
  void Open(BuildAreaFields& target) {
    dialog.SetBuildAreaTarget(&target);
    dialog.show();
  }
  void Type(const char* field, const QString& text) {
    Field(field)->clear();
    QTest::keyClicks(Field(field), text);
  }

  test::ScriptedFileDialogs files;
  test::RecordingMessageBoxes boxes;
  gui::GuiContext context{files, boxes, NumberFormat::Comma(), {}, 0};
  gui::TObjForm dialog{context};
};

TEST_F(BuildAreaDialogTest, AcceptedUnchangedOnFirstUseGivesTheInitialArea) {
  EXPECT_EQ(dialog.windowTitle(), "Границы области построения");
  BuildAreaFields area = Sentinels();
  area.AreaCancelled = true;
  Open(area);
  Click("OKButton");
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(area.XMin, -100);
  EXPECT_EQ(area.XMax, 600);
  EXPECT_EQ(area.YMin, -100);
  EXPECT_EQ(area.YMax, 500);
  EXPECT_EQ(area.Step, 1);
  EXPECT_FALSE(area.AutoStep);
  EXPECT_FALSE(area.AreaCancelled);
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(BuildAreaDialogTest, AutomaticScalingLeavesTheStepAndDisablesItsField) {
  BuildAreaFields area = Sentinels();
  Open(area);
  Type("Edit3", "abc");  // not read while the box is ticked
  QTest::mouseClick(Autostep(), Qt::LeftButton, {}, QPoint(4, Autostep()->height() / 2));
  ASSERT_TRUE(Autostep()->isChecked());
  EXPECT_FALSE(Field("Edit3")->isEnabled());
  const QPalette palette = Field("Edit3")->palette();
  EXPECT_EQ(palette.color(QPalette::Disabled, QPalette::Base), palette.color(QPalette::Active, QPalette::Button));
  Click("OKButton");
  EXPECT_TRUE(boxes.Boxes.empty());
  EXPECT_TRUE(area.AutoStep);
  EXPECT_EQ(area.Step, 15);
  EXPECT_EQ(area.XMax, 600);

  // Unticked again, the step is read once more.
  Open(area);
  EXPECT_TRUE(Autostep()->isChecked()) << "the box keeps its state between uses";
  Autostep()->click();
  EXPECT_TRUE(Field("Edit3")->isEnabled());
  Type("Edit3", "0,5");
  Click("OKButton");
  EXPECT_FALSE(area.AutoStep);
  EXPECT_EQ(area.Step, 0.5);
}

TEST_F(BuildAreaDialogTest, AFieldThatIsNoNumberStoresTheOnesBeforeAndKeepsTheDialogOpen) {
  BuildAreaFields area = Sentinels();
  area.AreaCancelled = true;
  Open(area);
  Type("Edit5", "abc");
  Click("OKButton");
  EXPECT_TRUE(dialog.isVisible());
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Caption, "Vesk");
  EXPECT_EQ(boxes.Boxes[0].Text, "'abc' is not a valid floating point value");
  EXPECT_EQ(area.XMin, -100);
  EXPECT_EQ(area.XMax, 12);
  EXPECT_EQ(area.YMin, 13);
  EXPECT_EQ(area.YMax, 14);
  EXPECT_EQ(area.Step, 15);
  EXPECT_TRUE(area.AreaCancelled);
}

TEST_F(BuildAreaDialogTest, TheNumbersFollowTheLocaleSeparatorAndNoRangeIsChecked) {
  BuildAreaFields area = Sentinels();
  Open(area);
  Type("Edit1", "600");
  Type("Edit5", "-100");
  Type("Edit3", "-2,5");
  Click("OKButton");
  EXPECT_TRUE(boxes.Boxes.empty());
  EXPECT_EQ(area.XMin, 600);
  EXPECT_EQ(area.XMax, -100);
  EXPECT_EQ(area.Step, -2.5);

  Open(area);
  EXPECT_EQ(Field("Edit3")->text(), "-2,5") << "the texts stay for the next use";
  Type("Edit3", "2.5");
  Click("OKButton");
  EXPECT_TRUE(dialog.isVisible());
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, "'2.5' is not a valid floating point value");
}

TEST_F(BuildAreaDialogTest, CancelAndEscMarkTheAreaCancelledTheCloseBoxDoesNot) {
  struct Case {
    const char* name;
    std::function<void(BuildAreaDialogTest&)> leave;
    bool cancelled;
  } cases[] = {
      {"Cancel", [](BuildAreaDialogTest& t) { t.Click("CancelButton"); }, true},
      {"Esc", [](BuildAreaDialogTest& t) { QTest::keyClick(t.Field("Edit1"), Qt::Key_Escape); }, true},
      {"close box", [](BuildAreaDialogTest& t) { t.dialog.close(); }, false},
  };
  for (const Case& c : cases) {
    BuildAreaFields area = Sentinels();
    Open(area);
    Type("Edit1", "1");
    c.leave(*this);
    EXPECT_FALSE(dialog.isVisible()) << c.name;
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << c.name;
    EXPECT_EQ(area.AreaCancelled, c.cancelled) << c.name;
    EXPECT_EQ(area.XMin, 11) << c.name << ": nothing is converted";
  }
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(BuildAreaDialogTest, WritesIntoTheTargetBoundLast) {
  BuildAreaFields first = Sentinels();
  BuildAreaFields second = Sentinels();
  Open(first);
  dialog.SetBuildAreaTarget(&second);
  Click("OKButton");
  EXPECT_EQ(first.XMin, 11);
  EXPECT_EQ(second.XMin, -100);
  EXPECT_EQ(dialog.BuildAreaTarget(), &second);
}

}  // namespace
}  // namespace vesk
