#pragma once

#include "estimation/BuildFit.h"
#include "gui/workspace/WorkspaceWindow.h"

namespace vesk::gui {

inline constexpr const char* kReferencePointWorkspaceTitle = "Построение стереоизображений по реперным точкам";

// The reference-point workspace: two photographs and three coordinate files,
// builds by reference points.
class TVisual_Form : public WorkspaceWindow {
  Q_OBJECT

 public:
  TVisual_Form(const GuiContext& context, const SharedDialogs& dialogs, QWidget* parent = nullptr);

  // SigmaCount, MinAngle and MinDistance, edited in the settings dialog.
  StatisticalSettings& Settings() { return settings_; }

 private:
  StatisticalSettings settings_;
};

}  // namespace vesk::gui
