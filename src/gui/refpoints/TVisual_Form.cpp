#include "gui/refpoints/TVisual_Form.h"

namespace vesk::gui {

TVisual_Form::TVisual_Form(const GuiContext& context, const SharedDialogs& dialogs, QWidget* parent)
    : WorkspaceWindow(context, dialogs, QSize(968, 634), parent) {
  setObjectName(QStringLiteral("Visual_Form"));
  setWindowTitle(QString::fromUtf8(kReferencePointWorkspaceTitle));
  setCentralWidget(new QWidget(this));
  AddHelpMenu();
}

}  // namespace vesk::gui
