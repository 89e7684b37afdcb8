#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "build/BuildCommands.h"
#include "gui/common/QuitQuestions.h"
#include "gui/refpoints/TVisual_Form.h"
#include "gui/render/RenderJobs.h"
#include "gui/render/TForm2.h"
#include "gui/settings/TObjForm.h"
#include "gui/settings/TVisualNForm.h"
#include "gui/workspace/RenderJobControl.h"
#include "gui/workspace/WorkspaceStatusBar.h"
#include "support/EventLoop.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

// Readable failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace vesk::test {

// Answers the modal dialogs that open while it lives, in order: each takes
// the next action; one beyond the actions is rejected. Counts them.
class ModalAnswers {
 public:
  using Action = std::function<void(QDialog&)>;
  explicit ModalAnswers(std::vector<Action> actions = {}) : actions_(std::move(actions)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }

  int Opened() const { return opened_; }

  static Action Click(const char* button) {
    return [button](QDialog& dialog) {
      QPushButton* b = dialog.findChild<QPushButton*>(button);
      ASSERT_NE(b, nullptr) << button;
      b->click();
    };
  }

 private:
  void Poll() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || dialog == handled_) return;
    // The same dialog may open again at once: it counts anew once closed.
    handled_ = dialog;
    QObject::connect(
        dialog, &QDialog::finished, &timer_, [this] { handled_ = nullptr; }, Qt::SingleShotConnection);
    const std::size_t index = static_cast<std::size_t>(opened_++);
    if (index < actions_.size())
      actions_[index](*dialog);
    else
      dialog->reject();
  }

  std::vector<Action> actions_;
  QTimer timer_;
  QPointer<QWidget> handled_;
  int opened_ = 0;
};

// A reference-point workspace with its dialogs, the application's rendering
// jobs, scripted file dialogs and recorded message boxes, and a temporary
// folder holding copies of example files.
class WorkspaceFixture : public testing::Test {
 public:
  WorkspaceFixture() {
    context.Jobs = &jobs;
    context.Quit = &quit;
    dialogs.Settings = &settings;
    dialogs.BuildArea = &area;
    dialogs.About = &about;
    window = std::make_unique<gui::TVisual_Form>(context, dialogs);
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  ~WorkspaceFixture() override {
    window.reset();
    QDir::setCurrent(startFolder);
  }

  QLineEdit* Edit(const char* name) { return window->findChild<QLineEdit*>(name); }
  QPushButton* Button(const char* name) { return window->findChild<QPushButton*>(name); }
  QAction* Action(const char* name) { return window->findChild<QAction*>(name); }
  QString Text(const char* field) { return Edit(field)->text(); }
  // Types `text` over the field's whole text, key by key (an empty text
  // deletes it).
  void Type(const char* field, const QString& text) {
    QLineEdit* edit = Edit(field);
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
      QTest::keyClick(edit, Qt::Key_Delete);
    else
      QTest::keyClicks(edit, text);
  }
  // The window active again, as the window system makes it once a modal
  // dialog over it has closed (its window-wide keys need that).
  void Reactivate() {
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  // A copy of an example file in the temporary folder (under `as` when given).
  std::string Example(const char* set, const char* name, const char* as = nullptr) {
    const std::filesystem::path target = dir.Path() / (as != nullptr ? as : name);
    std::filesystem::copy_file(ExamplesDir() / set / name, target, std::filesystem::copy_options::overwrite_existing);
    return target.string();
  }
  // The chessboard's eight-point input set, copied, with its project file.
  std::string ChessboardSet8() {
    Example("chessboard", "left01.bmp");
    Example("chessboard", "right01.bmp");
    Example("chessboard", "left01_8.crd");
    Example("chessboard", "right01_8.crd");
    Example("chessboard", "scene_8.crd");
    return Example("chessboard", "chessboard_points8.prt");
  }
  void LoadProject(const std::string& project) {
    files.Answer(QString::fromStdString(project));
    Action("LoadInputSet")->trigger();
  }

  gui::RenderJobControl& Control() { return window->Jobs(); }
  gui::WorkspaceStatusBar& Status() { return window->StatusBar(); }
  bool BuildMenuEnabled() { return window->BuildMenu().menuAction()->isEnabled(); }
  // Starts a build from the menu as the user would: only an enabled item of
  // an enabled menu.
  void Build(BuildCommand command) {
    ASSERT_TRUE(BuildMenuEnabled());
    ASSERT_TRUE(window->BuildItem(command).isEnabled());
    window->BuildItem(command).trigger();
  }
  // Until no fit and no job of the application runs.
  bool WaitForQuiet() {
    return SpinUntil([this] { return !window->Fitting() && jobs.Count() == 0; });
  }
  std::vector<gui::TForm2*> ShownViewers() {
    std::vector<gui::TForm2*> shown;
    for (gui::TForm2* viewer : jobs.Viewers().Existing())
      if (viewer->isVisible()) shown.push_back(viewer);
    return shown;
  }

  QString startFolder = QDir::currentPath();
  TempDir dir;
  ScriptedFileDialogs files;
  RecordingMessageBoxes boxes;
  std::vector<QString> helpOpened;
  gui::GuiContext context{files, boxes, NumberFormat::Dot(),
                          [this](const QString& path) { helpOpened.push_back(path); }, 0};
  gui::RenderJobs jobs{context};
  gui::QuitQuestions quit;
  gui::TVisualNForm settings{context};
  gui::TObjForm area{context};
  QDialog about;
  gui::SharedDialogs dialogs;
  std::unique_ptr<gui::TVisual_Form> window;
};

}  // namespace vesk::test
