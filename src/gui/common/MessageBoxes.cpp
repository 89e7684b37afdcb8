#include "gui/common/MessageBoxes.h"

#include <QMessageBox>

namespace vesk::gui {
namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      break;
  }
  return QMessageBox::Information;
}

}  // namespace

void QtMessageBoxes::Show(QWidget* owner, MessageIcon icon, const QString& caption, const QString& text) {
  QMessageBox box(IconOf(icon), caption, text, QMessageBox::Ok, owner);
  box.exec();
}

bool QtMessageBoxes::AskYesNo(QWidget* owner, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void OwnedUserDialogs::ShowMessage(MessageIcon icon, const std::string& caption, const std::string& text) {
  boxes_.Show(owner_, icon, QString::fromStdString(caption), QString::fromStdString(text));
}

bool OwnedUserDialogs::AskYesNo(const std::string& caption, const std::string& text) {
  return boxes_.AskYesNo(owner_, QString::fromStdString(caption), QString::fromStdString(text));
}

void ShowStandardError(MessageBoxes& boxes, const QString& text) {
  boxes.Show(nullptr, MessageIcon::Error, QString::fromUtf8(kApplicationTitle), text);
}

QString DescribeException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return QStringLiteral("Недостаточно памяти!");
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
  }
  return QStringLiteral("Неизвестная ошибка!");
}

}  // namespace vesk::gui
