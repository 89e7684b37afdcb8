#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "gui/common/GuiContext.h"
#include "gui/common/QuitQuestions.h"
#include "gui/workspace/SharedDialogs.h"

namespace vesk::gui {

class RenderJobs;
class TMainVisForm;
class TObjForm;
class TVeskAboutBox;
class TVisual2_Form;
class TVisualNForm;
class TVisual_Form;
class VeskSettings;

// The program's long-lived windows and its rendering jobs. Made at start-up
// in this order: the mode-selection window (the main window), the
// reference-point workspace, its settings dialog, the build-area dialog, the
// orientation workspace and the about box. All live until the program ends;
// only the mode-selection window is shown.
class VeskWindows {
 public:
  // Takes `context.Format` for the system's decimal separator and makes it
  // follow the user's settings, set as `context.Settings`. Sets
  // `context.Jobs` to the application's rendering jobs and
  // `context.Quit` to the questions the mode-selection window asks before
  // the program ends: running builds and unsaved results first, then each
  // window's own.
  explicit VeskWindows(GuiContext& context);
  ~VeskWindows();
  VeskWindows(const VeskWindows&) = delete;
  VeskWindows& operator=(const VeskWindows&) = delete;

  // Shows the mode-selection window.
  void Show();

  TMainVisForm& Main() { return *main_; }
  TVisual_Form& ReferencePointWorkspace() { return *referencePoints_; }
  TVisualNForm& Settings() { return *settings_; }
  TObjForm& BuildArea() { return *buildArea_; }
  TVisual2_Form& OrientationWorkspace() { return *orientation_; }
  TVeskAboutBox& About() { return *about_; }
  RenderJobs& Jobs() { return *jobs_; }
  VeskSettings& UserSettings() { return *userSettings_; }

  // The six windows in the order they were made.
  const std::vector<QWidget*>& CreationOrder() const { return order_; }

 private:
  GuiContext& context_;
  std::unique_ptr<VeskSettings> userSettings_;
  QuitQuestions quit_;
  std::unique_ptr<RenderJobs> jobs_;
  SharedDialogs dialogs_;
  std::unique_ptr<TMainVisForm> main_;
  std::unique_ptr<TVisual_Form> referencePoints_;
  std::unique_ptr<TVisualNForm> settings_;
  std::unique_ptr<TObjForm> buildArea_;
  std::unique_ptr<TVisual2_Form> orientation_;
  std::unique_ptr<TVeskAboutBox> about_;
  std::vector<QWidget*> order_;
};

}  // namespace vesk::gui
