#pragma once

class QLabel;
class QLineEdit;
class QWidget;

namespace vesk::gui {

// A disabled field takes the button-face colour instead of the window
// background, so that it reads as not available at a glance.
void KeepDisabledFieldsButtonFaced(QLineEdit& field);

// A field the program writes and the user only reads: bold, read-only.
void MakeReadOnlyBold(QLineEdit& field);

// A label with its text and its object name (the name tests find it by).
QLabel* NamedLabel(const char* name, const char* text, QWidget* parent);

}  // namespace vesk::gui
