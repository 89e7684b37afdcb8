#include "gui/common/MessageBoxes.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <utility>

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

void NameButtons(QMessageBox& box) {
  const std::pair<QMessageBox::StandardButton, const char*> names[] = {
      {QMessageBox::Ok, "OK"}, {QMessageBox::Yes, "Да"}, {QMessageBox::No, "Нет"}, {QMessageBox::Cancel, "Отмена"}};
  for (const auto& [which, text] : names)
    if (QAbstractButton* button = box.button(which)) button->setText(QString::fromUtf8(text));
}

}  // namespace

void QtMessageBoxes::Show(QWidget* owner, MessageIcon icon, const QString& caption, const QString& text) {
  QMessageBox box(IconOf(icon), caption, text, QMessageBox::Ok, owner);
  NameButtons(box);
  box.exec();
}

bool QtMessageBoxes::AskYesNo(QWidget* owner, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
  box.setDefaultButton(QMessageBox::Yes);
  NameButtons(box);
  return box.exec() == QMessageBox::Yes;
}

MessageBoxes::Answer QtMessageBoxes::AskYesNoCancel(QWidget* owner, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                  owner);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::Cancel);
  NameButtons(box);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
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
