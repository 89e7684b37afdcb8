#pragma once

#include "gui/workspace/WorkspaceWindow.h"

namespace vesk::gui {

inline constexpr const char* kOrientationWorkspaceTitle = "Построение стереоизображений по ориентации";

// The orientation workspace: two photographs with their calibration and
// shooting-geometry files, builds from the orientation.
class TVisual2_Form : public WorkspaceWindow {
  Q_OBJECT

 public:
  TVisual2_Form(const GuiContext& context, const SharedDialogs& dialogs, QWidget* parent = nullptr);
};

}  // namespace vesk::gui
