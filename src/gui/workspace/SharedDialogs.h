#pragma once

class QDialog;

namespace vesk::gui {

class TObjForm;
class TVisualNForm;

// The long-lived dialogs the workspaces use. Start-up makes them after the
// reference-point workspace, so a workspace holds this and finds them
// filled in by the time the user can reach them.
struct SharedDialogs {
  TVisualNForm* Settings = nullptr;  // of the reference-point workspace
  TObjForm* BuildArea = nullptr;     // shared: bound by the workspace shown last
  QDialog* About = nullptr;          // "О программе"
};

}  // namespace vesk::gui
