#include "gui/common/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vesk::gui {

void CentreOnScreen(QWidget& window) {
  QScreen* screen = window.screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  // The frame is known only once the window manager has framed the window;
  // before that it equals the client area.
  const QSize frame = window.frameGeometry().size();
  window.move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

}  // namespace vesk::gui
