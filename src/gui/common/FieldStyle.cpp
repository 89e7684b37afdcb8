#include "gui/common/FieldStyle.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

namespace vesk::gui {

void KeepDisabledFieldsButtonFaced(QLineEdit& field) {
  QPalette palette = field.palette();
  palette.setColor(QPalette::Disabled, QPalette::Base, palette.color(QPalette::Active, QPalette::Button));
  field.setPalette(palette);
}

void MakeReadOnlyBold(QLineEdit& field) {
  field.setReadOnly(true);
  QFont font = field.font();
  font.setBold(true);
  field.setFont(font);
}

QLabel* NamedLabel(const char* name, const char* text, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

}  // namespace vesk::gui
