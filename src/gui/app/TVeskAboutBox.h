#pragma once

#include <QDialog>

namespace vesk::gui {

// "О программе": the program's name, version and picture.
class TVeskAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TVeskAboutBox(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
};

// "Version 1.0.0": the project's version.
QString VersionText();

}  // namespace vesk::gui
