// vesk-cli against hostile inputs and outputs: what may be written, what is
// refused before any work, Ctrl+C in every phase, image bombs, odd names.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QImage>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>

#include "cli/CliTestSupport.h"
#include "qt/ImageFiles.h"
#include "support/NoisePhoto.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using test::RunVeskCli;

std::string Chessboard(const std::string& name) { return (test::ExamplesDir() / "chessboard" / name).string(); }

std::size_t FilesIn(const test::TempDir& dir) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) ++count;
  return count;
}

std::vector<std::string> RenderTo(const std::string& photo1, const std::string& photo2, const std::string& out) {
  return {"render",       "--photo1",        photo1, "--photo2", photo2, "--mode", "7",
          "--transform1", "1,0,0,0,0,0,1,0", "-o",   out};
}

TEST(SafeFilesTest, OutputTargetsAreRefusedBeforeAnyWorkOrWrittenSafely) {
  test::TempDir dir;
  const std::string photo1 = dir.File("a.bmp"), photo2 = dir.File("b.bmp");
  ASSERT_TRUE(qt::SaveImage(test::NoisePhoto(40, 30, 1), photo1));
  ASSERT_TRUE(qt::SaveImage(test::NoisePhoto(40, 30, 2), photo2));
  const std::string old = dir.Write("old.bmp", "old contents");
  ASSERT_EQ(chmod(old.c_str(), 0640), 0);
  std::filesystem::create_symlink(old, dir.File("link.bmp"));
  ASSERT_EQ(mkfifo(dir.File("fifo.bmp").c_str(), 0644), 0);
  std::filesystem::create_directory(dir.File("folder.bmp"));
  std::filesystem::create_hard_link(photo1, dir.File("same-as-a.bmp"));

  struct Case {
    const char* name;
    std::string output;
    int status;
    std::string error;  // part of the message; empty when written
  } cases[] = {
      {"a new file", dir.File("new.bmp"), 0, ""},
      {"an existing file keeps its mode", old, 0, ""},
      {"a symbolic link is written through", dir.File("link.bmp"), 0, ""},
      {"a FIFO", dir.File("fifo.bmp"), 1, "not a regular file"},
      {"a device", "/dev/null", 1, "not a regular file"},
      {"a folder", dir.File("folder.bmp"), 1, "folder"},
      {"a missing folder", dir.File("nowhere/r.bmp"), 1, "folder does not exist"},
      {"one of the photographs", photo2, 1, "input"},
      {"another name of a photograph", dir.File("same-as-a.bmp"), 1, "input"},
  };
  for (const Case& c : cases) {
    const auto run = RunVeskCli(RenderTo(photo1, photo2, c.output));
    EXPECT_EQ(run.Status, c.status) << c.name << ": " << run.Err;
    if (!c.error.empty()) {
      EXPECT_NE(run.Err.find(c.error), std::string::npos) << c.name << ": " << run.Err;
      EXPECT_NE(run.Err.find("Не удаётся записать изображение!"), std::string::npos) << c.name;
    }
  }
  struct stat written;
  ASSERT_EQ(stat(old.c_str(), &written), 0);
  EXPECT_EQ(written.st_mode & 07777, 0640u);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.bmp")));
  EXPECT_EQ(qt::LoadImage(old)->Width(), 40);
  EXPECT_TRUE(std::filesystem::is_fifo(dir.File("fifo.bmp")));
  EXPECT_TRUE(qt::LoadImage(photo2) == test::NoisePhoto(40, 30, 2));

  // The project's own files are inputs too.
  test::TempDir set;
  for (const char* name : {"left01.bmp", "right01.bmp", "left01.crd", "right01.crd", "scene.crd"})
    std::filesystem::copy_file(Chessboard(name), set.File(name));
  const std::string project = set.Write("p.prt",
                                        "[Images]\r\nImage1=left01.bmp\r\nImage2=right01.bmp\r\n[ReperPoints]\r\n"
                                        "Image1ReperPoints=left01.crd\r\nImage2ReperPoints=right01.crd\r\n"
                                        "SceneReperPoints=scene.crd\r\n");
  for (const std::string& target : {project, set.File("scene.crd")}) {
    const std::string before = set.Read(std::filesystem::path(target).filename().string());
    const auto run = RunVeskCli({"render", "--project", project, "--by", "points", "--build", "anaglyph-first",
                                 "--decimal-separator", ".", "-o", target});
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_NE(run.Err.find("input"), std::string::npos) << run.Err;
    EXPECT_EQ(set.Read(std::filesystem::path(target).filename().string()), before);
  }
}

// A stream that asks the command to stop as soon as a progress bar with the
// given label is drawn: a hook into one phase, without timing.
class StopAtLabel : public std::stringbuf {
 public:
  StopAtLabel(std::string label, std::atomic<bool>& flag) : label_(std::move(label)), flag_(flag) {}

 protected:
  int sync() override {
    if (str().find(label_ + " [") != std::string::npos) flag_ = true;
    return 0;
  }

 private:
  std::string label_;
  std::atomic<bool>& flag_;
};

TEST(SafeFilesTest, CtrlCInAnyPhaseExits130AndLeavesTheOldFile) {
  test::TempDir dir;
  const std::string old = dir.Write("old.png", "the old result");
  const std::size_t files = FilesIn(dir);
  const std::vector<std::string> project = {"render",
                                            "--project",
                                            Chessboard("chessboard_points.prt"),
                                            "--by",
                                            "points",
                                            "--build",
                                            "anaglyph-scene",
                                            "--decimal-separator",
                                            "."};
  // "" stops before anything runs (while the photographs are read).
  for (const char* phase : {"", "computing the parameters", "render", "write"}) {
    for (const char* name : {"old.png", "old.bmp"}) {
      std::atomic<bool> interrupted{std::string(phase).empty()};
      StopAtLabel hook(phase, interrupted);
      std::ostream err(&hook);
      std::ostringstream out;
      cli::CliEnvironment env{out, err, [](const char*) -> const char* { return nullptr; }, true, &interrupted};
      std::vector<std::string> args = project;
      args.insert(args.end(), {"-o", dir.File(name)});
      if (std::string(name) == "old.bmp") dir.Write(name, "the old result");
      EXPECT_EQ(cli::RunCli(args, env), 130) << phase << " " << name << ": " << hook.str();
      EXPECT_EQ(dir.Read(name), "the old result") << phase << " " << name;
    }
  }
  EXPECT_EQ(FilesIn(dir), files + 1);  // old.png and old.bmp, no temporary file
  (void)old;
}

TEST(SafeFilesTest, ImageBombsAndBrokenPhotographsAreRefusedFromTheirHeader) {
  test::TempDir dir;
  const std::string good = dir.File("good.bmp");
  ASSERT_TRUE(qt::SaveImage(test::NoisePhoto(50, 40, 3), good));
  // A PNG whose header declares 30000 x 30000 pixels of one colour: tiny on disk.
  QImage bomb(30000, 30000, QImage::Format_Mono);
  bomb.fill(0);
  const std::string png = dir.File("bomb.png");
  ASSERT_TRUE(bomb.save(QString::fromStdString(png), "PNG"));
  ASSERT_LT(std::filesystem::file_size(png), 10u << 20);
  // A BMP cut off in its pixels.
  std::string bytes = dir.Read("good.bmp");
  const std::string cut = dir.Write("cut.bmp", bytes.substr(0, bytes.size() / 2));

  struct Case {
    std::string photo;
    std::string error;
  } cases[] = {{png, "Снимок слишком велик!"}, {cut, "Файл не удаётся прочитать как изображение!"}};
  for (const Case& c : cases) {
    const auto run = RunVeskCli(RenderTo(c.photo, good, dir.File("r.bmp")));
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_NE(run.Err.find(c.error), std::string::npos) << run.Err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("r.bmp")));
}

TEST(SafeFilesTest, DataFilesThatAreNoFilesSayWhatTheyAre) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.File("folder.crd"));
  ASSERT_EQ(mkfifo(dir.File("fifo.crd").c_str(), 0644), 0);
  const std::string garbage = dir.Write("garbage.prt", std::string("\xFF\xFE[\0I\0m\0", 8));
  const std::string empty = dir.Write("empty.prt", "");
  struct Case {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"check", dir.File("folder.crd")}, "is a folder"},
      {{"check", dir.File("fifo.crd")}, "not a regular file"},
      {{"check", garbage}, "names no paths"},
      {{"check", empty}, "names no paths"},
      {{"fit", "--points1", dir.File("folder.crd"), "--points2", Chessboard("right01.crd"), "--mode", "0"},
       "is a folder"},
  };
  for (const Case& c : cases) {
    const auto run = RunVeskCli(c.args);
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_NE(run.Err.find(c.error), std::string::npos) << run.Err;
  }
}

TEST(SafeFilesTest, NamesThatAreNoUtf8OpenAndStayValidJson) {
  test::TempDir dir;
  // "левый" in Windows-1251, as projects made on Windows name their files.
  const std::string name = dir.File("\xEB\xE5\xE2\xFB\xE9.crd");
  std::filesystem::copy_file(Chessboard("left01.crd"), name);
  const auto run = RunVeskCli({"check", "--json", "--decimal-separator", ".", name});
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Out.find("\\u00eb\\u00e5\\u00e2\\u00fb\\u00e9.crd"), std::string::npos) << run.Out;

  const std::string photo = dir.File("\xEB\xE5\xE2\xFB\xE9.bmp");
  std::filesystem::copy_file(Chessboard("left01.bmp"), photo);
  EXPECT_EQ(RunVeskCli(RenderTo(photo, Chessboard("right01.bmp"), dir.File("r.bmp"))).Status, 0);
}

TEST(SafeFilesTest, ThreadCountsBeyondReasonAreUsageErrors) {
  test::TempDir dir;
  const auto run =
      RunVeskCli({"render", "--photo1", Chessboard("left01.bmp"), "--photo2", Chessboard("right01.bmp"), "--mode", "7",
                  "--transform1", "1,0,0,0,0,0,1,0", "--threads", "40000", "-o", dir.File("r.bmp")});
  EXPECT_EQ(run.Status, 2) << run.Err;
  EXPECT_NE(run.Err.find("from 1 to 256"), std::string::npos) << run.Err;
}

}  // namespace
}  // namespace vesk
