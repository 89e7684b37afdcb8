#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>

#include "gui/settings/FieldCheck.h"
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

TEST_F(BuildAreaDialogTest, AWrongFieldTurnsRedIsNamedAndNothingIsStored) {
  // Each case types over the initial texts (-100, 600, -100, 500, 1).
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, QString>> typed;
    QString message;
    std::vector<const char*> red;
  } cases[] = {
      {"letters",
       {{"Edit5", "abc"}},
       "Поле «Границы по x, до»: «abc» — не число.\nДробная часть отделяется запятой.",
       {"Edit5"}},
      {"the other separator",
       {{"Edit2", "0.5"}},
       "Поле «Границы по y, от»: «0.5» — не число.\nДробная часть отделяется запятой.",
       {"Edit2"}},
      {"an empty field", {{"Edit3", ""}}, "Поле «Масштаб» не заполнено.", {"Edit3"}},
      {"x reversed",
       {{"Edit1", "300"}, {"Edit5", "-60"}},
       "Поле «Границы по x, от»: значение должно быть меньше, чем в поле «Границы по x, до».",
       {"Edit1", "Edit5"}},
      {"y empty",
       {{"Edit2", "500"}},
       "Поле «Границы по y, от»: значение должно быть меньше, чем в поле «Границы по y, до».",
       {"Edit2", "Edit4"}},
      {"a step of zero", {{"Edit3", "0"}}, "Поле «Масштаб»: значение должно быть больше нуля.", {"Edit3"}},
      {"a negative step", {{"Edit3", "-2,5"}}, "Поле «Масштаб»: значение должно быть больше нуля.", {"Edit3"}},
      {"the first of two told, both red",
       {{"Edit1", "x"}, {"Edit3", "0"}},
       "Поле «Границы по x, от»: «x» — не число.\nДробная часть отделяется запятой.",
       {"Edit1", "Edit3"}},
  };
  for (const Case& c : cases) {
    for (const auto& [name, text] : std::initializer_list<std::pair<const char*, const char*>>{
             {"Edit1", "-100"}, {"Edit5", "600"}, {"Edit2", "-100"}, {"Edit4", "500"}, {"Edit3", "1"}})
      Type(name, QString::fromUtf8(text));
    boxes.Boxes.clear();
    BuildAreaFields area = Sentinels();
    area.AreaCancelled = true;
    Open(area);
    for (const auto& [field, text] : c.typed) Type(field, text);
    Click("OKButton");
    EXPECT_TRUE(dialog.isVisible()) << c.name;
    ASSERT_EQ(boxes.Boxes.size(), 1u) << c.name;
    EXPECT_EQ(boxes.Boxes[0].Owner, &dialog) << c.name;
    EXPECT_EQ(boxes.Boxes[0].Caption, "Ошибка!") << c.name;
    EXPECT_EQ(boxes.Boxes[0].Text, c.message) << c.name;
    for (const char* name : {"Edit1", "Edit5", "Edit2", "Edit4", "Edit3"}) {
      const bool red = std::find_if(c.red.begin(), c.red.end(),
                                    [&](const char* r) { return std::string(r) == name; }) != c.red.end();
      EXPECT_EQ(gui::FieldCheck::MarkedInvalid(*Field(name)), red) << c.name << " " << name;
      if (red) {
        EXPECT_NE(Field(name)->palette().color(QPalette::Base), dialog.palette().color(QPalette::Base));
      }
    }
    for (const auto& [field, text] : c.typed) EXPECT_EQ(Field(field)->text(), text) << c.name << ": kept as typed";
    EXPECT_EQ(area.XMin, 11) << c.name << ": nothing is stored";
    EXPECT_EQ(area.XMax, 12) << c.name;
    EXPECT_EQ(area.Step, 15) << c.name;
    EXPECT_TRUE(area.AreaCancelled) << c.name;
    dialog.hide();
  }
}

TEST_F(BuildAreaDialogTest, ARedFieldTurnsBackOnceChangedAndTheCorrectedAreaIsStored) {
  BuildAreaFields area = Sentinels();
  Open(area);
  Type("Edit1", "300");
  Type("Edit5", "-60");
  Click("OKButton");
  ASSERT_TRUE(gui::FieldCheck::MarkedInvalid(*Field("Edit1")));
  EXPECT_EQ(dialog.focusWidget(), Field("Edit1")) << "the field named gets the focus";
  Type("Edit5", "600,5");
  EXPECT_FALSE(gui::FieldCheck::MarkedInvalid(*Field("Edit5")));
  Click("OKButton");
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(area.XMin, 300);
  EXPECT_EQ(area.XMax, 600.5);
  EXPECT_EQ(area.YMin, -100);

  // The texts stay for the next use, and a ticked box leaves the step's
  // field unchecked.
  Open(area);
  EXPECT_EQ(Field("Edit5")->text(), "600,5");
  Type("Edit3", "0");
  Autostep()->click();
  Click("OKButton");
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_TRUE(area.AutoStep);
}

TEST_F(BuildAreaDialogTest, EveryButtonSpeaksRussian) {
  QStringList texts;
  for (const QPushButton* button : dialog.findChildren<QPushButton*>()) texts << button->text();
  texts.sort();
  EXPECT_EQ(texts, QStringList({"OK", "Отмена"}));
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
