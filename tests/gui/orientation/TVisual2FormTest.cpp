#include "gui/orientation/TVisual2_Form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <filesystem>
#include <functional>

#include "cli/CliTestSupport.h"
#include "files/ProjectFile.h"
#include "gui/editor/TRedForm.h"
#include "gui/render/RenderJobs.h"
#include "gui/render/TForm2.h"
#include "gui/settings/TObjForm.h"
#include "gui/workspace/PhotoView.h"
#include "gui/workspace/RenderJobControl.h"
#include "gui/workspace/WorkspaceStatusBar.h"
#include "orientation/AreaOutline.h"
#include "orientation/OrientationTransforms.h"
#include "support/EventLoop.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace vesk {
namespace {

namespace fs = std::filesystem;
using gui::TObjForm;

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Pixels a build wrote: neither the white of an empty result nor black.
int PhotographPixels(const RgbImage& image) {
  int count = 0;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) {
      const Rgb p = image.Pixel(x, y);
      const int sum = p.R + p.G + p.B;
      if (sum != 0 && sum != 3 * 255) ++count;
    }
  return count;
}

fs::path Chessboard() { return test::ExamplesDir() / "chessboard"; }

// The chessboard's input set copied into a folder of its own, where a test
// may remove or spoil any file.
class ExampleSet {
 public:
  ExampleSet() {
    for (const char* name : {"left01.bmp", "right01.bmp", "left01.ort", "right01.ort", "left01.cam", "right01.cam",
                             "corr1.txt", "corr2.txt"})
      fs::copy_file(Chessboard() / name, dir.Path() / name);
  }
  std::string File(const char* name) const { return dir.File(name); }
  void Remove(const char* name) const { fs::remove(dir.Path() / name); }
  std::string Write(const char* name, std::string_view bytes) const { return dir.Write(name, bytes); }

  test::TempDir dir;
};

// Answers the build-area dialog whenever it is shown: each showing takes the
// next answer (a function that fills the fields and presses a button);
// without one it presses "Cancel", so that no test hangs in it.
class BuildAreaAnswers : public QObject {
 public:
  explicit BuildAreaAnswers(TObjForm& dialog) : dialog_(dialog) { dialog.installEventFilter(this); }

  using Answer = std::function<void(TObjForm&)>;
  void Add(Answer answer) { answers_.push_back(std::move(answer)); }
  static void Press(TObjForm& dialog, const char* button) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
  }
  static Answer Ok() {
    return [](TObjForm& d) { Press(d, "OKButton"); };
  }
  static Answer Cancel() {
    return [](TObjForm& d) { Press(d, "CancelButton"); };
  }
  static Answer OkWithAutomaticStep() {
    return [](TObjForm& d) {
      d.findChild<QCheckBox*>("AutostepCheckBox")->setChecked(true);
      Press(d, "OKButton");
    };
  }
  static Answer OkWithStep(const QString& step) {
    return [step](TObjForm& d) {
      d.findChild<QCheckBox*>("AutostepCheckBox")->setChecked(false);
      d.findChild<QLineEdit*>("Edit3")->setText(step);
      Press(d, "OKButton");
    };
  }

  int Shown = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &dialog_ && event->type() == QEvent::Show) {
      ++Shown;
      Answer answer = Cancel();
      if (!answers_.empty()) {
        answer = std::move(answers_.front());
        answers_.pop_front();
      }
      QTimer::singleShot(0, &dialog_, [this, answer] { answer(dialog_); });
    }
    return false;
  }

 private:
  TObjForm& dialog_;
  std::deque<Answer> answers_;
};

class OrientationWorkspaceTest : public testing::Test {
 public:
  OrientationWorkspaceTest() {
    folder_ = QDir::currentPath();
    context.Jobs = &jobs;
    context.OpenHelp = [this](const QString& path) { helpOpened << path; };
    dialogs.BuildArea = &buildArea;
    dialogs.About = &about;
    form = std::make_unique<gui::TVisual2_Form>(context, dialogs);
    QObject::connect(&form->Jobs(), &gui::RenderJobControl::JobEnded, [this](RenderStatus s) { ended.push_back(s); });
  }
  ~OrientationWorkspaceTest() override {
    // The window goes before the jobs and viewers it started.
    form.reset();
    QDir::setCurrent(folder_);
  }

  void ShowForm() {
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }

  QLineEdit* Field(const char* name) { return form->findChild<QLineEdit*>(name); }
  QPushButton* Button(const char* name) { return form->findChild<QPushButton*>(name); }
  QAction* Item(const char* name) { return form->findChild<QAction*>(name); }
  QMenu* BuildMenu() { return form->findChild<QMenu*>("BuildMenu"); }
  bool BuildMenuEnabled() { return BuildMenu()->menuAction()->isEnabled(); }

  // Presses a "..." button whose dialog answers `path`.
  void Choose(const char* button, const std::string& path) {
    files.Answer(Q(path));
    QTest::mouseClick(Button(button), Qt::LeftButton);
  }
  void LoadProject(const std::string& path) {
    files.Answer(Q(path));
    Item("LoadInputSetItem")->trigger();
  }
  void LoadExample() { LoadProject((Chessboard() / "chessboard_orientation.prt").string()); }
  // Fills the six fields from the example set.
  void ChooseAll(const ExampleSet& set) {
    Choose("Button5", set.File("left01.bmp"));
    Choose("Button6", set.File("right01.bmp"));
    Choose("Button10", set.File("left01.cam"));
    Choose("Button1", set.File("right01.cam"));
  }

  // Triggers a build command and, when it started a job, waits for its end.
  gui::VisualThread* Build(const char* item) {
    const std::size_t before = ended.size();
    Item(item)->trigger();
    gui::VisualThread* job = form->Jobs().Job();
    if (job != nullptr) {
      requests.push_back(job->Request());
      EXPECT_TRUE(test::SpinUntil([&] { return ended.size() > before; }));
    }
    return job;
  }
  gui::TForm2* LastViewer() {
    const std::vector<gui::TForm2*> viewers = jobs.Viewers().Existing();
    return viewers.empty() ? nullptr : viewers.back();
  }
  QString StatusText() { return form->StatusBar().StatusField().text(); }
  QString TimeText() { return form->StatusBar().TimeField().text(); }

  test::ScriptedFileDialogs files;
  test::RecordingMessageBoxes boxes;
  gui::GuiContext context{files, boxes, NumberFormat::Dot(), {}, 0};
  gui::RenderJobs jobs{context};
  TObjForm buildArea{context};
  BuildAreaAnswers areaAnswers{buildArea};
  QDialog about;
  gui::SharedDialogs dialogs;
  std::unique_ptr<gui::TVisual2_Form> form;
  std::vector<RenderStatus> ended;
  std::vector<RenderRequest> requests;  // of the jobs Build started
  QStringList helpOpened;

 private:
  QString folder_;
};

TEST_F(OrientationWorkspaceTest, TheWindowHasTheControlsAndMenusByTheirNames) {
  EXPECT_EQ(form->windowTitle(), "Построение стереоизображений по ориентации");
  EXPECT_EQ(form->size(), QSize(865, 609));
  EXPECT_EQ(form->minimumSize(), QSize(450, 300));
  for (const char* name : {"Edit7", "Edit4", "Edit8", "Edit6", "Edit5", "Edit9"})
    EXPECT_NE(Field(name), nullptr) << name;
  for (const char* name : {"Button5", "Button7", "Button10", "Button6", "Button8", "Button1"}) {
    ASSERT_NE(Button(name), nullptr) << name;
    EXPECT_EQ(Button(name)->text(), "...") << name;
  }
  EXPECT_NE(form->findChild<QSplitter*>("Splitter1"), nullptr);
  EXPECT_EQ(&form->Pane(1), form->findChild<gui::PhotoView*>("ScrollBox3"));
  EXPECT_EQ(&form->Pane(2), form->findChild<gui::PhotoView*>("ScrollBox4"));
  EXPECT_EQ(form->Pane(1).Picture().objectName(), "Image1");
  EXPECT_EQ(form->Pane(2).Picture().objectName(), "Image2");
  for (const char* name : {"Edit3", "ProgressBar1", "Edit2"}) EXPECT_NE(form->findChild<QWidget*>(name), nullptr);

  QStringList menus;
  for (QAction* action : form->menuBar()->actions()) menus << action->text();
  EXPECT_EQ(menus, (QStringList{"&Файл", "Режим построения", "Построить", "Анаглиф", "Вид", "Помощь"}));
  // The visible items, in order, at first.
  const auto visibleItems = [](QMenu* menu) {
    QStringList items;
    for (QAction* action : menu->actions())
      if (action->isVisible()) items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return items;
  };
  EXPECT_EQ(visibleItems(form->findChild<QMenu*>("FileMenu")),
            (QStringList{"Загрузить входной набор", "Сохранить входной набор", "-", "&Выход"}));
  EXPECT_EQ(visibleItems(form->findChild<QMenu*>("ModeMenu")),
            (QStringList{"По математической системе", "По фотограмметрической системе", "По лабораторной системе"}));
  EXPECT_EQ(visibleItems(BuildMenu()),
            (QStringList{"Анаглиф на основе второго", "Анаглиф на основе первого", "Анаглиф на основе сцены"}));
  EXPECT_FALSE(BuildMenuEnabled());
  EXPECT_TRUE(Item("MathematicalItem")->isChecked());
  EXPECT_TRUE(Item("WithInterpolationItem")->isChecked());
  EXPECT_EQ(form->Convention(), CoordinateConvention::Mathematical);
  EXPECT_EQ(form->Interpolation(), 2);

  Item("HelpContents")->trigger();
  EXPECT_EQ(helpOpened, QStringList{"orientation.html"});
}

TEST_F(OrientationWorkspaceTest, TheHeaderIsThreeEqualColumnsAtEverySize) {
  ShowForm();
  for (const QSize size : {QSize(865, 609), QSize(450, 300), QSize(1400, 700)}) {
    form->resize(size);
    QTest::qWait(0);
    const QRect photo = Field("Edit7")->geometry().united(Button("Button5")->geometry());
    const auto cellOf = [](QWidget* w) {
      return QRect(w->parentWidget()->mapTo(w->window(), QPoint(0, 0)), w->parentWidget()->size());
    };
    const QRect c1 = cellOf(Field("Edit7")), c2 = cellOf(Field("Edit4")), c3 = cellOf(Field("Edit8"));
    EXPECT_LE(std::abs(c1.width() - c2.width()), 1) << size.width();
    EXPECT_LE(std::abs(c2.width() - c3.width()), 1) << size.width();
    EXPECT_LT(c1.right(), c2.left());
    EXPECT_LT(c2.right(), c3.left());
    // Each field fills its cell up to its button, which ends the cell.
    EXPECT_EQ(photo.width(), c1.width()) << size.width();
    // The title stands over its column, the second row under the first.
    const QLabel* title = form->findChild<QLabel*>("Label3");
    EXPECT_EQ(title->mapTo(form.get(), QPoint(0, 0)).x(), c3.left());
    EXPECT_EQ(cellOf(Field("Edit9")).left(), c3.left());
    EXPECT_GT(cellOf(Field("Edit9")).top(), c3.bottom());
  }
}

TEST_F(OrientationWorkspaceTest, TheBuildMenuIsEnabledExactlyWhileAllSixFieldsAreFilled) {
  const char* names[] = {"Edit7", "Edit4", "Edit8", "Edit6", "Edit5", "Edit9"};
  for (const char* name : names) {
    EXPECT_FALSE(BuildMenuEnabled()) << "before " << name;
    QTest::keyClicks(Field(name), "x");
  }
  EXPECT_TRUE(BuildMenuEnabled()) << "the last one filled";
  for (const char* name : names) {
    const QString text = Field(name)->text();
    Field(name)->selectAll();
    QTest::keyClick(Field(name), Qt::Key_Delete);
    EXPECT_FALSE(BuildMenuEnabled()) << name << " cleared";
    QTest::keyClicks(Field(name), text);
    EXPECT_TRUE(BuildMenuEnabled()) << name << " filled again";
  }
}

TEST_F(OrientationWorkspaceTest, APhotographBringsItsShootingGeometryWhenThereIsOne) {
  ExampleSet set;
  set.Remove("right01.ort");
  const QString startFolder = QDir::currentPath();
  Choose("Button5", set.File("left01.bmp"));
  ASSERT_EQ(files.Calls.size(), 1u);
  EXPECT_EQ(files.Calls[0].Request.Folder, startFolder);
  EXPECT_TRUE(files.Calls[0].Request.Filter.startsWith("Image Files (*.bmp"));
  EXPECT_EQ(form->PhotoPath(1), set.File("left01.bmp"));
  EXPECT_EQ(Field("Edit7")->text(), "left01.bmp");
  EXPECT_EQ(form->OrientationPath(1), set.File("left01.ort"));
  EXPECT_EQ(Field("Edit4")->text(), "left01.ort");
  ASSERT_NE(form->Pane(1).Photo(), nullptr);
  EXPECT_EQ(form->Pane(1).Picture().PictureSize(), QSize(640, 480));
  // The dialog moved the current folder to the photograph's.
  EXPECT_EQ(QDir::currentPath(), QDir(Q(set.dir.Path().string())).canonicalPath());

  // Without a companion the field and the path keep what they held.
  QTest::keyClicks(Field("Edit5"), "kept.ort");
  Choose("Button6", set.File("right01.bmp"));
  EXPECT_EQ(files.Calls[1].Request.Folder, QDir::currentPath()) << "the next dialog opens where the last one was";
  EXPECT_EQ(Field("Edit5")->text(), "kept.ort");
  EXPECT_EQ(form->OrientationPath(2), "kept.ort");
  EXPECT_EQ(Field("Edit6")->text(), "right01.bmp");
  EXPECT_TRUE(boxes.Boxes.empty());

  // Cancelled, nothing changes.
  Choose("Button5", "");
  EXPECT_EQ(form->PhotoPath(1), set.File("left01.bmp"));
}

TEST_F(OrientationWorkspaceTest, AShootingGeometryFileBringsItsPhotographAndTheInputSetKeepsIt) {
  ExampleSet set;
  Choose("Button8", set.File("right01.ort"));
  EXPECT_EQ(files.Calls[0].Request.Filter, "Orientation Files (*.ort);;All Files (*)");
  EXPECT_EQ(form->OrientationPath(2), set.File("right01.ort"));
  EXPECT_EQ(Field("Edit5")->text(), "right01.ort");
  EXPECT_EQ(form->PhotoPath(2), set.File("right01.bmp"));
  EXPECT_EQ(Field("Edit6")->text(), "right01.bmp");
  ASSERT_NE(form->Pane(2).Photo(), nullptr);
  EXPECT_EQ(form->Pane(2).Picture().PictureSize(), QSize(640, 480));
  EXPECT_EQ(form->Pane(1).Photo(), nullptr);

  // Without a photograph beside it, only the field changes.
  const std::string lone = set.Write("lone.ort", "");
  Choose("Button7", lone);
  EXPECT_EQ(Field("Edit4")->text(), "lone.ort");
  EXPECT_EQ(form->PhotoPath(1), "");

  files.Answer(Q(set.File("set.prt")));
  Item("SaveInputSetItem")->trigger();
  EXPECT_EQ(files.Calls.back().What, test::ScriptedFileDialogs::Kind::Save);
  EXPECT_EQ(files.Calls.back().Request.Filter, "Project Files (*.prt);;All Files (*)");
  ProjectFields saved;
  ASSERT_FALSE(ReadProject(set.File("set.prt"), saved).has_value());
  EXPECT_EQ(saved.Image2, set.File("right01.bmp"));
  EXPECT_EQ(saved.Image2ExOrientation, set.File("right01.ort"));
  EXPECT_EQ(saved.Image1ExOrientation, lone);
  EXPECT_EQ(saved.Image1, "");
  EXPECT_EQ(saved.Image1ReperPoints, "");

  // Saving over it asks first, in a box of no window; No keeps the file.
  Choose("Button10", set.File("left01.cam"));
  boxes.AnswerNo();
  files.Answer(Q(set.File("set.prt")));
  Item("SaveInputSetItem")->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_TRUE(boxes.Boxes[0].Question);
  EXPECT_EQ(boxes.Boxes[0].Owner, nullptr);
  EXPECT_EQ(boxes.Boxes[0].Text, "Файл set.prt уже существует. Перезаписать?");
  ASSERT_FALSE(ReadProject(set.File("set.prt"), saved).has_value());
  EXPECT_EQ(saved.Image1IntOrientation, "");
}

TEST_F(OrientationWorkspaceTest, TheCalibrationDialogProposesKalibr) {
  ExampleSet set;
  Choose("Button1", set.File("right01.cam"));
  ASSERT_EQ(files.Calls.size(), 1u);
  EXPECT_EQ(files.Calls[0].Request.Filter, "Camera Files (*.cam);;All Files (*)");
  EXPECT_EQ(files.Calls[0].Request.ProposedName, "Kalibr");
  EXPECT_EQ(form->CameraPath(2), set.File("right01.cam"));
  EXPECT_EQ(Field("Edit9")->text(), "right01.cam");
}

TEST_F(OrientationWorkspaceTest, TypedNamesAreTakenInTheFolderOfThePathTheyReplace) {
  ExampleSet set;
  Choose("Button5", set.File("left01.bmp"));
  QDir::setCurrent(QDir::tempPath());  // typed names do not follow the current folder

  // A photograph: on Enter only, then loaded.
  Field("Edit7")->clear();
  QTest::keyClicks(Field("Edit7"), "right01.bmp");
  EXPECT_EQ(form->PhotoPath(1), set.File("left01.bmp"));
  QTest::keyClick(Field("Edit7"), Qt::Key_Return);
  EXPECT_EQ(form->PhotoPath(1), set.File("right01.bmp"));
  const qt::SharedPhoto right = form->Pane(1).Photo();
  ASSERT_NE(right, nullptr);
  // One that cannot be loaded: the toolkit's box, and the row keeps its
  // photograph and path.
  Field("Edit7")->setText("missing.bmp");
  QTest::keyClick(Field("Edit7"), Qt::Key_Return);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Caption, "Vesk");
  EXPECT_TRUE(boxes.Boxes[0].Text.contains("missing.bmp"));
  EXPECT_EQ(form->Pane(1).Photo(), right);
  EXPECT_EQ(form->PhotoPath(1), set.File("right01.bmp"));
  EXPECT_EQ(Field("Edit7")->text(), "right01.bmp") << "the field names the photograph the pane shows";
  // An empty field on Enter does nothing.
  Field("Edit7")->clear();
  QTest::keyClick(Field("Edit7"), Qt::Key_Return);
  EXPECT_EQ(form->PhotoPath(1), set.File("right01.bmp"));

  // A data file: at every key released.
  EXPECT_EQ(form->OrientationPath(1), set.File("left01.ort"));
  Field("Edit4")->selectAll();
  QTest::keyClicks(Field("Edit4"), "other.ort");
  EXPECT_EQ(form->OrientationPath(1), set.File("other.ort"));
  Field("Edit4")->selectAll();
  QTest::keyClick(Field("Edit4"), Qt::Key_Backspace);
  EXPECT_EQ(form->OrientationPath(1), "");
  // With no folder left, the typed name stands alone.
  QTest::keyClicks(Field("Edit4"), "bare.ort");
  EXPECT_EQ(form->OrientationPath(1), "bare.ort");
  QTest::keyClicks(Field("Edit8"), "k.cam");
  EXPECT_EQ(form->CameraPath(1), "k.cam");
}

TEST_F(OrientationWorkspaceTest, ADoubleClickOpensTheFieldsFileInTheTableEditorOfItsKind) {
  ExampleSet set;
  ChooseAll(set);
  struct Case {
    const char* field;
    TableKind kind;
    const char* file;
  } cases[] = {{"Edit4", TableKind::ShootingGeometryTable, "left01.ort"},
               {"Edit5", TableKind::ShootingGeometryTable, "right01.ort"},
               {"Edit8", TableKind::CalibrationTable, "left01.cam"},
               {"Edit9", TableKind::CalibrationTable, "right01.cam"}};
  for (const Case& c : cases) {
    QTest::mouseDClick(Field(c.field), Qt::LeftButton);
    ASSERT_FALSE(form->Editors().empty()) << c.field;
    gui::TRedForm* editor = form->Editors().back();
    EXPECT_EQ(editor->Kind(), c.kind) << c.field;
    EXPECT_EQ(editor->FilePath(), Q(set.File(c.file))) << c.field;
    EXPECT_TRUE(editor->isVisible()) << c.field;
  }
  EXPECT_EQ(form->Editors().size(), 4u);
  // A file the editor cannot show: its message, and no window.
  set.Write("left01.cam", "1 ; x\r\n");
  QTest::mouseDClick(Field("Edit8"), Qt::LeftButton);
  EXPECT_EQ(form->Editors().size(), 4u);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, "Внутренняя ошибка. Обратитесь к разработчику.");
  // A photograph field opens nothing.
  QTest::mouseDClick(Field("Edit7"), Qt::LeftButton);
  EXPECT_EQ(form->Editors().size(), 4u);
}

TEST_F(OrientationWorkspaceTest, CtrlJShowsAndHidesTheExtraItemsWithTheSeparator) {
  ShowForm();
  const char* extra[] = {"FirstToSecondItem",        "SecondToFirstItem",     "FirstToPlanItem",    "SecondToPlanItem",
                         "WithoutInterpolationItem", "WithInterpolationItem", "ConventionSeparator"};
  for (const bool visible : {true, false, true}) {
    // From whichever control has the focus.
    QTest::keyClick(Field(visible ? "Edit8" : "Edit6"), Qt::Key_J, Qt::ControlModifier);
    for (const char* name : extra) EXPECT_EQ(Item(name)->isVisible(), visible) << name;
    for (const char* name : {"AnaglyphOnSceneItem", "MathematicalItem", "LaboratoryItem"})
      EXPECT_TRUE(Item(name)->isVisible()) << name;
  }
  EXPECT_EQ(Field("Edit8")->text(), "") << "the key typed nothing";
}

TEST_F(OrientationWorkspaceTest, TheConventionIsARadioGroupKeptForEveryLaterBuild) {
  ExampleSet set;
  ChooseAll(set);
  const auto checked = [this] {
    QStringList names;
    for (const char* name : {"MathematicalItem", "PhotogrammetricItem", "LaboratoryItem"})
      if (Item(name)->isChecked()) names << name;
    return names;
  };
  // The maps a job of mode 3 receives in a convention.
  const auto expected = [&set](CoordinateConvention convention) {
    OrientationInputs inputs;
    EXPECT_FALSE(ReadOrientationInputs(
        {set.File("left01.cam"), set.File("left01.ort"), set.File("right01.cam"), set.File("right01.ort")}, inputs,
        NumberFormat::Dot()));
    OrientationBuildResult result;
    EXPECT_FALSE(
        ComputeOrientationBuild({BuildMode::AnaglyphOnFirst, convention}, inputs, NumberFormat::Dot(), result));
    return JobTransformFromList(result.List1).T;
  };

  Build("AnaglyphOnFirstItem");
  Item("LaboratoryItem")->trigger();
  EXPECT_EQ(checked(), QStringList{"LaboratoryItem"});
  Build("AnaglyphOnFirstItem");
  Build("AnaglyphOnFirstItem");
  Item("PhotogrammetricItem")->trigger();
  EXPECT_EQ(checked(), QStringList{"PhotogrammetricItem"});
  EXPECT_EQ(form->Convention(), CoordinateConvention::Photogrammetric);
  Build("AnaglyphOnFirstItem");
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].Transform1.T, expected(CoordinateConvention::Mathematical));
  EXPECT_EQ(requests[1].Transform1.T, expected(CoordinateConvention::Laboratory));
  EXPECT_EQ(requests[2].Transform1.T, expected(CoordinateConvention::Laboratory));
  EXPECT_EQ(requests[3].Transform1.T, expected(CoordinateConvention::Photogrammetric));
  EXPECT_NE(requests[0].Transform1.T, requests[1].Transform1.T);
  // The image planes of both photographs travel with every job.
  EXPECT_EQ(requests[3].From, Origin::FromOrientation);
  EXPECT_DOUBLE_EQ(requests[3].Plane1.CentreX, 342.304923926585);
  EXPECT_DOUBLE_EQ(requests[3].Plane2.CentreY, 249.083370835938);
  EXPECT_EQ(requests[3].Plane1.CorrectionValue, 1);
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(OrientationWorkspaceTest, TheSceneAnaglyphAsksForTheAreaEveryTimeAndCancelBuildsNothing) {
  ExampleSet set;
  ChooseAll(set);
  areaAnswers.Add(BuildAreaAnswers::Cancel());
  EXPECT_EQ(Build("AnaglyphOnSceneItem"), nullptr);
  EXPECT_EQ(areaAnswers.Shown, 1);
  EXPECT_FALSE(form->BuildArea().AreaCancelled) << "the mark is reset for the next command";
  EXPECT_TRUE(jobs.Viewers().Existing().empty());
  EXPECT_EQ(StatusText(), "");
  EXPECT_TRUE(boxes.Boxes.empty());

  // The next command asks again; automatic scaling takes the mean D / f.
  areaAnswers.Add(BuildAreaAnswers::OkWithAutomaticStep());
  ASSERT_NE(Build("AnaglyphOnSceneItem"), nullptr);
  EXPECT_EQ(areaAnswers.Shown, 2);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Mode, BuildMode::AnaglyphOnSceneInterpolated);
  const double step = (473.18979124377 / 532.929537681086 + 446.390682720923 / 537.060649642106) * 0.5;
  EXPECT_NEAR(requests[0].Area.Step, step, 1e-12);
  EXPECT_EQ(requests[0].Area.Step, form->BuildArea().Step) << "the workspace's step became the automatic one";
  EXPECT_EQ(requests[0].Area.XMin, -100);
  EXPECT_EQ(requests[0].Area.YMax, 500);
  EXPECT_EQ(ended.back(), RenderStatus::Completed);
  ASSERT_NE(LastViewer(), nullptr);
  EXPECT_TRUE(LastViewer()->isVisible());
  EXPECT_EQ(LastViewer()->windowTitle(), "Стереовизуализация — анаглиф на плоскости (left01.bmp, right01.bmp)");
  EXPECT_EQ(form->Jobs().IdleFlag(), 1);
}

TEST_F(OrientationWorkspaceTest, APlanBuildWithAutomaticScalingTakesThatPhotographsDOverF) {
  ExampleSet set;
  ChooseAll(set);
  QTest::qWait(0);
  areaAnswers.Add(BuildAreaAnswers::OkWithAutomaticStep());
  areaAnswers.Add(BuildAreaAnswers::OkWithAutomaticStep());
  Build("FirstToPlanItem");
  Build("SecondToPlanItem");
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Mode, BuildMode::FirstToPlanInterpolated);
  EXPECT_NEAR(requests[0].Area.Step, 473.18979124377 / 532.929537681086, 1e-12);
  EXPECT_EQ(requests[1].Mode, BuildMode::SecondToPlanInterpolated);
  EXPECT_NEAR(requests[1].Area.Step, 446.390682720923 / 537.060649642106, 1e-12);
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(OrientationWorkspaceTest, WithoutInterpolationThePlanBuildStartsAtOnceWithoutTheDialog) {
  ExampleSet set;
  ChooseAll(set);
  Item("WithoutInterpolationItem")->trigger();
  EXPECT_TRUE(Item("WithoutInterpolationItem")->isChecked());
  EXPECT_FALSE(Item("WithInterpolationItem")->isChecked());
  EXPECT_EQ(form->Interpolation(), 1);
  struct Case {
    const char* item;
    BuildMode mode;
  } cases[] = {{"FirstToPlanItem", BuildMode::FirstToPlan},
               {"SecondToPlanItem", BuildMode::SecondToPlan},
               {"FirstToSecondItem", BuildMode::FirstToSecond},
               {"SecondToFirstItem", BuildMode::SecondToFirst},
               {"AnaglyphOnSceneItem", BuildMode::AnaglyphOnScene}};
  for (const Case& c : cases) {
    ASSERT_NE(Build(c.item), nullptr) << c.item;
    EXPECT_EQ(requests.back().Mode, c.mode) << c.item;
  }
  EXPECT_EQ(areaAnswers.Shown, 0);
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(OrientationWorkspaceTest, EscStopsTheRunningBuildAndDoesNothingWhenIdle) {
  ExampleSet set;
  ChooseAll(set);
  ShowForm();
  QTest::keyClick(Field("Edit7"), Qt::Key_Escape);
  EXPECT_EQ(form->Jobs().IdleFlag(), 1);
  EXPECT_TRUE(ended.empty());

  // A large area runs long enough to be stopped.
  areaAnswers.Add([](TObjForm& d) {
    d.findChild<QLineEdit*>("Edit1")->setText("-2000");
    d.findChild<QLineEdit*>("Edit5")->setText("2000");
    d.findChild<QLineEdit*>("Edit2")->setText("-2000");
    d.findChild<QLineEdit*>("Edit4")->setText("2000");
    BuildAreaAnswers::Press(d, "OKButton");
  });
  Item("AnaglyphOnSceneItem")->trigger();
  gui::VisualThread* job = form->Jobs().Job();
  ASSERT_NE(job, nullptr);
  // The workspace is the active window again once the dialog has closed.
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  EXPECT_EQ(form->Jobs().IdleFlag(), 0);
  EXPECT_EQ(StatusText(), "Построение изображения");
  QTest::keyClick(Field("Edit7"), Qt::Key_Escape);
  EXPECT_TRUE(job->StopRequested());
  ASSERT_TRUE(test::SpinUntil([&] { return !ended.empty(); }));
  EXPECT_EQ(ended[0], RenderStatus::Cancelled);
  EXPECT_EQ(StatusText(), "Построение отменено");
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(OrientationWorkspaceTest, AFileThatCannotBeReadStopsTheBuildAtTheFirst) {
  ExampleSet set;
  ChooseAll(set);
  // The second calibration is read before the first shooting geometry.
  set.Remove("right01.cam");
  set.Write("left01.ort", "1;\r\n");
  EXPECT_EQ(Build("AnaglyphOnSecondItem"), nullptr);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Caption, "Ошибка!");
  EXPECT_EQ(boxes.Boxes[0].Text, Q("Файл " + set.File("right01.cam") + " не найден!"));
  EXPECT_EQ(boxes.Boxes[0].Owner, nullptr);
  // Nothing else changes: the status bar never said a build was running.
  EXPECT_EQ(StatusText(), "");
  EXPECT_EQ(TimeText(), "");

  set.Write("right01.cam", "1\r\n2\r\ncorr2.txt\r\n");
  boxes.Boxes.clear();
  EXPECT_EQ(Build("AnaglyphOnSecondItem"), nullptr);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  // The file and the line to blame stand below the reader's message.
  EXPECT_EQ(boxes.Boxes[0].Text, Q("Ошибка чтения cam-файла!\n" + set.File("right01.cam") + ", строка 1"));

  fs::copy_file(Chessboard() / "right01.cam", set.dir.Path() / "right01.cam", fs::copy_options::overwrite_existing);
  boxes.Boxes.clear();
  EXPECT_EQ(Build("AnaglyphOnSecondItem"), nullptr);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, Q("Ошибка чтения файла геометрии съемки!\n" + set.File("left01.ort") + ", строка 2"));
  EXPECT_TRUE(jobs.Viewers().Existing().empty());
}

TEST_F(OrientationWorkspaceTest, FaultsOfTheInputDataAreRefusedWithTheInternalErrorAndStartNoJob) {
  struct Case {
    const char* name;
    std::function<void(const ExampleSet&)> spoil;
    const char* item;
    BuildAreaAnswers::Answer area;
  } cases[] = {
      {"a correction table that is no number", [](const ExampleSet& s) { s.Write("corr1.txt", "abc\r\n"); },
       "AnaglyphOnSecondItem", nullptr},
      {"an empty correction table", [](const ExampleSet& s) { s.Write("corr2.txt", ""); }, "AnaglyphOnFirstItem",
       nullptr},
      // A zero focal length makes the second homography singular.
      {"an arithmetic fault",
       [](const ExampleSet& s) {
         s.Write("right01.cam", "326.5 ; x\r\n249 ; y\r\ncorr2.txt ; t\r\n0 ; f\r\n640 ; w\r\n480 ; h\r\n");
       },
       "AnaglyphOnSecondItem", nullptr},
      // The dialog itself refuses a step that is not positive; its close box
      // leaves the values stored last: before any confirmation, a step of 0.
      {"the dialog closed by its close box at first use", [](const ExampleSet&) {}, "FirstToPlanItem",
       [](TObjForm& d) { d.close(); }},
      // The job refuses an area smaller than one step.
      {"an area the job cannot walk", [](const ExampleSet&) {}, "AnaglyphOnSceneItem",
       BuildAreaAnswers::OkWithStep("5000")},
  };
  for (const Case& c : cases) {
    ExampleSet set;
    ChooseAll(set);
    c.spoil(set);
    if (c.area) areaAnswers.Add(c.area);
    boxes.Boxes.clear();
    EXPECT_EQ(Build(c.item), nullptr) << c.name;
    ASSERT_EQ(boxes.Boxes.size(), 1u) << c.name;
    EXPECT_EQ(boxes.Boxes[0].Caption, "Отказ") << c.name;
    EXPECT_EQ(boxes.Boxes[0].Text, "Внутренняя ошибка! Проверьте входные данные.") << c.name;
    EXPECT_EQ(boxes.Boxes[0].Icon, MessageIcon::Warning) << c.name;
    EXPECT_EQ(boxes.Boxes[0].Owner, form.get()) << c.name;
    EXPECT_EQ(jobs.Count(), 0) << c.name;
    EXPECT_TRUE(jobs.Viewers().Existing().empty()) << c.name;
    EXPECT_EQ(StatusText(), "") << c.name;
    EXPECT_EQ(TimeText(), "") << c.name;
    EXPECT_EQ(form->StatusBar().ProgressBar().value(), 0) << c.name;
  }
}

TEST_F(OrientationWorkspaceTest, LoadingAnInputSetFillsTheFieldsAndHoldsWholePaths) {
  LoadExample();
  EXPECT_EQ(files.Calls[0].Request.Filter, "Project Files (*.prt);;All Files (*)");
  const auto example = [](const char* name) { return (Chessboard() / name).string(); };
  EXPECT_EQ(form->PhotoPath(1), example("left01.bmp"));
  EXPECT_EQ(form->PhotoPath(2), example("right01.bmp"));
  EXPECT_EQ(form->OrientationPath(1), example("left01.ort"));
  EXPECT_EQ(form->OrientationPath(2), example("right01.ort"));
  EXPECT_EQ(form->CameraPath(1), example("left01.cam"));
  EXPECT_EQ(form->CameraPath(2), example("right01.cam"));
  const char* shown[][2] = {{"Edit7", "left01.bmp"},  {"Edit6", "right01.bmp"}, {"Edit4", "left01.ort"},
                            {"Edit5", "right01.ort"}, {"Edit8", "left01.cam"},  {"Edit9", "right01.cam"}};
  for (const auto& [field, name] : shown) EXPECT_EQ(Field(field)->text(), name) << field;
  EXPECT_NE(form->Pane(1).Photo(), nullptr);
  EXPECT_NE(form->Pane(2).Photo(), nullptr);
  EXPECT_TRUE(BuildMenuEnabled());
  EXPECT_TRUE(boxes.Boxes.empty());
  // The paths stay good when the current folder moves on.
  QDir::setCurrent(QDir::tempPath());
  EXPECT_NE(Build("AnaglyphOnSecondItem"), nullptr);
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(OrientationWorkspaceTest, AnInputSetPhotographThatCannotBeLoadedLeavesItsRowEmpty) {
  LoadExample();
  test::TempDir dir;
  const std::string project =
      dir.Write("broken.prt", "[Images]\r\nImage1=" + (Chessboard() / "right01.bmp").string() +
                                  "\r\nImage2=missing.bmp\r\n[ExternalOrientation]\r\nImage1ExOrientation=a.ort\r\n"
                                  "Image2ExOrientation=b.ort\r\n[InternalOrientation]\r\nImage1IntOrientation=a.cam\r\n"
                                  "Image2IntOrientation=b.cam\r\n");
  LoadProject(project);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Caption, "Ошибка!");
  // The photograph that failed is named under the message.
  EXPECT_EQ(boxes.Boxes[0].Text, QString::fromStdString("Ошибка чтения файла входных данных!\nФайл " +
                                                        dir.File("missing.bmp") + " не найден!"));
  EXPECT_EQ(boxes.Boxes[0].Icon, MessageIcon::Error);
  // Every field shows the path it holds; the photograph that failed leaves
  // its field and its pane empty, so nothing builds from the old picture.
  EXPECT_EQ(Field("Edit7")->text(), "right01.bmp");
  EXPECT_NE(form->Pane(1).Photo(), nullptr);
  EXPECT_EQ(Field("Edit6")->text(), "");
  EXPECT_EQ(form->PhotoPath(2), "");
  EXPECT_EQ(form->Pane(2).Photo(), nullptr);
  EXPECT_EQ(Field("Edit4")->text(), "a.ort");
  EXPECT_EQ(form->OrientationPath(1), dir.File("a.ort"));
  EXPECT_EQ(Field("Edit9")->text(), "b.cam");
  EXPECT_EQ(form->CameraPath(2), dir.File("b.cam"));
  EXPECT_FALSE(BuildMenuEnabled());

  // A project that names nothing: both rows empty.
  boxes.Boxes.clear();
  LoadProject(dir.Write("empty.prt", ""));
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, "Ошибка чтения файла входных данных!\nСнимок не указан.");
  EXPECT_EQ(form->PhotoPath(1), "");
  EXPECT_EQ(form->Pane(1).Photo(), nullptr);
}

TEST_F(OrientationWorkspaceTest, AProjectThatCannotBeReadKeepsTheInputSetAndItStillBuilds) {
  LoadExample();
  test::TempDir dir;
  const std::string folder = dir.File("folder.prt");
  std::filesystem::create_directory(folder);
  struct Case {
    const char* name;
    std::string project;
  } cases[] = {
      {"a folder", folder},
      {"a file that vanished", dir.File("gone.prt")},
  };
  for (const Case& c : cases) {
    boxes.Boxes.clear();
    LoadProject(c.project);
    ASSERT_EQ(boxes.Boxes.size(), 1u) << c.name;
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith("Ошибка чтения файла проекта!")) << c.name;
    EXPECT_EQ(form->OrientationPath(1), (Chessboard() / "left01.ort").string()) << c.name;
    EXPECT_EQ(form->CameraPath(2), (Chessboard() / "right01.cam").string()) << c.name;
    EXPECT_EQ(Field("Edit4")->text(), "left01.ort") << c.name;
    boxes.Boxes.clear();
    EXPECT_NE(Build("AnaglyphOnSecondItem"), nullptr) << c.name;
    EXPECT_TRUE(boxes.Boxes.empty()) << c.name << ": " << boxes.Texts().join("; ").toStdString();
    EXPECT_EQ(ended.back(), RenderStatus::Completed) << c.name;
  }
}

TEST_F(OrientationWorkspaceTest, DroppedFilesAreTakenByTheirKindIntoTheRowTheyAreDroppedOn) {
  ExampleSet set;
  ShowForm();
  const auto drop = [this](const std::vector<std::string>& paths, QWidget* on) {
    QList<QUrl> urls;
    for (const std::string& path : paths) urls << QUrl::fromLocalFile(Q(path));
    auto* data = new QMimeData;
    data->setUrls(urls);
    const QPointF at = on->mapTo(form.get(), QPoint(on->width() / 2, on->height() / 2));
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropEvent(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &dropEvent);
    delete data;
  };
  // Two photographs: in their order, each with its companion.
  drop({set.File("left01.bmp"), set.File("right01.bmp")}, &form->Pane(2));
  EXPECT_EQ(form->PhotoPath(1), set.File("left01.bmp"));
  EXPECT_EQ(form->PhotoPath(2), set.File("right01.bmp"));
  EXPECT_EQ(form->OrientationPath(2), set.File("right01.ort"));
  // One file goes to the row under the pointer: the right pane or the
  // header's second row.
  drop({set.File("right01.cam")}, &form->Pane(2));
  EXPECT_EQ(form->CameraPath(2), set.File("right01.cam"));
  EXPECT_EQ(form->CameraPath(1), "");
  drop({set.File("left01.cam")}, Field("Edit5"));
  EXPECT_EQ(form->CameraPath(2), set.File("left01.cam"));
  drop({set.File("left01.cam"), set.File("notes.txt")}, &form->Pane(1));
  EXPECT_EQ(form->CameraPath(1), set.File("left01.cam"));
  EXPECT_EQ(Field("Edit8")->text(), "left01.cam");
  // A photograph and a shooting geometry dropped together stay together,
  // whatever their companions say.
  drop({set.File("left01.ort"), set.File("right01.bmp")}, Field("Edit7"));
  EXPECT_EQ(form->PhotoPath(1), set.File("right01.bmp"));
  EXPECT_EQ(form->OrientationPath(1), set.File("left01.ort"));
  EXPECT_TRUE(boxes.Boxes.empty());

  // A project loads its input set.
  drop({(Chessboard() / "chessboard_orientation.prt").string()}, &form->Pane(1));
  EXPECT_EQ(form->CameraPath(2), (Chessboard() / "right01.cam").string());
  EXPECT_EQ(Field("Edit9")->text(), "right01.cam");

  // Nothing a workspace takes: refused.
  auto* data = new QMimeData;
  data->setUrls({QUrl::fromLocalFile(Q(set.File("notes.txt")))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &enter);
  EXPECT_FALSE(enter.isAccepted());
  delete data;
}

TEST_F(OrientationWorkspaceTest, TheBuildAreaCanBeDrawnOnBothPhotographs) {
  LoadExample();
  EXPECT_TRUE(form->Pane(1).Outline().Corners.empty());
  Item("ShowBuildAreaItem")->trigger();
  QTest::qWait(0);

  // Before the dialog was accepted, the area it offers at first.
  const auto expected = [this](int row, CoordinateConvention convention, double x0, double x1, double y0, double y1) {
    OrientationInputs inputs;
    EXPECT_FALSE(ReadOrientationInputs(
        {form->CameraPath(1), form->OrientationPath(1), form->CameraPath(2), form->OrientationPath(2)}, inputs,
        NumberFormat::Dot()));
    const auto corners =
        row == 1
            ? SceneRectangleOnPhoto(convention, inputs.Camera1, inputs.Shooting1, x0, x1, y0, y1, NumberFormat::Dot())
            : SceneRectangleOnPhoto(convention, inputs.Camera2, inputs.Shooting2, x0, x1, y0, y1, NumberFormat::Dot());
    std::vector<QPointF> points;
    if (corners)
      for (const PhotoPosition& p : *corners) points.emplace_back(p.Column, p.Row);
    return points;
  };
  const auto mathematical = CoordinateConvention::Mathematical;
  ASSERT_EQ(form->Pane(1).Outline().Corners.size(), 4u);
  EXPECT_EQ(form->Pane(1).Outline().Corners, expected(1, mathematical, -100, 600, -100, 500));
  EXPECT_EQ(form->Pane(2).Outline().Corners, expected(2, mathematical, -100, 600, -100, 500));

  // Another convention and an accepted area are drawn at once.
  Item("LaboratoryItem")->trigger();
  QTest::qWait(0);
  EXPECT_EQ(form->Pane(2).Outline().Corners, expected(2, CoordinateConvention::Laboratory, -100, 600, -100, 500));
  areaAnswers.Add([](TObjForm& d) {
    d.findChild<QLineEdit*>("Edit1")->setText("0");
    d.findChild<QLineEdit*>("Edit5")->setText("200");
    d.findChild<QLineEdit*>("Edit2")->setText("-150");
    d.findChild<QLineEdit*>("Edit4")->setText("0");
    BuildAreaAnswers::Press(d, "OKButton");
  });
  Build("AnaglyphOnSceneItem");
  EXPECT_EQ(form->Pane(1).Outline().Corners, expected(1, CoordinateConvention::Laboratory, 0, 200, -150, 0));

  // A file that cannot be read draws nothing, and says nothing.
  Field("Edit8")->selectAll();
  QTest::keyClicks(Field("Edit8"), "missing.cam");
  QTest::qWait(0);
  EXPECT_TRUE(form->Pane(1).Outline().Corners.empty());
  EXPECT_TRUE(boxes.Boxes.empty());
  Field("Edit8")->selectAll();
  QTest::keyClicks(Field("Edit8"), "left01.cam");
  QTest::qWait(0);
  EXPECT_EQ(form->Pane(1).Outline().Corners.size(), 4u);

  Item("ShowBuildAreaItem")->trigger();
  EXPECT_TRUE(form->Pane(1).Outline().Corners.empty());
  EXPECT_TRUE(form->Pane(2).Outline().Corners.empty());
}

// The shipped example, every build command in every convention, with and
// without interpolation: bit for bit what vesk-cli renders from the project.
TEST_F(OrientationWorkspaceTest, EveryBuildOfTheExampleIsWhatVeskCliRenders) {
  LoadExample();
  ASSERT_TRUE(boxes.Boxes.empty());
  ShowForm();
  QTest::keyClick(Field("Edit7"), Qt::Key_J, Qt::ControlModifier);
  test::TempDir out;
  const std::pair<const char*, const char*> conventions[] = {{"MathematicalItem", "mathematical"},
                                                             {"PhotogrammetricItem", "photogrammetric"},
                                                             {"LaboratoryItem", "laboratory"}};
  const std::pair<const char*, const char*> interpolations[] = {{"WithInterpolationItem", "on"},
                                                                {"WithoutInterpolationItem", "off"}};
  const char* items[] = {"FirstToSecondItem",    "SecondToFirstItem",   "FirstToPlanItem",    "SecondToPlanItem",
                         "AnaglyphOnSecondItem", "AnaglyphOnFirstItem", "AnaglyphOnSceneItem"};
  int builds = 0;
  for (const auto& [conventionItem, convention] : conventions) {
    Item(conventionItem)->trigger();
    for (const auto& [interpolationItem, interpolation] : interpolations) {
      Item(interpolationItem)->trigger();
      for (std::size_t i = 0; i < std::size(items); ++i) {
        const std::string what = std::string(convention) + " " + interpolation + " " + items[i];
        const BuildCommandInfo& info = BuildCommands()[i];
        const BuildMode mode = ModeFor(info.Command, std::string(interpolation) == "on");
        if (mode >= BuildMode::FirstToPlanInterpolated) areaAnswers.Add(BuildAreaAnswers::Ok());
        const gui::VisualThread* job = Build(items[i]);
        ASSERT_NE(job, nullptr) << what;
        EXPECT_EQ(requests.back().Mode, mode) << what;
        ASSERT_EQ(ended.back(), RenderStatus::Completed) << what;
        gui::TForm2* viewer = LastViewer();
        ASSERT_NE(viewer, nullptr) << what;
        ASSERT_NE(viewer->ResultBitmap(), nullptr) << what;

        const std::string file = out.File("cli" + std::to_string(builds++) + ".bmp");
        const test::CliRun run =
            test::RunVeskCli({"render", "--project", (Chessboard() / "chessboard_orientation.prt").string(), "--by",
                              "orientation", "--convention", convention, "--build", info.Name, "--interpolation",
                              interpolation, "--decimal-separator", ".", "-o", file});
        ASSERT_EQ(run.Status, 0) << what << ": " << run.Err;
        const std::optional<RgbImage> cli = qt::LoadImage(file);
        ASSERT_TRUE(cli.has_value()) << what;
        EXPECT_TRUE(*viewer->ResultBitmap() == *cli) << what;
        // The forward walks onto the plan put the scene's few units at
        // their pixel positions: a small part of the result.
        const bool forwardToPlan =
            mode == BuildMode::FirstToPlan || mode == BuildMode::SecondToPlan || mode == BuildMode::AnaglyphOnScene;
        EXPECT_GT(PhotographPixels(*cli), forwardToPlan ? 100 : cli->Width() * cli->Height() / 10)
            << what << ": a real result";
        // Results stay open side by side; this one is not needed any more.
        delete viewer;
      }
    }
  }
  EXPECT_EQ(builds, 42);
  EXPECT_TRUE(boxes.Boxes.empty());
}

}  // namespace
}  // namespace vesk

namespace vesk {
namespace {

TEST_F(OrientationWorkspaceTest, TheAnaglyphMenuChoosesTheColoursOfEveryAnaglyphBuild) {
  const QMenu* menu = form->findChild<QMenu*>("AnaglyphMenu");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->title(), "Анаглиф");
  // Right after "Построить".
  const QList<QAction*> menus = form->menuBar()->actions();
  const auto at = std::find(menus.begin(), menus.end(), menu->menuAction());
  ASSERT_NE(at, menus.begin());
  EXPECT_EQ(*(at - 1), BuildMenu()->menuAction());
  QStringList texts;
  for (const QAction* item : menu->actions())
    if (!item->isSeparator()) texts << item->text();
  EXPECT_EQ(texts, (QStringList{"Красно-зелёный", "Красно-синий", "Красно-голубой", "Красно-голубой цветной",
                                "Красно-голубой полуцветной", "Красно-голубой оптимизированный", "Поменять местами"}));
  EXPECT_TRUE(Item("Anaglyph_red-green")->isChecked());

  LoadExample();
  ShowForm();
  Item("Anaglyph_red-cyan-optimised")->trigger();
  Item("SwapEyes")->trigger();
  EXPECT_FALSE(Item("Anaglyph_red-green")->isChecked());
  test::TempDir out;
  for (const auto& [item, build] :
       {std::pair{"AnaglyphOnFirstItem", "anaglyph-first"}, std::pair{"AnaglyphOnSecondItem", "anaglyph-second"}}) {
    ASSERT_NE(Build(item), nullptr) << build;
    ASSERT_EQ(ended.back(), RenderStatus::Completed) << build;
    EXPECT_EQ(requests.back().Anaglyph.Method, AnaglyphMethod::RedCyanOptimised);
    EXPECT_TRUE(requests.back().Anaglyph.SwapEyes);
    const std::string file = out.File(std::string(build) + ".bmp");
    const test::CliRun run = test::RunVeskCli(
        {"render", "--project", (Chessboard() / "chessboard_orientation.prt").string(), "--by", "orientation",
         "--build", build, "--anaglyph", "red-cyan-optimised", "--swap-eyes", "--decimal-separator", ".", "-o", file});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(*LastViewer()->ResultBitmap() == *qt::LoadImage(file)) << build;
  }
}

}  // namespace
}  // namespace vesk
