#include "gui/common/MessageBoxes.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vesk
