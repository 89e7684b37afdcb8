// Times point editing in the reference-point workspace as a user meets it,
// on the offscreen platform: from an edit to the residual panel showing its
// fit (least squares, 100 pairs), and one mouse move of a drag among 2000
// points per photograph (the move, the marks' repaint and the loupe).
// Prints the figures; run by hand: build/bench/point_editing_bench.
// With --show it opens the window for a look instead (see Show).

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "gui/common/GuiContext.h"
#include "gui/refpoints/LiveResiduals.h"
#include "gui/refpoints/PointEditor.h"
#include "gui/refpoints/ResidualTable.h"
#include "gui/refpoints/TVisual_Form.h"
#include "gui/render/RenderJobs.h"
#include "gui/workspace/PhotoView.h"

namespace {

using namespace vesk;

// n pairs related by a projective map that is clearly more than a shift, so
// that the automatic choice takes least squares; a little noise gives
// residuals to show.
void WritePairs(const std::filesystem::path& folder, int n) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> along(20, 620);
  std::uniform_real_distribution<double> down(20, 460);
  std::normal_distribution<double> noise(0, 0.3);
  std::ofstream first(folder / "a.crd", std::ios::binary);
  std::ofstream second(folder / "b.crd", std::ios::binary);
  for (int i = 0; i < n; ++i) {
    const double x = along(random);
    const double y = down(random);
    const double w = 1 + 0.0002 * x + 0.0001 * y;
    first << x << ";" << y << "\r\n";
    second << (0.9 * x - 0.3 * y + 60) / w + noise(random) << ";" << (0.3 * x + 0.9 * y - 20) / w + noise(random)
           << "\r\n";
  }
}

void WritePhoto(const std::filesystem::path& path) {
  QImage image(640, 480, QImage::Format_RGB888);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) image.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, ((x + y) * 3) % 256));
  image.save(QString::fromStdString(path.string()), "BMP");
}

void WriteProject(const std::filesystem::path& folder) {
  std::ofstream project(folder / "set.prt", std::ios::binary);
  project << "[Images]\r\nImage1=a.bmp\r\nImage2=b.bmp\r\n[ReperPoints]\r\nImage1ReperPoints=a.crd\r\n"
             "Image2ReperPoints=b.crd\r\nSceneReperPoints=\r\n";
}

struct Session {
  Session() : jobs(context), window((context.Jobs = &jobs, context), dialogs) {}
  gui::QtFileDialogs files;
  gui::QtMessageBoxes boxes;
  gui::GuiContext context{files, boxes, NumberFormat::Dot(), {}, 0};
  gui::RenderJobs jobs;
  gui::SharedDialogs dialogs;
  gui::TVisual_Form window;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void TimeLiveResiduals(const std::filesystem::path& folder) {
  WritePairs(folder, 100);
  Session session;
  session.window.show();
  session.window.LoadInputSetFrom((folder / "set.prt").string());
  session.window.Points().SetEditing(true);
  gui::PhotoView& view = session.window.View1();
  std::vector<double> latencies;
  for (int round = 0; round < 15; ++round) {
    const EditedPoint& p = session.window.Points().Model().Points(PointList::First)[10];
    const QPoint at(static_cast<int>(*p.X), static_cast<int>(*p.Y));
    const double before = session.window.Residuals().RowCount() > 0
                              ? session.window.Residuals().Value(10, gui::ResidualTable::kLengthColumn)
                              : -1;
    QElapsedTimer timer;
    timer.start();
    QTest::mousePress(&view.Picture(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseMove(&view.Picture(), at + QPoint(round % 2 == 0 ? 3 : -3, 0));
    QTest::mouseRelease(&view.Picture(), Qt::LeftButton, Qt::NoModifier, at + QPoint(round % 2 == 0 ? 3 : -3, 0));
    while (timer.elapsed() < 5000 &&
           (session.window.Residuals().RowCount() == 0 ||
            session.window.Residuals().Value(10, gui::ResidualTable::kLengthColumn) == before))
      QApplication::processEvents(QEventLoop::AllEvents, 1);
    latencies.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::printf("edit -> residual panel, least squares, 100 pairs: median %.1f ms, max %.1f ms (coalescing %d ms)\n",
              Median(latencies), *std::max_element(latencies.begin(), latencies.end()),
              gui::LiveResiduals::kCoalescingMs);
}

void TimeDrag(const std::filesystem::path& folder) {
  WritePairs(folder, 2000);
  Session session;
  session.window.resize(1200, 800);
  session.window.show();
  session.window.LoadInputSetFrom((folder / "set.prt").string());
  session.window.Points().SetEditing(true);
  gui::PhotoView& view = session.window.View1();
  const EditedPoint& p = session.window.Points().Model().Points(PointList::First)[1000];
  QPoint at(static_cast<int>(*p.X), static_cast<int>(*p.Y));
  QTest::mousePress(&view.Picture(), Qt::LeftButton, Qt::NoModifier, at);
  std::vector<double> moves;
  for (int step = 0; step < 200; ++step) {
    at += QPoint(step % 40 < 20 ? 1 : -1, step % 10 < 5 ? 1 : 0);
    QElapsedTimer timer;
    timer.start();
    QTest::mouseMove(&view.Picture(), at);
    view.Picture().repaint();  // what the window shows before the next move
    QApplication::processEvents();
    moves.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  QTest::mouseRelease(&view.Picture(), Qt::LeftButton, Qt::NoModifier, at);
  QElapsedTimer full;
  full.start();
  view.Picture().repaint();
  const double fullRepaint = static_cast<double>(full.nsecsElapsed()) / 1e6;
  std::printf("drag among 2000 points: per mouse move median %.2f ms, max %.2f ms; whole-view repaint %.2f ms\n",
              Median(moves), *std::max_element(moves.begin(), moves.end()), fullRepaint);
}

}  // namespace

// `--show PROJECT SECONDS`: the workspace on the real screen with the
// project's photographs, editing on, a pair being placed with the loupe over
// the second photograph, for a look (or a screenshot) before it ends.
int Show(const char* project, int seconds) {
  Session session;
  session.window.resize(1100, 640);
  session.window.show();
  session.window.LoadInputSetFrom(project);
  session.window.Points().SetEditing(true);
  QTest::qWait(300);
  gui::PhotoView& second = session.window.View2();
  second.SetZoom(2);
  const EditedPoint& p = session.window.Points().Model().Points(PointList::Second)[3];
  second.ensureVisible(static_cast<int>(*p.X * 2), static_cast<int>(*p.Y * 2), 200, 150);
  QTest::mouseClick(&session.window.View1().Picture(), Qt::LeftButton, Qt::NoModifier, QPoint(402, 230));
  QTest::qWait(200);
  const QPoint near(static_cast<int>(*p.X * 2) + 5, static_cast<int>(*p.Y * 2) + 4);
  for (int step = 0; step < 10; ++step) {
    QTest::mouseMove(&second.Picture(), near - QPoint(step / 3, step / 4));
    QTest::qWait(30);
  }
  QTest::qWait(seconds * 1000);
  return 0;
}

int main(int argc, char** argv) {
  const bool show = argc == 4 && std::string(argv[1]) == "--show";
  if (!show) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (show) return Show(argv[2], std::atoi(argv[3]));
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vesk-point-editing-bench";
  std::filesystem::create_directories(folder);
  WritePhoto(folder / "a.bmp");
  WritePhoto(folder / "b.bmp");
  WriteProject(folder);
  TimeLiveResiduals(folder);
  TimeDrag(folder);
  std::filesystem::remove_all(folder);
  return 0;
}
