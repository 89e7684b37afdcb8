#include "gui/app/CommandLine.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gui/app/TMainVisForm.h"
#include "gui/app/VeskWindows.h"
#include "gui/orientation/TVisual2_Form.h"
#include "gui/refpoints/TVisual_Form.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

namespace fs = std::filesystem;
using Action = gui::CommandLineRequest::Action;

std::string Chessboard(const char* name) { return (test::ExamplesDir() / "chessboard" / name).string(); }
QString Q(const std::string& path) { return QString::fromStdString(path); }

TEST(CommandLineTest, ParsesFilesHelpVersionAndUnknownOptions) {
  const struct {
    QStringList arguments;
    Action what;
    QStringList files;
  } cases[] = {
      {{}, Action::OpenWindows, {}},
      {{"a.prt"}, Action::OpenWindows, {"a.prt"}},
      {{"left.bmp", "right.bmp", "left.crd"}, Action::OpenWindows, {"left.bmp", "right.bmp", "left.crd"}},
      {{"--help"}, Action::PrintHelp, {}},
      {{"a.prt", "-h"}, Action::PrintHelp, {}},
      {{"--version"}, Action::PrintVersion, {}},
      {{"-v", "a.prt"}, Action::PrintVersion, {}},
      {{"--frobnicate", "a.prt"}, Action::UsageError, {}},
      // After "--" everything is a file, even a name like an option.
      {{"--", "--help", "-v.prt"}, Action::OpenWindows, {"--help", "-v.prt"}},
      {{"-"}, Action::OpenWindows, {"-"}},
  };
  for (const auto& c : cases) {
    const gui::CommandLineRequest request = gui::ParseCommandLine(c.arguments);
    EXPECT_EQ(request.What, c.what) << c.arguments.join(' ').toStdString();
    EXPECT_EQ(request.Files, c.files) << c.arguments.join(' ').toStdString();
  }
  EXPECT_EQ(gui::ParseCommandLine({"--frobnicate"}).Error, "unknown option '--frobnicate'");

  EXPECT_TRUE(gui::AsksForHelpOrVersion({"-platform", "offscreen", "--help"}));
  EXPECT_TRUE(gui::AsksForHelpOrVersion({"--version"}));
  EXPECT_FALSE(gui::AsksForHelpOrVersion({"-platform", "offscreen", "a.prt"}));
  EXPECT_FALSE(gui::AsksForHelpOrVersion({"--", "--help"}));
}

// The program itself: usage and version need no display at all. An unknown
// option is told once the application has taken Qt's own options, which
// needs a platform.
TEST(CommandLineTest, HelpAndVersionArePrintedWithoutADisplay) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
  const struct {
    QStringList arguments;
    int status;
    const char* printed;
  } cases[] = {
      {{"--help"}, 0, "Usage: vesk [FILE...]"},
      {{"--version"}, 0, "vesk " VESK_VERSION "\n"},
      {{"-platform", "offscreen", "--bogus"}, 2, "vesk: unknown option '--bogus'"},
  };
  for (const auto& c : cases) {
    QProcess vesk;
    vesk.setProcessEnvironment(environment);
    vesk.start(QStringLiteral(VESK_PROGRAM), c.arguments);
    ASSERT_TRUE(vesk.waitForFinished(20000)) << c.printed;
    EXPECT_EQ(vesk.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vesk.exitCode(), c.status) << c.printed;
    const QString out =
        QString::fromLocal8Bit(c.status == 0 ? vesk.readAllStandardOutput() : vesk.readAllStandardError());
    EXPECT_TRUE(out.contains(QString::fromUtf8(c.printed))) << out.toStdString();
  }
}

class CommandLineOpeningTest : public testing::Test {
 public:
  CommandLineOpeningTest() { windows.Show(); }
  void Open(const QStringList& files) { gui::OpenCommandLineFiles(windows, files, boxes); }
  gui::TVisual_Form& Points() { return windows.ReferencePointWorkspace(); }
  gui::TVisual2_Form& Orientation() { return windows.OrientationWorkspace(); }

  test::TempDir dir;
  test::ScriptedFileDialogs files;
  test::RecordingMessageBoxes boxes;
  gui::GuiContext context{files, boxes, NumberFormat::Dot(), {}, 0};
  gui::VeskWindows windows{context};
};

TEST_F(CommandLineOpeningTest, AReferencePointProjectOpensItsWorkspaceWithTheSetLoaded) {
  Open({Q(Chessboard("chessboard_points.prt"))});
  EXPECT_TRUE(Points().isVisible());
  EXPECT_FALSE(Orientation().isVisible());
  EXPECT_EQ(windows.Main().frameGeometry(), QRect(50, 50, 420, 80)) << "the mode window became the bar";
  EXPECT_TRUE(fs::equivalent(Points().Photo1Path(), Chessboard("left01.bmp")));
  EXPECT_TRUE(fs::equivalent(Points().Photo2Path(), Chessboard("right01.bmp")));
  EXPECT_TRUE(fs::equivalent(Points().Points1Path(), Chessboard("left01.crd")));
  EXPECT_TRUE(fs::equivalent(Points().ScenePath(), Chessboard("scene.crd")));
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(CommandLineOpeningTest, AnOrientationProjectOpensTheOrientationWorkspace) {
  // Named relative to the current folder, as a shell passes it.
  const QString before = QDir::currentPath();
  QDir::setCurrent(Q((test::ExamplesDir() / "chessboard").string()));
  Open({"chessboard_orientation.prt"});
  QDir::setCurrent(before);
  EXPECT_TRUE(Orientation().isVisible());
  EXPECT_FALSE(Points().isVisible());
  EXPECT_TRUE(fs::equivalent(Orientation().PhotoPath(2), Chessboard("right01.bmp")));
  EXPECT_TRUE(fs::equivalent(Orientation().OrientationPath(1), Chessboard("left01.ort")));
  EXPECT_TRUE(fs::equivalent(Orientation().CameraPath(2), Chessboard("right01.cam")));
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(CommandLineOpeningTest, AProjectOfBothWorkspacesOpensBothAndLeavesOtherFilesOut) {
  std::string both;
  for (const char* name : {"chessboard_points.prt", "chessboard_orientation.prt"}) {
    std::ifstream in(Chessboard(name));
    both += std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Absolute paths, so that the project works from the scratch folder.
  for (const char* name : {"left01", "right01", "scene"}) {
    for (std::size_t at = both.find(std::string("=") + name); at != std::string::npos;
         at = both.find(std::string("=") + name, at + 2))
      both.insert(at + 1, (test::ExamplesDir() / "chessboard").string() + "/");
  }
  const std::string project = dir.Write("both.prt", both);
  Open({Q((test::ExamplesDir() / "aloe" / "aloeL.bmp").string()), Q(project)});
  EXPECT_TRUE(Points().isVisible());
  EXPECT_TRUE(Orientation().isVisible());
  EXPECT_TRUE(fs::equivalent(Points().Photo1Path(), Chessboard("left01.bmp")));
  EXPECT_TRUE(fs::equivalent(Points().Points2Path(), Chessboard("right01.crd")));
  EXPECT_TRUE(fs::equivalent(Orientation().PhotoPath(1), Chessboard("left01.bmp")));
  EXPECT_TRUE(fs::equivalent(Orientation().OrientationPath(2), Chessboard("right01.ort")));
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(CommandLineOpeningTest, PhotographsAndPointFilesGoToTheReferencePointWorkspaceAsADropWould) {
  Open({Q(Chessboard("right01.bmp")), Q(Chessboard("left01.bmp")), Q(Chessboard("left01_8.crd")),
        Q(Chessboard("right01_8.crd")), Q(Chessboard("scene_8.crd"))});
  EXPECT_TRUE(Points().isVisible());
  EXPECT_FALSE(Orientation().isVisible());
  // In the order of their names: left before right, the scene last.
  EXPECT_EQ(Points().Photo1Path(), Chessboard("left01.bmp"));
  EXPECT_EQ(Points().Photo2Path(), Chessboard("right01.bmp"));
  EXPECT_EQ(Points().Points1Path(), Chessboard("left01_8.crd"));
  EXPECT_EQ(Points().Points2Path(), Chessboard("right01_8.crd"));
  EXPECT_EQ(Points().ScenePath(), Chessboard("scene_8.crd"));
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(CommandLineOpeningTest, OrientationFilesGoToTheOrientationWorkspace) {
  Open({Q(Chessboard("left01.bmp")), Q(Chessboard("right01.bmp")), Q(Chessboard("left01.ort")),
        Q(Chessboard("right01.ort")), Q(Chessboard("left01.cam")), Q(Chessboard("right01.cam"))});
  EXPECT_TRUE(Orientation().isVisible());
  EXPECT_FALSE(Points().isVisible());
  EXPECT_EQ(Orientation().PhotoPath(1), Chessboard("left01.bmp"));
  EXPECT_EQ(Orientation().OrientationPath(2), Chessboard("right01.ort"));
  EXPECT_EQ(Orientation().CameraPath(1), Chessboard("left01.cam"));
}

TEST_F(CommandLineOpeningTest, MissingFilesAndFilesOfNoKnownKindAreToldAndOpenNothing) {
  const std::string text = dir.Write("notes.txt", "hello\n");
  Open({Q(dir.File("gone.prt")), Q(text), Q(dir.Path().string())});
  EXPECT_FALSE(Points().isVisible());
  EXPECT_FALSE(Orientation().isVisible());
  ASSERT_EQ(boxes.Boxes.size(), 3u);
  EXPECT_EQ(boxes.Boxes[0].Caption, "Ошибка!");
  EXPECT_EQ(boxes.Boxes[0].Text, Q("Файл " + dir.File("gone.prt") + " не найден!"));
  EXPECT_EQ(boxes.Boxes[1].Text, Q("Файл " + dir.Path().string() + " не найден!")) << "a folder is no file";
  EXPECT_EQ(boxes.Boxes[2].Caption, "Предупреждение");
  EXPECT_TRUE(boxes.Boxes[2].Text.contains(Q(text)));

  // Nothing given: only the mode-selection window, at its size.
  boxes.Boxes.clear();
  Open({});
  EXPECT_FALSE(Points().isVisible());
  EXPECT_EQ(windows.Main().size(), QSize(726, 547));
  EXPECT_TRUE(boxes.Boxes.empty());
}

}  // namespace
}  // namespace vesk
