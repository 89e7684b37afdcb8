#include <gtest/gtest.h>

#include <filesystem>

#include "files/ProjectFile.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

ProjectFields OrientationSet() {
  ProjectFields fields;
  fields.Image1 = "/d/left.bmp";
  fields.Image2 = "/d/right.bmp";
  fields.Image1ExOrientation = "/d/left.ort";
  fields.Image2ExOrientation = "/d/right.ort";
  fields.Image1IntOrientation = "/d/left.cam";
  fields.Image2IntOrientation = "/d/right.cam";
  return fields;
}

ProjectFields ReferencePointSet() {
  ProjectFields fields;
  fields.Image1 = "/p/a.bmp";
  fields.Image2 = "/p/b.bmp";
  fields.Image1ReperPoints = "/p/a.crd";
  fields.Image2ReperPoints = "/p/b.crd";
  fields.SceneReperPoints = "/p/scene.crd";
  return fields;
}

const char* const kOrientationProject =
    "[Images]\r\nImage1=/d/left.bmp\r\nImage2=/d/right.bmp\r\n"
    "[ExternalOrientation]\r\nImage1ExOrientation=/d/left.ort\r\nImage2ExOrientation=/d/right.ort\r\n"
    "[InternalOrientation]\r\nImage1IntOrientation=/d/left.cam\r\nImage2IntOrientation=/d/right.cam\r\n";

TEST(ProjectFileTest, NewFilesHoldTheirSectionsInOrder) {
  test::TempDir dir;
  test::RecordingDialogs dialogs;
  EXPECT_EQ(WriteProject(dir.File("o.prt"), OrientationSet(), dialogs), ProjectWriteResult::Written);
  EXPECT_EQ(dir.Read("o.prt"), kOrientationProject);

  ProjectFields points = ReferencePointSet();
  points.SceneReperPoints.clear();  // an unused key is not written at all
  EXPECT_EQ(WriteProject(dir.File("r.prt"), points, dialogs), ProjectWriteResult::Written);
  EXPECT_EQ(dir.Read("r.prt"),
            "[Images]\r\nImage1=/p/a.bmp\r\nImage2=/p/b.bmp\r\n"
            "[ReperPoints]\r\nImage1ReperPoints=/p/a.crd\r\nImage2ReperPoints=/p/b.crd\r\n");
  EXPECT_TRUE(dialogs.Entries.empty());
}

TEST(ProjectFileTest, SavingOverAnotherWorkspacesProjectKeepsItsSections) {
  test::TempDir dir;
  const std::string path =
      dir.Write("set.prt", std::string(kOrientationProject) + "[ReperPoints]\r\nSceneReperPoints=/old/scene.crd\r\n");
  test::RecordingDialogs dialogs;
  ProjectFields points = ReferencePointSet();
  points.SceneReperPoints.clear();  // keeps the old value
  EXPECT_EQ(WriteProject(path, points, dialogs), ProjectWriteResult::Written);
  ASSERT_EQ(dialogs.Entries.size(), 1u);
  EXPECT_TRUE(dialogs.Entries[0].Question);
  EXPECT_EQ(dialogs.Entries[0].Caption, "Предупреждение");
  EXPECT_EQ(dialogs.Entries[0].Text, "Файл set.prt уже существует. Перезаписать?");
  EXPECT_EQ(dir.Read("set.prt"),
            "[Images]\r\nImage1=/p/a.bmp\r\nImage2=/p/b.bmp\r\n"
            "[ExternalOrientation]\r\nImage1ExOrientation=/d/left.ort\r\nImage2ExOrientation=/d/right.ort\r\n"
            "[InternalOrientation]\r\nImage1IntOrientation=/d/left.cam\r\nImage2IntOrientation=/d/right.cam\r\n"
            "[ReperPoints]\r\nSceneReperPoints=/old/scene.crd\r\nImage1ReperPoints=/p/a.crd\r\n"
            "Image2ReperPoints=/p/b.crd\r\n");

  ProjectFields read;
  ASSERT_TRUE(test::Shown(ReadProject(path, read), dialogs));
  ProjectFields expected = OrientationSet();
  expected.Image1 = "/p/a.bmp";
  expected.Image2 = "/p/b.bmp";
  expected.Image1ReperPoints = "/p/a.crd";
  expected.Image2ReperPoints = "/p/b.crd";
  expected.SceneReperPoints = "/old/scene.crd";
  EXPECT_EQ(read, expected);
}

TEST(ProjectFileTest, DecliningTheQuestionChangesNothing) {
  test::TempDir dir;
  const std::string path = dir.Write("set.prt", kOrientationProject);
  test::RecordingDialogs dialogs;
  dialogs.Reply = false;
  EXPECT_EQ(WriteProject(path, ReferencePointSet(), dialogs), ProjectWriteResult::Declined);
  EXPECT_EQ(dir.Read("set.prt"), kOrientationProject);
  EXPECT_EQ(dialogs.Entries.size(), 1u);
}

TEST(ProjectFileTest, AFailedWriteLeavesTheOldFileWhole) {
  test::TempDir dir;
  const std::string path = dir.Write("set.prt", kOrientationProject);
  test::RecordingDialogs dialogs;
  ProjectFields fields = ReferencePointSet();
  fields.SceneReperPoints = "/p/two\nlines.crd";  // cannot be stored in one INI line
  EXPECT_EQ(WriteProject(path, fields, dialogs), ProjectWriteResult::Failed);
  EXPECT_EQ(dir.Read("set.prt"), kOrientationProject);

  EXPECT_EQ(WriteProject(dir.File("no/such/folder/x.prt"), OrientationSet(), dialogs), ProjectWriteResult::Failed);
  ASSERT_EQ(dialogs.Entries.size(), 3u);
  for (const std::size_t i : {1u, 2u}) {
    EXPECT_EQ(dialogs.Entries[i].Caption, "Ошибка");
    EXPECT_EQ(dialogs.Entries[i].Text, "Ошибка записи файла проекта!");
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()),
            1);  // no temporary file left behind
}

TEST(ProjectFileTest, ReadingMissingKeysAndFiles) {
  test::TempDir dir;
  test::RecordingDialogs dialogs;
  ProjectFields fields = ReferencePointSet();
  ASSERT_TRUE(test::Shown(ReadProject(dir.Write("o.prt", kOrientationProject), fields), dialogs));
  EXPECT_EQ(fields, OrientationSet());  // the absent ReperPoints read as empty texts

  fields = ReferencePointSet();
  ASSERT_TRUE(test::Shown(ReadProject(dir.File("none.prt"), fields), dialogs));
  EXPECT_EQ(fields, ProjectFields{});
  EXPECT_TRUE(dialogs.Entries.empty());

  std::filesystem::create_directory(dir.Path() / "folder.prt");
  EXPECT_FALSE(test::Shown(ReadProject(dir.File("folder.prt"), fields), dialogs));
  ASSERT_EQ(dialogs.Entries.size(), 1u);
  EXPECT_EQ(dialogs.Entries[0].Caption, "Ошибка");
  EXPECT_EQ(dialogs.Entries[0].Text, "Ошибка чтения файла проекта!");
}

TEST(ProjectFileTest, RelativePathsAreTakenFromTheProjectsFolder) {
  const auto dir = test::ExamplesDir() / "chessboard";
  const std::string path = (dir / "chessboard_orientation.prt").string();
  test::RecordingDialogs dialogs;
  ProjectFields stored;
  ASSERT_TRUE(test::Shown(ReadProject(path, stored), dialogs));
  EXPECT_EQ(stored.Image1IntOrientation, "left01.cam");  // kept as stored, for a later save

  const ProjectFields resolved = ResolveProjectPaths(stored, path);
  EXPECT_EQ(resolved.Image1IntOrientation, (dir / "left01.cam").string());
  EXPECT_EQ(resolved.Image2ExOrientation, (dir / "right01.ort").string());
  EXPECT_TRUE(resolved.SceneReperPoints.empty());

  ProjectFields mixed;
  mixed.Image1 = "/abs/a.bmp";
  mixed.Image2 = "sub/b.bmp";
  const ProjectFields fromFolder = ResolveProjectPaths(mixed, "/proj/set.prt");
  EXPECT_EQ(fromFolder.Image1, "/abs/a.bmp");
  EXPECT_EQ(fromFolder.Image2, "/proj/sub/b.bmp");
  EXPECT_EQ(ResolveProjectPaths(mixed, "set.prt"), mixed);  // already relative to the current folder
}

}  // namespace
}  // namespace vesk
