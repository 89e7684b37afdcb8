#include "gui/workspace/WorkspaceWindow.h"

#include <QAction>
#include <QDialog>
#include <QKeySequence>
#include <QMenuBar>
#include <QShowEvent>
#include <QStatusBar>

#include "gui/common/WindowPlacement.h"
#include "gui/settings/TObjForm.h"
#include "gui/workspace/WorkspaceStatusBar.h"

namespace vesk::gui {

WorkspaceWindow::WorkspaceWindow(const GuiContext& context, const SharedDialogs& dialogs, QSize designSize,
                                 QWidget* parent)
    : QMainWindow(parent), context_(context), dialogs_(dialogs) {
  resize(designSize);
  statusBar_ = new WorkspaceStatusBar(this);
  // The status strip spans the window's width and stays when a menu item's
  // tip is shown; no size grip is needed in a window with its own edges.
  statusBar()->setSizeGripEnabled(false);
  statusBar()->addPermanentWidget(statusBar_, 1);
}

QMenu* WorkspaceWindow::AddHelpMenu(const char* manualPage) {
  QMenu* help = menuBar()->addMenu(QStringLiteral("Помощь"));
  help->setObjectName(QStringLiteral("HelpMenu"));
  QAction* contents = help->addAction(QStringLiteral("Справка"));
  contents->setObjectName(QStringLiteral("HelpContents"));
  contents->setShortcut(QKeySequence::HelpContents);
  contents->setShortcutContext(Qt::WindowShortcut);
  connect(contents, &QAction::triggered, this, [this, manualPage] {
    if (context_.OpenHelp) context_.OpenHelp(QString::fromLatin1(manualPage));
  });
  QAction* about = help->addAction(QStringLiteral("О программе"));
  about->setObjectName(QStringLiteral("HelpAbout"));
  connect(about, &QAction::triggered, this, [this] {
    if (dialogs_.About != nullptr) dialogs_.About->exec();
  });
  return help;
}

void WorkspaceWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

bool WorkspaceWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) BindBuildArea();
  return QMainWindow::event(event);
}

void WorkspaceWindow::FormShow() {
  if (!placed_) {
    placed_ = true;
    CentreOnScreen(*this);
  }
  BindBuildArea();
}

void WorkspaceWindow::BindBuildArea() {
  if (dialogs_.BuildArea != nullptr) dialogs_.BuildArea->SetBuildAreaTarget(&area_);
}

void WorkspaceWindow::ShowBuildFailure(const BuildFailure& failure, QWidget* owner) {
  switch (failure.How) {
    case BuildFailure::Kind::Message:
      context_.Messages.Show(owner, failure.Message.Icon, QString::fromStdString(failure.Message.Caption),
                             QString::fromStdString(failure.Message.Text));
      break;
    case BuildFailure::Kind::StandardError:
      ShowStandardError(context_.Messages, QString::fromStdString(failure.Message.Text));
      break;
    case BuildFailure::Kind::Cancelled:
      break;
  }
}

}  // namespace vesk::gui
