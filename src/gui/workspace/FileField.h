#pragma once

#include <QObject>
#include <QString>
#include <string>

class QLineEdit;
class QPushButton;
class QWidget;

namespace vesk::gui {

// One file field of a workspace: the path is held whole, the field shows its
// bare name, and a "..." button stands beside it. The field reports what the
// user does with it; the workspace decides what follows (choosing a file,
// the folder-relative typing rule, the table editor).
class FileField : public QObject {
  Q_OBJECT

 public:
  // The edit and the button get the given object names ("Edit9", "Button7").
  FileField(const QString& editName, const QString& buttonName, QWidget* parent);

  QLineEdit* Edit() const { return edit_; }
  QPushButton* Button() const { return button_; }

  const std::string& Path() const { return path_; }
  // Holds `path` and shows its bare name.
  void SetPath(std::string path);
  // Holds `path` without touching what the field shows (a typed name is
  // kept as typed).
  void HoldPath(std::string path) { path_ = std::move(path); }
  // The path the field's text names now: empty for an empty field, else the
  // text taken relative to the folder of the path held.
  std::string TypedPath() const;
  bool Empty() const;

 signals:
  void ButtonClicked();
  void EnterPressed();
  void KeyReleased();
  void DoubleClicked();
  void TextChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* edit_;
  QPushButton* button_;
  std::string path_;
};

}  // namespace vesk::gui
