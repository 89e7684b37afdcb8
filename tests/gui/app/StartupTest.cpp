#include <gtest/gtest.h>

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <stdexcept>

#include "estimation/TransformCoefficients.h"
#include "gui/app/TMainVisForm.h"
#include "gui/app/TVeskAboutBox.h"
#include "gui/app/VeskApplication.h"
#include "gui/app/VeskWindows.h"
#include "gui/common/QuitQuestions.h"
#include "gui/editor/TRedForm.h"
#include "gui/editor/TableModel.h"
#include "gui/orientation/TVisual2_Form.h"
#include "gui/refpoints/TVisual_Form.h"
#include "gui/render/RenderJobs.h"
#include "gui/render/TForm2.h"
#include "gui/settings/TObjForm.h"
#include "gui/settings/TVisualNForm.h"
#include "gui/settings/VeskSettings.h"
#include "support/EventLoop.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

class StartupTest : public testing::Test {
 public:
  StartupTest() { windows.Show(); }
  QPushButton* Button(const char* name) { return windows.Main().findChild<QPushButton*>(name); }
  QWidget* Picture() { return windows.Main().findChild<QWidget*>("Image1"); }

  test::ScriptedFileDialogs files;
  test::RecordingMessageBoxes boxes;
  gui::GuiContext context{files, boxes, NumberFormat::Comma(), {}, 0};
  gui::VeskWindows windows{context};
};

TEST_F(StartupTest, MakesTheSixWindowsInOrderAndShowsOnlyTheModeSelection) {
  EXPECT_EQ(QCoreApplication::applicationName(), "Vesk");
  const std::vector<QWidget*>& order = windows.CreationOrder();
  ASSERT_EQ(order.size(), 6u);
  EXPECT_EQ(order[0], &windows.Main());
  EXPECT_NE(qobject_cast<gui::TVisual_Form*>(order[1]), nullptr);
  EXPECT_NE(qobject_cast<gui::TVisualNForm*>(order[2]), nullptr);
  EXPECT_NE(qobject_cast<gui::TObjForm*>(order[3]), nullptr);
  EXPECT_NE(qobject_cast<gui::TVisual2_Form*>(order[4]), nullptr);
  EXPECT_NE(qobject_cast<gui::TVeskAboutBox*>(order[5]), nullptr);
  for (std::size_t i = 1; i < order.size(); ++i) EXPECT_FALSE(order[i]->isVisible()) << i;
  EXPECT_EQ(context.Jobs, &windows.Jobs());

  gui::TMainVisForm& main = windows.Main();
  EXPECT_TRUE(main.isVisible());
  EXPECT_EQ(main.windowTitle(), "Построение стереоизображений");
  EXPECT_EQ(main.size(), QSize(726, 547));
  EXPECT_EQ(main.minimumSize(), QSize(420, 80));
  EXPECT_EQ(Button("Button1")->text(), "По реперным точкам");
  EXPECT_EQ(Button("Button2")->text(), "По параметрам ориентации");
  EXPECT_EQ(main.findChild<QFrame*>("Panel1")->geometry(), QRect(0, 0, 726, 49));
  ASSERT_NE(Picture(), nullptr);
  EXPECT_TRUE(Picture()->isVisible());
  EXPECT_EQ(Picture()->geometry(), QRect(0, 49, 726, 547 - 49));
  // The title picture is there and is drawn.
  const QImage shown = Picture()->grab().toImage();
  EXPECT_NE(shown.pixel(shown.width() / 2, shown.height() / 2), main.palette().window().color().rgb());

  EXPECT_EQ(windows.ReferencePointWorkspace().windowTitle(), "Построение стереоизображений по реперным точкам");
  EXPECT_EQ(windows.ReferencePointWorkspace().size(), QSize(968, 634));
  EXPECT_EQ(windows.OrientationWorkspace().windowTitle(), "Построение стереоизображений по ориентации");
  EXPECT_EQ(windows.OrientationWorkspace().size(), QSize(865, 609));
  EXPECT_EQ(windows.OrientationWorkspace().minimumSize(), QSize(450, 300));
}

TEST_F(StartupTest, TheButtonsShareTheStripByTheLayoutRule) {
  windows.Main().resize(600, 400);
  EXPECT_EQ(Button("Button1")->geometry(), QRect(1, 1, 300, 47));
  EXPECT_EQ(Button("Button2")->geometry(), QRect(301, 1, 298, 47));
  windows.Main().resize(601, 400);
  EXPECT_EQ(Button("Button1")->geometry(), QRect(1, 1, 300, 47));
  EXPECT_EQ(Button("Button2")->geometry(), QRect(301, 1, 298, 47));
}

TEST_F(StartupTest, EitherButtonShowsItsWorkspaceAndShrinksTheWindowToABar) {
  QTest::mouseClick(Button("Button1"), Qt::LeftButton);
  gui::TMainVisForm& main = windows.Main();
  EXPECT_TRUE(windows.ReferencePointWorkspace().isVisible());
  EXPECT_FALSE(windows.OrientationWorkspace().isVisible());
  EXPECT_EQ(main.frameGeometry(), QRect(50, 50, 420, 80));
  EXPECT_FALSE(Picture()->isVisible());
  // The strip spans what the frame leaves of the 420 pixels.
  const int strip = main.findChild<QFrame*>("Panel1")->width();
  EXPECT_EQ(strip, main.width());
  EXPECT_EQ(main.findChild<QFrame*>("Panel1")->height(), 40);
  EXPECT_EQ(Button("Button1")->geometry(), QRect(1, 1, strip / 2, 38));
  EXPECT_EQ(Button("Button2")->geometry(), QRect(strip / 2 + 1, 1, strip / 2 - 2, 38));

  // The other workspace opens beside the first; both stay open.
  QTest::mouseClick(Button("Button2"), Qt::LeftButton);
  EXPECT_TRUE(windows.ReferencePointWorkspace().isVisible());
  EXPECT_TRUE(windows.OrientationWorkspace().isVisible());
  EXPECT_EQ(main.frameGeometry(), QRect(50, 50, 420, 80));

  // Closing a workspace only hides it.
  windows.ReferencePointWorkspace().BuildArea().XMin = 12;
  windows.ReferencePointWorkspace().close();
  EXPECT_FALSE(windows.ReferencePointWorkspace().isVisible());
  QTest::mouseClick(Button("Button1"), Qt::LeftButton);
  EXPECT_TRUE(windows.ReferencePointWorkspace().isVisible());
  EXPECT_EQ(windows.ReferencePointWorkspace().BuildArea().XMin, 12);
}

TEST_F(StartupTest, TheBuildAreaDialogWritesIntoTheWorkspaceShownLast) {
  gui::TObjForm& dialog = windows.BuildArea();
  EXPECT_EQ(dialog.BuildAreaTarget(), nullptr);
  QTest::mouseClick(Button("Button1"), Qt::LeftButton);
  EXPECT_EQ(dialog.BuildAreaTarget(), &windows.ReferencePointWorkspace().BuildArea());
  QTest::mouseClick(Button("Button2"), Qt::LeftButton);
  EXPECT_EQ(dialog.BuildAreaTarget(), &windows.OrientationWorkspace().BuildArea());

  dialog.show();
  QTest::mouseClick(dialog.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
  EXPECT_EQ(windows.OrientationWorkspace().BuildArea().XMax, 600);
  EXPECT_EQ(windows.ReferencePointWorkspace().BuildArea().XMax, 0);

  // The workspace the user turns to takes the dialog over.
  windows.ReferencePointWorkspace().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&windows.ReferencePointWorkspace()));
  EXPECT_EQ(dialog.BuildAreaTarget(), &windows.ReferencePointWorkspace().BuildArea());
}

TEST_F(StartupTest, TheAboutBoxNamesTheProgramAndItsVersionAndIsShownModally) {
  gui::TVeskAboutBox& about = windows.About();
  EXPECT_EQ(about.windowTitle(), "О программе");
  EXPECT_EQ(about.size(), QSize(316, 193));
  EXPECT_EQ(about.minimumSize(), about.maximumSize());
  auto* panel = about.findChild<QFrame*>("Panel1");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->frameShadow(), QFrame::Sunken);
  auto* icon = about.findChild<QLabel*>("ProgramIcon");
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->size(), QSize(80, 70));
  EXPECT_TRUE(icon->hasScaledContents());
  EXPECT_FALSE(icon->pixmap().isNull());
  EXPECT_EQ(icon->parentWidget(), panel);
  EXPECT_EQ(about.findChild<QLabel*>("ProductName")->text(), "Vesk");
  EXPECT_EQ(about.findChild<QLabel*>("Version")->text(), "Version 1.0.0");
  auto* ok = about.findChild<QPushButton*>("OKButton");
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->isDefault());
  EXPECT_GT(ok->y(), panel->geometry().bottom());

  // "О программе" in either workspace's help menu; OK, Enter and the close
  // box all end it.
  QTest::mouseClick(Button("Button1"), Qt::LeftButton);
  const std::function<void()> ways[] = {
      [&] { QTest::mouseClick(ok, Qt::LeftButton); },
      [&] { QTest::keyClick(&about, Qt::Key_Return); },
      [&] { about.close(); },
  };
  for (gui::WorkspaceWindow* workspace : {static_cast<gui::WorkspaceWindow*>(&windows.ReferencePointWorkspace()),
                                          static_cast<gui::WorkspaceWindow*>(&windows.OrientationWorkspace())}) {
    for (const auto& leave : ways) {
      bool wasModal = false;
      QTimer::singleShot(0, [&] {
        wasModal = QApplication::activeModalWidget() == &about;
        leave();
      });
      workspace->findChild<QAction*>("HelpAbout")->trigger();
      EXPECT_TRUE(wasModal);
      EXPECT_FALSE(about.isVisible());
    }
  }
}

TEST_F(StartupTest, ClosingTheModeSelectionWindowEndsTheProgram) {
  bool closed = false;
  QObject::connect(&windows.Main(), &gui::TMainVisForm::Closed, [&] { closed = true; });
  windows.Main().close();
  EXPECT_TRUE(closed);
  EXPECT_TRUE(boxes.Boxes.empty()) << "nothing to ask";
}

// A result shown in a viewer as a finished build leaves it.
gui::TForm2* ShownResult(gui::VeskWindows& windows) {
  gui::TForm2* viewer = windows.Jobs().Viewers().Create();
  viewer->PrepareResult(BuildMode::AnaglyphOnFirst, PictureSize{4, 3}, BuildArea{});
  viewer->SetResult(std::make_shared<const RgbImage>(4, 3));
  viewer->show();
  return viewer;
}

class QuitTest : public StartupTest {
 public:
  QuitTest() {
    QObject::connect(&windows.Main(), &gui::TMainVisForm::Closed, [this] { ++closed; });
  }
  // Closes the mode-selection window; true when the program would end.
  bool Quit() {
    const int before = closed;
    windows.Main().close();
    return closed > before;
  }
  int closed = 0;
};

TEST_F(QuitTest, UnsavedResultsAreAskedAboutOnceAndCancelKeepsEverything) {
  gui::TForm2* viewer = ShownResult(windows);
  test::TempDir dir;
  struct Case {
    const char* name;
    std::function<void()> answer;
    bool ends;
  } cases[] = {
      {"Отмена", [&] { boxes.AnswerCancel(); }, false},
      {"Да, the save dialog cancelled", [&] { boxes.AnswerYes(); }, false},
      {"Нет", [&] { boxes.AnswerNo(); }, true},
  };
  for (const Case& c : cases) {
    boxes.Boxes.clear();
    c.answer();
    EXPECT_EQ(Quit(), c.ends) << c.name;
    ASSERT_EQ(boxes.Boxes.size(), 1u) << c.name;
    EXPECT_TRUE(boxes.Boxes[0].WithCancel) << c.name;
    EXPECT_EQ(boxes.Boxes[0].Owner, &windows.Main()) << c.name;
    EXPECT_EQ(boxes.Boxes[0].Caption, "Предупреждение") << c.name;
    EXPECT_EQ(boxes.Boxes[0].Text, "Есть несохранённые результаты: 1.\nСохранить результаты перед выходом?") << c.name;
    EXPECT_EQ(windows.Main().isVisible(), !c.ends) << c.name;
    EXPECT_TRUE(viewer->isVisible()) << c.name;
  }

  // Да saves the result, and the program ends.
  windows.Main().show();
  boxes.Boxes.clear();
  boxes.AnswerYes();
  files.Answer(QString::fromStdString(dir.File("result.bmp")));
  EXPECT_TRUE(Quit());
  EXPECT_TRUE(std::filesystem::exists(dir.File("result.bmp")));
  EXPECT_FALSE(viewer->Unsaved());
  // Saved, nothing is asked any more.
  windows.Main().show();
  boxes.Boxes.clear();
  EXPECT_TRUE(Quit());
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(QuitTest, ARunningBuildIsStoppedOnlyWhenTheUserSaysSo) {
  TransformCoefficients list(kOwnsItems);
  AppendCoefficients(list, {0.25, 0, 0, 0, 0, 0, 0.25, 0});
  TransformCoefficients none(kOwnsItems);
  const qt::SharedPhoto photo = qt::LoadPhoto((test::ExamplesDir() / "chessboard" / "left01.bmp").string()).Photo;
  gui::VisualThread* job =
      windows.Jobs().Create(MakeRenderRequest(list, none, BuildMode::FirstToPlanInterpolated,
                                              BuildArea{0, 4000, 0, 4000, 1}, {}, {}, Origin::FromReferencePoints),
                            photo, photo);
  job->Resume();
  QPointer<gui::VisualThread> running(job);
  for (const bool cancel : {true, false}) {
    boxes.Boxes.clear();
    cancel ? boxes.AnswerCancel() : boxes.AnswerNo();
    EXPECT_FALSE(Quit());
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "Идёт построение изображения.\nПрервать построение и выйти?");
    ASSERT_FALSE(running.isNull());
    EXPECT_FALSE(running->StopRequested());
  }
  boxes.AnswerYes();
  EXPECT_TRUE(Quit());
}

TEST_F(QuitTest, AnUnsavedTableEditorAsksWithCancelAfterTheResultsAndOnlyOnce) {
  gui::TForm2* viewer = ShownResult(windows);
  gui::TRedForm editor(context);
  ASSERT_TRUE(editor.OpenTable(QString(), TableKind::PointTable));
  editor.show();
  editor.Model().MarkModified();

  // Нет to the results, Отмена in the editor: everything stays as it was.
  boxes.AnswerNo();
  boxes.AnswerCancel();
  EXPECT_FALSE(Quit());
  ASSERT_EQ(boxes.Boxes.size(), 2u);
  EXPECT_TRUE(boxes.Boxes[0].Text.startsWith("Есть несохранённые результаты"));
  EXPECT_EQ(boxes.Boxes[1].Owner, &editor);
  EXPECT_EQ(boxes.Boxes[1].Text, "Данные не сохранены. Сохранить?");
  EXPECT_TRUE(boxes.Boxes[1].WithCancel);
  EXPECT_TRUE(windows.Main().isVisible());
  EXPECT_TRUE(editor.isVisible());
  EXPECT_TRUE(editor.Modified());
  EXPECT_TRUE(viewer->Unsaved());

  // Нет to both: the program ends, and the editor does not ask again.
  boxes.Boxes.clear();
  boxes.AnswerNo();
  boxes.AnswerNo();
  EXPECT_TRUE(Quit());
  EXPECT_EQ(boxes.Boxes.size(), 2u);

  // An editor closed with its changes given up is not asked about.
  windows.Main().show();
  boxes.Boxes.clear();
  boxes.AnswerNo();
  editor.close();
  boxes.AnswerNo();
  EXPECT_TRUE(Quit());
  ASSERT_EQ(boxes.Boxes.size(), 2u);
  EXPECT_TRUE(boxes.Boxes[1].Text.startsWith("Есть несохранённые результаты"));
}

TEST_F(QuitTest, AnotherWindowsWorkJoinsTheQuestionsInOneLine) {
  QWidget workspace;
  bool modified = true;
  int saves = 0;
  gui::AskBeforeQuitting(
      context, &workspace, QStringLiteral("Точки изменены. Сохранить?"), [&] { return modified; },
      [&] { return ++saves, false; });
  boxes.AnswerYes();  // the save does not happen: the program goes on
  EXPECT_FALSE(Quit());
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Owner, &workspace);
  EXPECT_EQ(boxes.Boxes[0].Text, "Точки изменены. Сохранить?");
  EXPECT_EQ(saves, 1);
  modified = false;
  EXPECT_TRUE(Quit());
  EXPECT_EQ(boxes.Boxes.size(), 1u);
}

TEST_F(StartupTest, TheDecimalSeparatorIsASettingKeptBetweenRunsInBothWorkspaces) {
  gui::VeskSettings& settings = windows.UserSettings();
  EXPECT_EQ(settings.Separator(), gui::SeparatorChoice::System) << "the default, on empty settings";
  EXPECT_EQ(context.Format.DecimalSeparator, ',') << "the system's";
  QAction* system = windows.OrientationWorkspace().findChild<QAction*>("SeparatorSystem");
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(system->text(), "Как в системе («,»)");
  EXPECT_TRUE(system->isChecked());

  windows.ReferencePointWorkspace().findChild<QAction*>("SeparatorPoint")->trigger();
  EXPECT_EQ(context.Format.DecimalSeparator, '.');
  EXPECT_TRUE(windows.OrientationWorkspace().findChild<QAction*>("SeparatorPoint")->isChecked())
      << "both workspaces show the choice";
  EXPECT_FALSE(system->isChecked());

  // The next run starts with it.
  EXPECT_EQ(gui::VeskSettings(',').Separator(), gui::SeparatorChoice::Point);
  test::ScriptedFileDialogs files2;
  test::RecordingMessageBoxes boxes2;
  gui::GuiContext next{files2, boxes2, NumberFormat::Comma(), {}, 0};
  {
    gui::VeskWindows again(next);
    EXPECT_EQ(next.Format.DecimalSeparator, '.');
    again.OrientationWorkspace().findChild<QAction*>("SeparatorComma")->trigger();
    EXPECT_EQ(next.Format.DecimalSeparator, ',');
  }
  EXPECT_EQ(gui::VeskSettings('.').DecimalSeparator(), ',');
}

TEST_F(StartupTest, AFileThatReadsWithTheOtherSeparatorIsSaidSoAndTheSwitchOffered) {
  // The shipped example is written with points; this locale uses a comma.
  gui::TVisual2_Form& workspace = windows.OrientationWorkspace();
  workspace.LoadInputSetFrom((test::ExamplesDir() / "chessboard" / "chessboard_orientation.prt").string());
  ASSERT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
  boxes.AnswerYes();
  workspace.findChild<QAction*>("AnaglyphOnSecondItem")->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 2u) << boxes.Texts().join("; ").toStdString();
  EXPECT_FALSE(boxes.Boxes[0].Question) << "the reader's own message first";
  EXPECT_TRUE(boxes.Boxes[1].Question);
  EXPECT_EQ(boxes.Boxes[1].Caption, "Предупреждение");
  EXPECT_EQ(boxes.Boxes[1].Text,
            "Числа в файлах записаны с другим десятичным разделителем: они читаются, если дробная часть "
            "отделяется точкой.\nОтделять дробную часть точкой?");
  EXPECT_EQ(windows.Jobs().Count(), 0);
  EXPECT_EQ(windows.UserSettings().Separator(), gui::SeparatorChoice::Point);
  EXPECT_EQ(context.Format.DecimalSeparator, '.');

  // Switched, the same build runs.
  boxes.Boxes.clear();
  workspace.findChild<QAction*>("AnaglyphOnSecondItem")->trigger();
  EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
  EXPECT_EQ(windows.Jobs().Count(), 1);
  ASSERT_TRUE(test::SpinUntil([&] { return windows.Jobs().Count() == 0; }));

  // The reference-point workspace's files too; Нет keeps the setting.
  windows.UserSettings().SetSeparator(gui::SeparatorChoice::System);
  gui::TVisual_Form& points = windows.ReferencePointWorkspace();
  points.LoadInputSetFrom((test::ExamplesDir() / "chessboard" / "chessboard_points8.prt").string());
  boxes.Boxes.clear();
  boxes.AnswerNo();
  points.findChild<QAction*>("BuildAnaglyphOnFirst")->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 2u) << boxes.Texts().join("; ").toStdString();
  EXPECT_TRUE(boxes.Boxes[1].Text.startsWith("Числа в файлах записаны с другим десятичным разделителем"));
  EXPECT_EQ(windows.UserSettings().Separator(), gui::SeparatorChoice::System);
  EXPECT_EQ(context.Format.DecimalSeparator, ',');

  // A file that reads with neither separator offers nothing.
  boxes.Boxes.clear();
  windows.UserSettings().SetSeparator(gui::SeparatorChoice::Point);
  test::TempDir dir;
  points.findChild<QLineEdit*>("Edit9")->setText(QString());
  dir.Write("broken.crd", "1;2\r\nabc;3\r\n");
  files.AnswerMany({QString::fromStdString(dir.File("broken.crd"))});
  points.findChild<QPushButton*>("Button7")->click();
  boxes.Boxes.clear();
  points.findChild<QAction*>("BuildAnaglyphOnFirst")->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 1u) << boxes.Texts().join("; ").toStdString();
  EXPECT_FALSE(boxes.Boxes[0].Question);
}

// An object whose handler fails the way a command's unexpected error does.
class FailingHandler : public QObject {
 public:
  int Handled = 0;

 protected:
  void customEvent(QEvent*) override {
    ++Handled;
    throw std::runtime_error("Index out of bounds ListOfT::Get");
  }
};

TEST(ApplicationTest, AnErrorNoCommandCatchesReachesTheStandardErrorBoxAndTheProgramGoesOn) {
  auto* app = qobject_cast<gui::VeskApplication*>(QCoreApplication::instance());
  ASSERT_NE(app, nullptr);
  test::RecordingMessageBoxes boxes;
  app->SetMessageBoxes(&boxes);
  FailingHandler handler;
  for (int i = 0; i < 2; ++i) QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
  ASSERT_TRUE(test::SpinUntil([&] { return boxes.Boxes.size() == 2; }, 10000));
  EXPECT_EQ(handler.Handled, 2);
  EXPECT_EQ(boxes.Boxes[0].Caption, "Vesk");
  EXPECT_EQ(boxes.Boxes[0].Text, "Index out of bounds ListOfT::Get");
  EXPECT_EQ(boxes.Boxes[0].Owner, nullptr);
  app->SetMessageBoxes(nullptr);
}

}  // namespace
}  // namespace vesk
