#include <gtest/gtest.h>

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>

#include "gui/common/ImageView.h"
#include "gui/common/WindowPlacement.h"
#include "gui/render/ResultViewers.h"
#include "gui/render/TForm2.h"
#include "gui/render/ViewerCaption.h"
#include "qt/ImageFiles.h"
#include "support/FileSizeLimit.h"
#include "support/NoisePhoto.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

const QRgb kRed = qRgb(255, 0, 0);

class ResultViewerTest : public testing::Test {
 public:
  // A viewer with a finished result of `mode`, as a job leaves it.
  gui::TForm2& Viewer(int mode, int width, int height, BuildArea area = {}) {
    viewer.PrepareResult(static_cast<BuildMode>(mode), PictureSize{width, height}, area);
    result = std::make_shared<const RgbImage>(test::NoisePhoto(width, height, 7));
    viewer.SetResult(result);
    return viewer;
  }
  QToolButton* Button(const char* name) { return viewer.findChild<QToolButton*>(name); }
  void Mark(const std::string& lines) {
    files.AnswerMany({QString::fromStdString(dir.Write("marks.crd", lines))});
    QTest::mouseClick(Button("ToolButton11"), Qt::LeftButton);
  }
  // Pixels of the displayed picture that are not those of the result.
  std::vector<QPoint> Marked() {
    const QImage shown = viewer.DisplayedPicture();
    std::vector<QPoint> marked;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x) {
        const Rgb p = result->Pixel(x, y);
        if (shown.pixel(x, y) != qRgb(p.R, p.G, p.B)) {
          EXPECT_EQ(shown.pixel(x, y), kRed);
          marked.push_back(QPoint(x, y));
        }
      }
    return marked;
  }
  static std::vector<QPoint> Cross(int x, int y, int width, int height) {
    std::vector<QPoint> pixels;
    for (int j = y - 10; j < y + 10; ++j)
      for (int i = x - 10; i < x + 10; ++i)
        if ((i == x || j == y) && i >= 0 && j >= 0 && i < width && j < height) pixels.push_back(QPoint(i, j));
    return pixels;
  }

  test::TempDir dir;
  test::ScriptedFileDialogs files;
  test::RecordingMessageBoxes boxes;
  gui::GuiContext context{files, boxes, NumberFormat::Comma(), {}, 0};
  gui::TForm2 viewer{context};
  std::shared_ptr<const RgbImage> result;
};

bool Before(const QPoint& a, const QPoint& b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); }

TEST_F(ResultViewerTest, ShowsTheResultOnePixelPerPixelInItsFrameAndToolbar) {
  Viewer(3, 700, 500);
  EXPECT_EQ(viewer.windowTitle(), "Стереовизуализация — анаглиф в кадре первого снимка");
  EXPECT_EQ(viewer.findChild<QGroupBox*>("GroupBox1")->title(), "Анаглифическое стереоизображение");
  EXPECT_EQ(viewer.size(), QSize(600, 450));
  EXPECT_EQ(viewer.minimumSize(), QSize(160, 100));
  EXPECT_EQ(viewer.maximumSize(), QSize(1000, 800));
  EXPECT_EQ(viewer.ResultMode(), BuildMode::AnaglyphOnFirst);

  auto* toolBar = viewer.findChild<QToolBar*>("ToolBar1");
  ASSERT_NE(toolBar, nullptr);
  EXPECT_EQ(toolBar->toolButtonStyle(), Qt::ToolButtonTextOnly);
  const struct {
    const char* name;
    const char* text;
    const char* hint;
  } buttons[] = {{"ToolButton10", "Сохранить", "Сохранить изображение"},
                 {"ToolButton11", "Реперные точки", "Показать реперные точки"}};
  for (const auto& b : buttons) {
    QToolButton* button = Button(b.name);
    ASSERT_NE(button, nullptr) << b.name;
    EXPECT_EQ(button->text(), QString::fromUtf8(b.text));
    EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.hint));
    EXPECT_TRUE(button->autoRaise()) << "flat";
  }

  auto* scrollBox = viewer.findChild<QScrollArea*>("ScrollBox1");
  ASSERT_NE(scrollBox, nullptr);
  auto* image = viewer.findChild<gui::ImagePicture*>("Image1");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(scrollBox->widget(), image);
  EXPECT_EQ(image->size(), QSize(700, 500) / image->devicePixelRatioF());

  viewer.PrepareResult(BuildMode::FirstToPlanInterpolated, PictureSize{10, 10}, BuildArea{});
  EXPECT_EQ(viewer.findChild<QGroupBox*>("GroupBox1")->title(), "Трансформированное изображение");
}

TEST_F(ResultViewerTest, MarksStandWhereTheModePutsThePointsAndAddUp) {
  Viewer(9, 200, 400);
  Mark("100;50\r\n");
  EXPECT_TRUE(boxes.Boxes.empty());
  std::vector<QPoint> expected = Cross(100, 350, 200, 400);
  std::vector<QPoint> marked = Marked();
  std::sort(expected.begin(), expected.end(), Before);
  EXPECT_EQ(marked, expected);

  // A second file adds its crosses; X = 5 starts its line left of the picture.
  Mark("5;380\n");
  std::vector<QPoint> both = Cross(100, 350, 200, 400);
  const std::vector<QPoint> second = Cross(5, 20, 200, 400);
  both.insert(both.end(), second.begin(), second.end());
  std::sort(both.begin(), both.end(), Before);
  both.erase(std::unique(both.begin(), both.end()), both.end());
  EXPECT_EQ(Marked(), both);
  EXPECT_EQ(viewer.Marks().size(), 2u);
  EXPECT_EQ(viewer.Marks()[1].Left, -5);
  // The result itself never changes.
  EXPECT_EQ(*viewer.ResultBitmap(), *result);
}

TEST_F(ResultViewerTest, APhotographFrameResultTakesTheRowAsItIs) {
  Viewer(7, 200, 400);
  Mark("100;50");
  std::vector<QPoint> expected = Cross(100, 50, 200, 400);
  std::sort(expected.begin(), expected.end(), Before);
  EXPECT_EQ(Marked(), expected);
}

TEST_F(ResultViewerTest, AFaultyLineStopsTheMarkingAfterTheCrossesBeforeIt) {
  Viewer(1, 300, 300);
  Mark("50;50\n150;150\n150;x\n250;250\n");
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Owner, &viewer);
  EXPECT_EQ(boxes.Boxes[0].Caption, "Ошибка!");
  EXPECT_EQ(boxes.Boxes[0].Text, "Ошибка чтения файла координат!");
  EXPECT_EQ(viewer.Marks().size(), 2u);
  EXPECT_EQ(Marked().size(), 2 * 39u);

  // A file that cannot be read is the same error; cancelling does nothing.
  files.AnswerMany({QString::fromStdString(dir.File("missing.crd"))});
  QTest::mouseClick(Button("ToolButton11"), Qt::LeftButton);
  EXPECT_EQ(boxes.Boxes.size(), 2u);
  QTest::mouseClick(Button("ToolButton11"), Qt::LeftButton);
  EXPECT_EQ(boxes.Boxes.size(), 2u);
  ASSERT_EQ(files.Calls.size(), 3u);
  EXPECT_EQ(files.Calls[0].What, test::ScriptedFileDialogs::Kind::OpenMany);
  EXPECT_EQ(files.Calls[0].Request.Filter, "Coordinate Files (*.crd)");
}

TEST_F(ResultViewerTest, OnlyTheFirstChosenFileIsRead) {
  Viewer(1, 300, 300);
  files.AnswerMany({QString::fromStdString(dir.Write("a.crd", "10;10\n")),
                    QString::fromStdString(dir.Write("b.crd", "20;20\n30;30\n"))});
  QTest::mouseClick(Button("ToolButton11"), Qt::LeftButton);
  ASSERT_EQ(viewer.Marks().size(), 1u);
  EXPECT_EQ(viewer.Marks()[0].Column, 10);
}

TEST_F(ResultViewerTest, SavesThePlainResultAsA24BitBitmapWithoutTheMarks) {
  Viewer(9, 64, 48);
  Mark("30;20\n");
  const std::string path = dir.File("result.bmp");
  files.Answer(QString::fromStdString(path));
  QTest::mouseClick(Button("ToolButton10"), Qt::LeftButton);
  EXPECT_TRUE(boxes.Boxes.empty());
  ASSERT_FALSE(files.Calls.empty());
  EXPECT_EQ(files.Calls.back().What, test::ScriptedFileDialogs::Kind::Save);
  EXPECT_TRUE(files.Calls.back().Request.Filter.startsWith("Bitmap Files (*.bmp)"));
  EXPECT_TRUE(files.Calls.back().Request.Filter.contains("*.png"));
  EXPECT_TRUE(files.Calls.back().Request.Filter.contains("*.tif"));
  const std::string bytes = dir.Read("result.bmp");
  ASSERT_GT(bytes.size(), 30u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(static_cast<int>(bytes[28]), 24) << "bits per pixel";
  const std::optional<RgbImage> saved = qt::LoadImage(path);
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(*saved, *result);

  // PNG and TIFF by the name's extension, the same pixels.
  for (const char* name : {"result.png", "result.tif"}) {
    files.Answer(QString::fromStdString(dir.File(name)));
    QTest::mouseClick(Button("ToolButton10"), Qt::LeftButton);
    const std::optional<RgbImage> other = qt::LoadImage(dir.File(name));
    ASSERT_TRUE(other.has_value()) << name;
    EXPECT_EQ(*other, *result) << name;
  }
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(ResultViewerTest, AnExistingFileIsReplacedOnlyWhenTheUserAgrees) {
  Viewer(1, 16, 16);
  const std::string path = dir.Write("old.bmp", "old");
  files.Answer(QString::fromStdString(path));
  boxes.AnswerNo();
  QTest::mouseClick(Button("ToolButton10"), Qt::LeftButton);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_TRUE(boxes.Boxes[0].Question);
  EXPECT_EQ(boxes.Boxes[0].Text, "Файл old.bmp уже существует. Перезаписать?");
  EXPECT_EQ(dir.Read("old.bmp"), "old");

  files.Answer(QString::fromStdString(path));
  boxes.AnswerYes();
  QTest::mouseClick(Button("ToolButton10"), Qt::LeftButton);
  EXPECT_EQ(*qt::LoadImage(path), *result);
}

TEST_F(ResultViewerTest, AFailedSaveSaysWhyAndLeavesTheOldFileIntact) {
  Viewer(1, 16, 16);
  const std::string name = "result.bmp";
  const std::string path = dir.Write(name, "old contents");
  files.Answer(QString::fromStdString(path));
  boxes.AnswerYes();
  {
    const test::FileSizeLimit full(100);  // the disk fills up in the middle of the picture
    QTest::mouseClick(Button("ToolButton10"), Qt::LeftButton);
  }
  ASSERT_EQ(boxes.Boxes.size(), 2u);
  EXPECT_EQ(boxes.Boxes[1].Owner, &viewer);
  EXPECT_EQ(boxes.Boxes[1].Caption, "Ошибка!");
  EXPECT_TRUE(boxes.Boxes[1].Text.startsWith("Не удаётся записать изображение!\n"))
      << boxes.Boxes[1].Text.toStdString();
  EXPECT_TRUE(boxes.Boxes[1].Text.contains("File too large")) << boxes.Boxes[1].Text.toStdString();
  EXPECT_EQ(boxes.Boxes[1].Text.count(QString::fromStdString(path)), 1) << "the file is named once";
  EXPECT_EQ(dir.Read(name), "old contents");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << "no temporary file left";
}

TEST_F(ResultViewerTest, ZoomKeepsWholePixelsAndCtrlZeroGoesBackToOnePixelPerPixel) {
  Viewer(9, 400, 300, BuildArea{-100, 300, 0, 300, 1});
  viewer.show();
  viewer.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer));
  gui::ImageScrollArea& area = viewer.ScrollBox();
  const double ratio = area.Picture().devicePixelRatioF();
  EXPECT_EQ(area.Picture().Zoom(), 1.0);
  QTest::keyClick(&viewer, Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_EQ(area.Picture().Zoom(), 1.5);
  QTest::keyClick(&viewer, Qt::Key_Minus, Qt::ControlModifier);
  QTest::keyClick(&viewer, Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(area.Picture().Zoom(), 2.0 / 3);
  QTest::keyClick(&viewer, Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(area.Picture().Zoom(), 1.0);
  EXPECT_EQ(area.Picture().size(), QSize(400, 300) / ratio);

  // Ctrl+wheel zooms; the plain wheel scrolls.
  const QPoint centre = area.viewport()->rect().center();
  QWheelEvent up(centre, area.viewport()->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton,
                 Qt::ControlModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(area.viewport(), &up);
  EXPECT_EQ(area.Picture().Zoom(), 1.5);

  area.FitToWindow();
  const QSize room = area.maximumViewportSize();
  const QSize shown = area.Picture().size();
  EXPECT_TRUE(shown.width() <= room.width() && shown.height() <= room.height());
  EXPECT_TRUE(shown.width() >= room.width() - 1 || shown.height() >= room.height() - 1);
  EXPECT_EQ(viewer.findChild<QLabel*>("ZoomLabel")->text(),
            "Масштаб: " + gui::ZoomPercentText(area.Picture().Zoom()) + "  (Ctrl+0 — 100 %)");
}

TEST_F(ResultViewerTest, ThePointerShowsTheResultPixelAndOnTheScenePlaneItsSceneCoordinates) {
  Viewer(9, 400, 300, BuildArea{-100, 300, 0, 300, 1});
  viewer.show();
  gui::ImagePicture& image = viewer.ScrollBox().Picture();
  const double scale = image.Scale();
  QTest::mouseMove(&image, QPoint(static_cast<int>(10.5 * scale), static_cast<int>(20.5 * scale)));
  EXPECT_EQ(viewer.findChild<QLabel*>("PositionLabel")->text(), "Пиксель: 10, 20   Сцена: x = -89,5, y = 279,5");

  Viewer(1, 400, 300);
  QTest::mouseMove(&image, QPoint(static_cast<int>(3.5 * scale), static_cast<int>(4.5 * scale)));
  EXPECT_EQ(viewer.findChild<QLabel*>("PositionLabel")->text(), "Пиксель: 3, 4");
}

TEST(ViewerCaptionTest, NamesWhatWasBuiltAndThePhotographsItWasBuiltFrom) {
  const std::string left = "/data/set/left01.bmp";
  const std::string right = "/data/set/right01.bmp";
  const struct {
    int mode;
    const char* caption;
  } cases[] = {
      {0, "Стереовизуализация — второй снимок в кадре первого (left01.bmp, right01.bmp)"},
      {7, "Стереовизуализация — первый снимок в кадре второго (left01.bmp, right01.bmp)"},
      {2, "Стереовизуализация — анаглиф в кадре второго снимка (left01.bmp, right01.bmp)"},
      {3, "Стереовизуализация — анаглиф в кадре первого снимка (left01.bmp, right01.bmp)"},
      // A photograph on the plane is built from that photograph alone.
      {9, "Стереовизуализация — первый снимок на плоскости (left01.bmp)"},
      {5, "Стереовизуализация — второй снимок на плоскости (right01.bmp)"},
      {11, "Стереовизуализация — анаглиф на плоскости (left01.bmp, right01.bmp)"},
      {6, "Стереовизуализация — анаглиф на плоскости (left01.bmp, right01.bmp)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(gui::ViewerCaption(static_cast<BuildMode>(c.mode), left, right), QString::fromUtf8(c.caption)) << c.mode;
  EXPECT_EQ(gui::ViewerCaption(BuildMode::AnaglyphOnScene, {}, right),
            "Стереовизуализация — анаглиф на плоскости (right01.bmp)");
  EXPECT_EQ(gui::ViewerCaption(BuildMode::SecondToFirst, {}, {}), "Стереовизуализация — второй снимок в кадре первого");
  EXPECT_EQ(gui::ViewerCaption(static_cast<BuildMode>(12), left, right), "Стереовизуализация");
}

TEST_F(ResultViewerTest, TheCaptionTakesThePhotographsOfTheBuild) {
  Viewer(11, 40, 30);
  viewer.SetSourcePhotos("/a/left01.bmp", "/a/right01.bmp");
  EXPECT_EQ(viewer.windowTitle(), "Стереовизуализация — анаглиф на плоскости (left01.bmp, right01.bmp)");
}

TEST_F(ResultViewerTest, AResultLargerThanTheWindowOpensFittedAndCtrlZeroShowsItPixelForPixel) {
  Viewer(11, 2400, 900);
  viewer.show();
  gui::ImageScrollArea& area = viewer.ScrollBox();
  const double zoom = area.Picture().Zoom();
  EXPECT_LT(zoom, 1.0);
  // The whole result is in sight, and it fills the width it is limited by.
  const QSize room = area.maximumViewportSize();
  const QSize shown = area.Picture().size();
  EXPECT_TRUE(shown.width() <= room.width() && shown.height() <= room.height())
      << shown.width() << "x" << shown.height();
  EXPECT_GE(shown.width(), room.width() - 1);
  EXPECT_EQ(viewer.findChild<QLabel*>("ZoomLabel")->text(),
            "Масштаб: " + gui::ZoomPercentText(zoom) + "  (Ctrl+0 — 100 %)");

  viewer.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer));
  QTest::keyClick(&viewer, Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(area.Picture().Zoom(), 1.0);
  EXPECT_EQ(viewer.findChild<QLabel*>("ZoomLabel")->text(), "Масштаб: 100 %");
}

TEST_F(ResultViewerTest, AResultThatFitsOpensPixelForPixel) {
  // Tall but narrow, and wide but flat: each larger than the window one way.
  for (const QSize size : {QSize(300, 200), QSize(100, 2000), QSize(3000, 50)}) {
    gui::TForm2 opened(context);
    opened.PrepareResult(BuildMode::AnaglyphOnFirst, PictureSize{size.width(), size.height()}, {});
    opened.SetResult(std::make_shared<const RgbImage>(test::NoisePhoto(size.width(), size.height(), 1)));
    opened.show();
    const QSize room = opened.ScrollBox().maximumViewportSize() * opened.devicePixelRatioF();
    const bool fits = size.width() <= room.width() && size.height() <= room.height();
    EXPECT_EQ(opened.ScrollBox().Picture().Zoom() == 1.0, fits) << size.width() << "x" << size.height();
  }
}

TEST_F(ResultViewerTest, NewViewersCascadeAndStayOnTheScreen) {
  gui::ResultViewers viewers(context);
  const QRect screen = gui::AvailableArea(viewer);
  std::vector<gui::TForm2*> opened;
  for (int i = 0; i < 40; ++i) {
    gui::TForm2* next = viewers.Create();
    next->PrepareResult(BuildMode::AnaglyphOnFirst, PictureSize{50, 40}, {});
    next->show();
    EXPECT_TRUE(screen.contains(next->frameGeometry())) << i;
    if (!opened.empty()) {
      const QPoint step = next->pos() - opened.back()->pos();
      // A step down and right, or back to the corner when the next step
      // would leave the screen; never exactly on the one before.
      EXPECT_TRUE(step == QPoint(gui::ResultViewers::kCascadeStep, gui::ResultViewers::kCascadeStep) ||
                  next->pos() == screen.topLeft())
          << i << ": " << step.x() << ", " << step.y();
    }
    opened.push_back(next);
  }
  // The first one opens centred.
  EXPECT_LE((opened[0]->frameGeometry().center() - screen.center()).manhattanLength(), 2);
  // The cascade wrapped at least once on a screen of this size.
  EXPECT_TRUE(std::any_of(opened.begin(), opened.end(), [&](gui::TForm2* v) { return v->pos() == screen.topLeft(); }));

  // With the last one closed, the next opens centred again.
  for (gui::TForm2* v : opened) v->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  gui::TForm2* again = viewers.Create();
  again->show();
  EXPECT_LE((again->frameGeometry().center() - screen.center()).manhattanLength(), 2);
}

}  // namespace
}  // namespace vesk
