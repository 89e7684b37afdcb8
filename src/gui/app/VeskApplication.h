#pragma once

#include <QApplication>

namespace vesk::gui {

class MessageBoxes;

// The application object: titled "Vesk", and the last line of defence of the
// event loop. An error that no command handled ends the handler that raised
// it and is shown in the standard error box; the program goes on with the
// next user action. No exception ever leaves the event loop.
class VeskApplication : public QApplication {
  Q_OBJECT

 public:
  VeskApplication(int& argc, char** argv);

  // Where the standard error box is shown; until set, errors go to
  // standard error.
  void SetMessageBoxes(MessageBoxes* boxes) { boxes_ = boxes; }

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  void ShowUncaught(const QString& text);

  MessageBoxes* boxes_ = nullptr;
};

}  // namespace vesk::gui
