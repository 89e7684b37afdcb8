#include "gui/common/WindowPlacement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vesk::gui {
namespace {

// The frame around the client area. It is known only once the window
// manager has framed the window; before that the frame equals the client
// area, and a title bar and borders are allowed for where a window manager
// will add them.
QMargins FrameMargins(const QWidget& window) {
  const QRect frame = window.frameGeometry();
  const QRect client = window.geometry();
  if (frame != client)
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) return {};
  return QMargins(4, 32, 4, 4);
}

// Shrinks the window to what the area leaves for its client area; the frame
// it will have, as far as it is known.
QSize FitToArea(QWidget& window, const QRect& area) {
  const QMargins margins = FrameMargins(window);
  const QSize room = area.size().shrunkBy(margins);
  const QSize size = window.size().boundedTo(room).expandedTo(window.minimumSize());
  if (size != window.size()) window.resize(size);
  return window.size().grownBy(margins);
}

}  // namespace

QRect AvailableArea(const QWidget& window) {
  QScreen* screen = window.screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

void CentreOnScreen(QWidget& window) {
  const QRect area = AvailableArea(window);
  if (area.isEmpty()) return;
  const QSize frame = FitToArea(window, area);
  window.move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

void PlaceOnScreen(QWidget& window, QPoint topLeft) {
  const QRect area = AvailableArea(window);
  if (area.isEmpty()) return;
  const QSize frame = FitToArea(window, area);
  // The left and top edges win when the window is wider or taller than the
  // area even at its smallest size: the title bar stays reachable.
  const int x = std::max(area.left(), std::min(topLeft.x(), area.left() + area.width() - frame.width()));
  const int y = std::max(area.top(), std::min(topLeft.y(), area.top() + area.height() - frame.height()));
  window.move(x, y);
}

void KeepOnScreen(QWidget& window) { PlaceOnScreen(window, window.frameGeometry().topLeft()); }

}  // namespace vesk::gui
