#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "files/NumberFormat.h"

class QLineEdit;
class QWidget;

namespace vesk::gui {

class MessageBoxes;

// The one rule both dialogs check their fields by. A field that is refused
// turns red until the user changes it, the message names the field as its
// label reads, and the dialog stays open with everything the user typed, so
// that only the wrong part has to be typed again.
class FieldCheck {
 public:
  explicit FieldCheck(const NumberFormat& format) : format_(format) {}

  // Every field's red mark goes as soon as its text changes.
  static void Watch(QLineEdit& field);
  static bool MarkedInvalid(const QLineEdit& field);

  // The field's number; at a text that is not one, the field is refused
  // (with the decimal separator named, the usual slip).
  std::optional<double> Number(QLineEdit& field, const QString& name);
  // Refuses `fields` (the first one named in the text) for `reason`.
  void Refuse(const std::vector<QLineEdit*>& fields, const QString& reason);

  bool Failed() const { return !reason_.isEmpty(); }
  // Nothing when every field passed; otherwise the message box, owned by
  // `dialog` ("Ошибка!", `firstLine` above the reason when given), and the
  // first refused field gets the focus with its text selected. False then.
  bool Report(QWidget& dialog, MessageBoxes& boxes, const QString& firstLine = {}) const;

 private:
  NumberFormat format_;
  QString reason_;
  QLineEdit* first_ = nullptr;
};

}  // namespace vesk::gui
