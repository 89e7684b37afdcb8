#pragma once

class QLineEdit;

namespace vesk::gui {

// A disabled field takes the button-face colour instead of the window
// background, so that it reads as not available at a glance.
void KeepDisabledFieldsButtonFaced(QLineEdit& field);

// A field the program writes and the user only reads: bold, read-only.
void MakeReadOnlyBold(QLineEdit& field);

}  // namespace vesk::gui
