#include "gui/workspace/FileField.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "files/PathNames.h"
#include "qt/ImageFiles.h"

namespace vesk::gui {

FileField::FileField(const QString& editName, const QString& buttonName, QWidget* parent)
    : QObject(parent), edit_(new QLineEdit(parent)), button_(new QPushButton(QStringLiteral("..."), parent)) {
  edit_->setObjectName(editName);
  button_->setObjectName(buttonName);
  button_->setFocusPolicy(Qt::NoFocus);
  edit_->installEventFilter(this);
  connect(button_, &QPushButton::clicked, this, &FileField::ButtonClicked);
  connect(edit_, &QLineEdit::textChanged, this, &FileField::TextChanged);
}

void FileField::SetPath(std::string path) {
  path_ = std::move(path);
  edit_->setText(qt::FileNameToQString(BareName(path_)));
}

std::string FileField::TypedPath() const {
  if (Empty()) return {};
  return FolderRelativePath(qt::FileNameFromQString(edit_->text()), path_);
}

bool FileField::Empty() const { return edit_->text().isEmpty(); }

bool FileField::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_) {
    switch (event->type()) {
      case QEvent::KeyRelease:
        emit KeyReleased();
        break;
      case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) emit EnterPressed();
        break;
      }
      case QEvent::MouseButtonDblClick:
        emit DoubleClicked();
        return true;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace vesk::gui
