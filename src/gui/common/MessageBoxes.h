#pragma once

#include <QString>

#include "common/UserDialogs.h"

class QWidget;

namespace vesk::gui {

// Modal message boxes behind an interface, so that tests answer them without
// a modal loop. `owner` is the window the box belongs to; null for a box
// without owner window.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A box with one OK button.
  virtual void Show(QWidget* owner, MessageIcon icon, const QString& caption, const QString& text) = 0;
  // A question with Yes and No; true for Yes.
  virtual bool AskYesNo(QWidget* owner, const QString& caption, const QString& text) = 0;
  // A question with Yes, No and Cancel (Esc and the close box mean Cancel).
  enum class Answer { Yes, No, Cancel };
  virtual Answer AskYesNoCancel(QWidget* owner, const QString& caption, const QString& text) = 0;
};

// The real boxes, their buttons in Russian whatever translations are
// installed: "OK", "Да", "Нет", "Отмена".
class QtMessageBoxes : public MessageBoxes {
 public:
  void Show(QWidget* owner, MessageIcon icon, const QString& caption, const QString& text) override;
  bool AskYesNo(QWidget* owner, const QString& caption, const QString& text) override;
  Answer AskYesNoCancel(QWidget* owner, const QString& caption, const QString& text) override;
};

// The core's UserDialogs answered by message boxes owned by one window.
class OwnedUserDialogs : public UserDialogs {
 public:
  OwnedUserDialogs(MessageBoxes& boxes, QWidget* owner) : boxes_(boxes), owner_(owner) {}
  void ShowMessage(MessageIcon icon, const std::string& caption, const std::string& text) override;
  bool AskYesNo(const std::string& caption, const std::string& text) override;

 private:
  MessageBoxes& boxes_;
  QWidget* owner_;
};

// The application's title: the caption of its standard error box.
inline constexpr const char* kApplicationTitle = "Vesk";

// The standard error box: an error that no command handled, shown with the
// application's title as caption; the program goes on afterwards.
void ShowStandardError(MessageBoxes& boxes, const QString& text);

// Runs `action` and shows anything it throws in the standard error box, so
// that no exception crosses the event loop. True when it returned normally.
template <typename Action>
bool RunGuarded(MessageBoxes& boxes, Action&& action);

}  // namespace vesk::gui

#include "gui/common/MessageBoxes.inl"
