#pragma once

#include <QMainWindow>
#include <QSize>

#include "build/BuildFailure.h"
#include "gui/common/GuiContext.h"
#include "gui/settings/BuildAreaFields.h"
#include "gui/workspace/SharedDialogs.h"

class QMenu;

namespace vesk::gui {

class WorkspaceStatusBar;

// The manual's pages of the two workspaces (see gui/help/Manual.h).
inline constexpr const char* kReferencePointsManualPage = "refpoints.html";
inline constexpr const char* kOrientationManualPage = "orientation.html";

// What both workspaces share as windows: a main window that opens centred at
// its design size, hides when closed (keeping its state), binds the
// build-area dialog to its own build area whenever it is shown, and has the
// status bar of its builds at the bottom and the help menu at the right.
class WorkspaceWindow : public QMainWindow {
  Q_OBJECT

 public:
  WorkspaceWindow(const GuiContext& context, const SharedDialogs& dialogs, QSize designSize, QWidget* parent = nullptr);

  // AreaXMin, AreaXMax, AreaYMin, AreaYMax, AreaStep, AutoStep and
  // AreaCancelled of this workspace.
  BuildAreaFields& BuildArea() { return area_; }
  WorkspaceStatusBar& StatusBar() { return *statusBar_; }

  // Makes this workspace the build-area dialog's target. Done on every
  // show, and whenever the window becomes the active one: with both
  // workspaces open, the dialog must write into the one the user builds in,
  // not into the one opened last.
  void BindBuildArea();

 protected:
  // "Помощь" with "Справка" (F1), which opens the manual at the
  // workspace's own page, and "О программе"; a workspace adds it after its
  // own menus.
  QMenu* AddHelpMenu(const char* manualPage);

  // What a build that ended before its job tells the user: its message box
  // owned by `owner` (null: no owner window), the standard error box, or
  // nothing when the user stopped it.
  void ShowBuildFailure(const BuildFailure& failure, QWidget* owner);
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;

  const GuiContext& context_;
  const SharedDialogs& dialogs_;

 private:
  void FormShow();

  BuildAreaFields area_;
  WorkspaceStatusBar* statusBar_;
  bool placed_ = false;
};

}  // namespace vesk::gui
