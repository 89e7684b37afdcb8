#include <gtest/gtest.h>

#include "orientation/OrientationInputs.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

std::string Chessboard(const std::string& name) { return (test::ExamplesDir() / "chessboard" / name).string(); }

TEST(OrientationInputsTest, ReadsBothCamerasFirstAndStopsAtTheFirstFailure) {
  const OrientationFilePaths good = {Chessboard("left01.cam"), Chessboard("left01.ort"), Chessboard("right01.cam"),
                                     Chessboard("right01.ort")};
  test::RecordingDialogs dialogs;
  OrientationInputs inputs;
  ASSERT_TRUE(test::Shown(ReadOrientationInputs(good, inputs, NumberFormat::Dot()), dialogs));
  EXPECT_EQ(inputs.Camera2.FocalLength, 537.060649642106);
  EXPECT_EQ(inputs.Shooting2.SightingDistance, 446.390682720923);

  test::TempDir dir;
  OrientationFilePaths broken = good;
  broken.Camera2 = dir.File("none.cam");
  broken.Orientation1 = dir.File("none.ort");  // read after the second camera, so never reached
  OrientationInputs partial;
  ReadFailure failure;
  EXPECT_FALSE(test::Shown(ReadOrientationInputs(broken, partial, NumberFormat::Dot()), dialogs, &failure));
  EXPECT_EQ(failure.File, broken.Camera2);
  EXPECT_EQ(failure.Message.Text, "Файл " + broken.Camera2 + " не найден!");
  ASSERT_EQ(dialogs.Entries.size(), 1u);
  EXPECT_EQ(partial.Camera1.FocalLength, 532.929537681086);
}

}  // namespace
}  // namespace vesk
