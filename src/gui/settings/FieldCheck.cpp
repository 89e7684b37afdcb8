#include "gui/settings/FieldCheck.h"

#include <QApplication>
#include <QLineEdit>
#include <QPalette>

#include "common/UserDialogs.h"
#include "gui/common/MessageBoxes.h"

namespace vesk::gui {
namespace {

const char* kInvalidProperty = "veskInvalid";
const QColor kInvalidBase(255, 190, 190);

void Paint(QLineEdit& field, bool invalid) {
  QPalette palette = field.palette();
  const QPalette normal = QApplication::palette(&field);
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
    palette.setColor(group, QPalette::Base, invalid ? kInvalidBase : normal.color(group, QPalette::Base));
  field.setPalette(palette);
  field.setProperty(kInvalidProperty, invalid);
}

}  // namespace

void FieldCheck::Watch(QLineEdit& field) {
  QObject::connect(&field, &QLineEdit::textChanged, &field, [&field] {
    if (MarkedInvalid(field)) Paint(field, false);
  });
}

bool FieldCheck::MarkedInvalid(const QLineEdit& field) { return field.property(kInvalidProperty).toBool(); }

std::optional<double> FieldCheck::Number(QLineEdit& field, const QString& name) {
  const QString text = field.text();
  if (const std::optional<double> value = TryParseNumber(text.toStdString(), format_)) return value;
  QString reason;
  if (text.trimmed().isEmpty()) {
    reason = QStringLiteral("Поле «%1» не заполнено.").arg(name);
  } else {
    reason = QStringLiteral("Поле «%1»: «%2» — не число.").arg(name, text);
    reason += format_.DecimalSeparator == ',' ? QStringLiteral("\nДробная часть отделяется запятой.")
                                              : QStringLiteral("\nДробная часть отделяется точкой.");
  }
  Refuse({&field}, reason);
  return std::nullopt;
}

void FieldCheck::Refuse(const std::vector<QLineEdit*>& fields, const QString& reason) {
  for (QLineEdit* field : fields) Paint(*field, true);
  if (Failed()) return;  // the first reason is the one told
  reason_ = reason;
  if (!fields.empty()) first_ = fields.front();
}

bool FieldCheck::Report(QWidget& dialog, MessageBoxes& boxes, const QString& firstLine) const {
  if (!Failed()) return true;
  boxes.Show(&dialog, MessageIcon::Error, QString::fromUtf8(kErrorCaption),
             firstLine.isEmpty() ? reason_ : firstLine + "\n" + reason_);
  if (first_ != nullptr) {
    first_->setFocus();
    first_->selectAll();
  }
  return false;
}

}  // namespace vesk::gui
