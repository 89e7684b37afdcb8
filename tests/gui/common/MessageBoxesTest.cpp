#include "gui/common/MessageBoxes.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "common/VeskError.h"
#include "support/ScriptedDialogs.h"

namespace vesk {
namespace {

TEST(MessageBoxesTest, AnythingThrownReachesTheStandardErrorBoxAndNothingEscapes) {
  struct Case {
    const char* name;
    std::function<void()> action;
    const char* shown;
  } cases[] = {
      {"the system's error", [] { throw VeskError("Index out of bounds ListOfT::Get"); },
       "Index out of bounds ListOfT::Get"},
      {"a library error", [] { throw std::out_of_range("vector"); }, "vector"},
      {"no memory", [] { throw std::bad_alloc(); }, "Недостаточно памяти!"},
      {"not an exception", [] { throw 42; }, "Неизвестная ошибка!"},
  };
  for (const Case& c : cases) {
    test::RecordingMessageBoxes boxes;
    EXPECT_FALSE(gui::RunGuarded(boxes, c.action)) << c.name;
    ASSERT_EQ(boxes.Boxes.size(), 1u) << c.name;
    EXPECT_EQ(boxes.Boxes[0].Caption, "Vesk") << c.name;
    EXPECT_EQ(boxes.Boxes[0].Text, QString::fromUtf8(c.shown)) << c.name;
    EXPECT_EQ(boxes.Boxes[0].Icon, MessageIcon::Error) << c.name;
  }
  test::RecordingMessageBoxes quiet;
  EXPECT_TRUE(gui::RunGuarded(quiet, [] {}));
  EXPECT_TRUE(quiet.Boxes.empty());
}

TEST(MessageBoxesTest, TheRealBoxesAnswerWithRussianButtonsAndEscMeansCancel) {
  using Answer = gui::MessageBoxes::Answer;
  gui::QtMessageBoxes boxes;
  // Presses the button captioned `press` (Esc when empty) once the box is
  // open, after noting the captions of its buttons.
  const auto answer = [](const QString& press, QStringList& seen) {
    QTimer::singleShot(0, [press, &seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      for (QAbstractButton* button : box->buttons()) {
        seen << button->text();
        if (button->text() == press) button->click();
      }
      if (press.isEmpty()) QTest::keyClick(box, Qt::Key_Escape);
    });
  };
  struct Case {
    const char* press;
    Answer expected;
  } cases[] = {{"Да", Answer::Yes}, {"Нет", Answer::No}, {"Отмена", Answer::Cancel}, {"", Answer::Cancel}};
  for (const Case& c : cases) {
    QStringList seen;
    answer(QString::fromUtf8(c.press), seen);
    EXPECT_EQ(boxes.AskYesNoCancel(nullptr, "Предупреждение", "Сохранить?"), c.expected) << c.press;
    seen.sort();
    EXPECT_EQ(seen, QStringList({"Да", "Нет", "Отмена"}));
  }
  QStringList seen;
  answer(QStringLiteral("Да"), seen);
  EXPECT_TRUE(boxes.AskYesNo(nullptr, "Предупреждение", "Перезаписать?"));
  seen.sort();
  EXPECT_EQ(seen, QStringList({"Да", "Нет"}));
}

}  // namespace
}  // namespace vesk
