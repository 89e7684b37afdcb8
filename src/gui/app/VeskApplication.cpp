#include "gui/app/VeskApplication.h"

#include <QMetaObject>
#include <cstdio>

#include "gui/app/AppResources.h"
#include "gui/common/MessageBoxes.h"

namespace vesk::gui {

VeskApplication::VeskApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QString::fromUtf8(kApplicationTitle));
  setApplicationVersion(QStringLiteral(VESK_VERSION));
  setDesktopFileName(QStringLiteral("vesk"));
  setWindowIcon(ProgramIcon());
  // The mode-selection window ends the program; nothing else does.
  setQuitOnLastWindowClosed(false);
}

bool VeskApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowUncaught(DescribeException(std::current_exception()));
  }
  return false;
}

void VeskApplication::ShowUncaught(const QString& text) {
  if (boxes_ == nullptr) {
    std::fprintf(stderr, "Vesk: %s\n", text.toLocal8Bit().constData());
    return;
  }
  // Shown once the failed handler has unwound, not in the middle of
  // whatever event it was handling.
  MessageBoxes* boxes = boxes_;
  QMetaObject::invokeMethod(
      this, [boxes, text] { ShowStandardError(*boxes, text); }, Qt::QueuedConnection);
}

}  // namespace vesk::gui
