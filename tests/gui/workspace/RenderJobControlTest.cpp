#include "gui/workspace/RenderJobControl.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include "cli/CliTestSupport.h"
#include "common/VeskError.h"
#include "estimation/TransformCoefficients.h"
#include "gui/render/RenderJobs.h"
#include "gui/render/TForm2.h"
#include "gui/workspace/WorkspaceStatusBar.h"
#include "render/RenderMessages.h"
#include "support/EventLoop.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using gui::JobOrder;

std::string Example(const char* name) { return (test::ExamplesDir() / "chessboard" / name).string(); }

TransformCoefficients Coefficients(const CoefficientArray& stored) {
  TransformCoefficients list(kOwnsItems);
  AppendCoefficients(list, stored);
  return list;
}

// Scene to the first photograph, a quarter of a scene unit per pixel: a build
// area of 0..2400 stays on the photograph and takes a while.
const CoefficientArray kSceneToFirst = {0.25, 0, 0, 0, 0, 0, 0.25, 0};
const BuildArea kLargeArea{0, 2400, 0, 2400, 1};
// First photograph to the second: a shift, as in a rectified pair.
const CoefficientArray kFirstToSecond = {1, 0, -20, 0, 0, 0, 1, 3};

class RenderJobControlTest : public testing::Test {
 public:
  RenderJobControlTest() {
    context.Jobs = &jobs;
    auto* layout = new QVBoxLayout(&window);
    field = new QLineEdit(&window);
    status = new gui::WorkspaceStatusBar(&window);
    layout->addWidget(field);
    layout->addWidget(status);
    control = new gui::RenderJobControl(window, *status, context);
    QObject::connect(control, &gui::RenderJobControl::JobEnded, [this](RenderStatus s) { ended.push_back(s); });
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    field->setFocus();
  }

  JobOrder Order(const TransformCoefficients& list1, int mode, BuildArea area = {}) {
    return JobOrder{
        list1, noList, photo1, photo2, static_cast<BuildMode>(mode), area, {}, {}, Origin::FromReferencePoints};
  }
  bool WaitForEnd(int count = 1) {
    return test::SpinUntil([&] { return ended.size() >= static_cast<std::size_t>(count); });
  }
  std::vector<gui::TForm2*> Viewers() { return jobs.Viewers().Existing(); }
  QString StatusText() { return status->StatusField().text(); }
  QString TimeText() { return status->TimeField().text(); }
  int Bar() { return status->ProgressBar().value(); }
  void PressEsc() { QTest::keyClick(field, Qt::Key_Escape); }

  test::ScriptedFileDialogs files;
  test::RecordingMessageBoxes boxes;
  gui::GuiContext context{files, boxes, NumberFormat::Dot(), {}, 0};
  gui::RenderJobs jobs{context};
  QWidget window;
  QLineEdit* field;
  gui::WorkspaceStatusBar* status;
  gui::RenderJobControl* control;
  std::vector<RenderStatus> ended;
  qt::SharedPhoto photo1 = qt::LoadPhoto(Example("left01.bmp")).Photo;
  qt::SharedPhoto photo2 = qt::LoadPhoto(Example("right01.bmp")).Photo;
  TransformCoefficients noList{kOwnsItems};
};

TEST_F(RenderJobControlTest, ACompletedJobShowsItsViewerWithTheResultVeskCliRenders) {
  const TransformCoefficients list = Coefficients(kFirstToSecond);
  gui::VisualThread* job = control->Start(Order(list, 3));
  // Before the job has run: busy, the start texts, a hidden viewer.
  EXPECT_EQ(control->IdleFlag(), 0);
  EXPECT_EQ(control->Job(), job);
  EXPECT_EQ(TimeText(), "0 : 0 : 0");
  EXPECT_EQ(StatusText(), "Построение изображения");
  EXPECT_EQ(Bar(), 0);
  ASSERT_EQ(Viewers().size(), 1u);
  gui::TForm2* viewer = Viewers()[0];
  EXPECT_FALSE(viewer->isVisible());
  EXPECT_EQ(viewer->size(), QSize(600, 450));

  QSignalSpy positions(&status->ProgressBar(), &QProgressBar::valueChanged);
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(ended[0], RenderStatus::Completed);
  EXPECT_GE(positions.count(), 2) << "progress was shown while it ran";
  // Finished: idle, the status bar cleared, the viewer shown with the result.
  EXPECT_EQ(control->IdleFlag(), 1);
  EXPECT_EQ(control->Job(), nullptr);
  EXPECT_EQ(Bar(), 0);
  EXPECT_EQ(TimeText(), "");
  EXPECT_EQ(StatusText(), "");
  ASSERT_EQ(Viewers().size(), 1u);
  EXPECT_TRUE(viewer->isVisible());
  ASSERT_NE(viewer->ResultBitmap(), nullptr);
  EXPECT_EQ(viewer->ResultMode(), BuildMode::AnaglyphOnFirst);

  const RenderRequest request =
      MakeRenderRequest(list, noList, BuildMode::AnaglyphOnFirst, {}, {}, {}, Origin::FromReferencePoints);
  const RenderOutcome direct = RenderBuild(request, *photo1, *photo2, SilentProgress(), NeverCancelled());
  EXPECT_EQ(*viewer->ResultBitmap(), direct.Result);

  test::TempDir dir;
  const test::CliRun run =
      test::RunVeskCli({"render", "--photo1", Example("left01.bmp"), "--photo2", Example("right01.bmp"), "--mode", "3",
                        "--transform1", "1,0,-20,0,0,0,1,3", "-o", dir.File("cli.bmp")});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::optional<RgbImage> cli = qt::LoadImage(dir.File("cli.bmp"));
  ASSERT_TRUE(cli.has_value());
  EXPECT_EQ(*viewer->ResultBitmap(), *cli);

  // Esc after the end reaches nothing.
  PressEsc();
  EXPECT_TRUE(boxes.Boxes.empty());
  EXPECT_EQ(jobs.Count(), 0) << "a job frees itself";
}

TEST_F(RenderJobControlTest, EscDuringAJobStopsItWithoutAViewerAndAfterwardsDoesNothing) {
  PressEsc();  // before any job: nothing to stop
  EXPECT_EQ(control->IdleFlag(), 1);

  const TransformCoefficients list = Coefficients(kSceneToFirst);
  gui::VisualThread* job = control->Start(Order(list, 9, kLargeArea));
  EXPECT_EQ(Viewers().size(), 1u);
  PressEsc();
  EXPECT_TRUE(job->StopRequested());
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(ended[0], RenderStatus::Cancelled);
  EXPECT_EQ(Bar(), 0);
  EXPECT_EQ(TimeText(), "");
  EXPECT_EQ(StatusText(), "Построение отменено");
  EXPECT_TRUE(boxes.Boxes.empty()) << "a stop the user asked for shows no message";
  test::SpinUntil([&] { return Viewers().empty(); }, 5000);
  EXPECT_TRUE(Viewers().empty()) << "no viewer appears";
  // Idle again, and the ended job is no longer reachable.
  EXPECT_EQ(control->IdleFlag(), 1);
  EXPECT_EQ(control->Job(), nullptr);
  PressEsc();
  EXPECT_EQ(ended.size(), 1u);
}

TEST_F(RenderJobControlTest, JobsRunSideBySideAndEscReachesTheOneStartedLast) {
  const TransformCoefficients list = Coefficients(kSceneToFirst);
  gui::VisualThread* first = control->Start(Order(list, 9, BuildArea{0, 600, 0, 400, 1}));
  gui::VisualThread* second = control->Start(Order(list, 9, kLargeArea));
  EXPECT_EQ(control->Job(), second);
  EXPECT_EQ(Viewers().size(), 2u);
  PressEsc();
  EXPECT_TRUE(second->StopRequested());
  EXPECT_FALSE(first->StopRequested());
  ASSERT_TRUE(WaitForEnd(2));
  EXPECT_EQ(std::count(ended.begin(), ended.end(), RenderStatus::Completed), 1);
  EXPECT_EQ(std::count(ended.begin(), ended.end(), RenderStatus::Cancelled), 1);
  test::SpinUntil([&] { return Viewers().size() == 1; }, 5000);
  ASSERT_EQ(Viewers().size(), 1u);
  EXPECT_TRUE(Viewers()[0]->isVisible());
  EXPECT_EQ(Viewers()[0]->ResultBitmap()->Width(), 600);
}

TEST_F(RenderJobControlTest, EachJobKeepsItsOwnStateWhenAnEarlierOneEnds) {
  const TransformCoefficients list = Coefficients(kSceneToFirst);
  gui::VisualThread* small = control->Start(Order(list, 9, BuildArea{0, 100, 0, 100, 1}));
  gui::VisualThread* large = control->Start(Order(list, 9, BuildArea{0, 6000, 0, 6000, 1}));
  EXPECT_EQ(control->RunningCount(), 2);
  EXPECT_EQ(StatusText(), "Построение изображений: 2");

  // The small one ends first: the large one still shows, and Esc reaches it.
  ASSERT_TRUE(WaitForEnd(1));
  ASSERT_EQ(ended[0], RenderStatus::Completed);
  EXPECT_TRUE(large->Running());
  EXPECT_EQ(control->IdleFlag(), 0);
  EXPECT_EQ(control->Job(), large);
  EXPECT_EQ(StatusText(), "Построение изображения");
  EXPECT_NE(TimeText(), "");
  // What Esc does (the small one's viewer has the focus now).
  control->Stop();
  EXPECT_TRUE(large->StopRequested());
  ASSERT_TRUE(WaitForEnd(2));
  EXPECT_EQ(ended[1], RenderStatus::Cancelled);
  EXPECT_EQ(StatusText(), "Построение отменено");
  EXPECT_EQ(Bar(), 0);
  EXPECT_EQ(control->IdleFlag(), 1);
  (void)small;
}

TEST_F(RenderJobControlTest, EscStopsTheLatestJobStillRunningOneAtATime) {
  const TransformCoefficients list = Coefficients(kSceneToFirst);
  gui::VisualThread* first = control->Start(Order(list, 9, kLargeArea));
  gui::VisualThread* second = control->Start(Order(list, 9, kLargeArea));
  PressEsc();
  EXPECT_TRUE(second->StopRequested());
  EXPECT_FALSE(first->StopRequested());
  PressEsc();  // the second is stopping: the next Esc reaches the first
  EXPECT_TRUE(first->StopRequested());
  ASSERT_TRUE(WaitForEnd(2));
  EXPECT_EQ(std::count(ended.begin(), ended.end(), RenderStatus::Cancelled), 2);
  EXPECT_EQ(StatusText(), "Построение отменено");
  // A new build clears the word.
  const TransformCoefficients shift = Coefficients(kFirstToSecond);
  control->Start(Order(shift, 3));
  EXPECT_EQ(StatusText(), "Построение изображения");
  ASSERT_TRUE(WaitForEnd(3));
  EXPECT_EQ(StatusText(), "");
}

TEST_F(RenderJobControlTest, TheWindowStaysResponsiveAndThePhotographsMayBeReplacedWhileAJobRuns) {
  const TransformCoefficients list = Coefficients(kSceneToFirst);
  const RenderRequest request = MakeRenderRequest(list, noList, BuildMode::FirstToPlanInterpolated, kLargeArea, {}, {},
                                                  Origin::FromReferencePoints);
  const RgbImage expected = RenderBuild(request, *photo1, *photo2, SilentProgress(), NeverCancelled()).Result;
  qt::SharedPhoto other = qt::LoadPhoto((test::ExamplesDir() / "aloe" / "aloeL.bmp").string()).Photo;

  QSignalSpy elapsed(&status->TimeField(), &QLineEdit::textChanged);
  control->Start(Order(list, 9, kLargeArea));
  // The workspace loads other photographs: the job keeps reading its own.
  photo1 = other;
  photo2.reset();

  bool timerFiredWhileRunning = false;
  QTimer::singleShot(0, [&] { timerFiredWhileRunning = ended.empty(); });
  window.resize(window.width() + 40, window.height() + 10);
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(timerFiredWhileRunning);
  ASSERT_EQ(ended[0], RenderStatus::Completed);
  ASSERT_EQ(Viewers().size(), 1u);
  EXPECT_EQ(*Viewers()[0]->ResultBitmap(), expected);

  // Every elapsed time shown reads "h : m : s" and counts from the start.
  const QRegularExpression form(QStringLiteral("^(\\d+) : (\\d+) : (\\d+)$"));
  ASSERT_GE(elapsed.count(), 1);
  EXPECT_EQ(elapsed.at(0).at(0).toString(), "0 : 0 : 0");
  for (const QList<QVariant>& change : elapsed) {
    const QString text = change.at(0).toString();
    if (text.isEmpty()) continue;
    const QRegularExpressionMatch match = form.match(text);
    ASSERT_TRUE(match.hasMatch()) << text.toStdString();
    EXPECT_EQ(match.captured(1), "0") << text.toStdString();
  }
}

TEST_F(RenderJobControlTest, ARequestThatCannotBeRenderedMakesNoJob) {
  const TransformCoefficients shortList = Coefficients(kFirstToSecond);
  TransformCoefficients seven(kOwnsItems);
  for (int i = 0; i < 7; ++i) seven.Add(new VT_Point(1, 0));
  struct Case {
    const char* name;
    JobOrder order;
    const char* error;
  } cases[] = {
      {"a list of seven", Order(seven, 3), "Index out of bounds ListOfT::Get"},
      {"the scene anaglyph reads the second list", Order(shortList, 6), "Index out of bounds ListOfT::Get"},
      {"a step of zero", Order(shortList, 9, BuildArea{0, 10, 0, 10, 0}), kAreaStepNotPositive},
  };
  for (const Case& c : cases) {
    try {
      control->Start(c.order);
      ADD_FAILURE() << c.name << ": started";
    } catch (const VeskError& error) {
      EXPECT_EQ(std::string(error.what()), c.error) << c.name;
    }
    EXPECT_TRUE(Viewers().empty()) << c.name;
    EXPECT_EQ(jobs.Count(), 0) << c.name;
    EXPECT_EQ(control->IdleFlag(), 1) << c.name;
    EXPECT_EQ(control->Job(), nullptr) << c.name;
    EXPECT_EQ(StatusText(), "") << c.name;
    EXPECT_EQ(TimeText(), "") << c.name;
  }
}

TEST_F(RenderJobControlTest, ARenderThatBreaksDownSaysSoAndShowsNoViewer) {
  // The denominator c0 x + 1 is zero on column 1.
  const TransformCoefficients list = Coefficients({1, 0, 0, -1, 0, 0, 1, 0});
  control->Start(Order(list, 7));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(ended[0], RenderStatus::Failed);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Caption, "Vesk");
  EXPECT_EQ(boxes.Boxes[0].Text, kRenderArithmeticFault);
  EXPECT_EQ(Bar(), 0);
  EXPECT_EQ(StatusText(), "");
  test::SpinUntil([&] { return Viewers().empty(); }, 5000);
  EXPECT_TRUE(Viewers().empty());
}

}  // namespace
}  // namespace vesk
