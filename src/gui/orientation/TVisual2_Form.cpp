#include "gui/orientation/TVisual2_Form.h"

namespace vesk::gui {

TVisual2_Form::TVisual2_Form(const GuiContext& context, const SharedDialogs& dialogs, QWidget* parent)
    : WorkspaceWindow(context, dialogs, QSize(865, 609), parent) {
  setObjectName(QStringLiteral("Visual2_Form"));
  setWindowTitle(QString::fromUtf8(kOrientationWorkspaceTitle));
  setMinimumSize(450, 300);
  setCentralWidget(new QWidget(this));
  AddHelpMenu();
}

}  // namespace vesk::gui
