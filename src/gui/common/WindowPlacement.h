#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace vesk::gui {

// Every window opens whole on the screen: the placements below first shrink
// a window larger than the available area of its screen (not below its
// smallest size), then put its frame inside that area.

// The available area (without panels and docks) of the screen the window is
// on, the primary screen before it was ever shown; empty without a screen.
QRect AvailableArea(const QWidget& window);

// Moves a top-level window so that its frame stands in the middle of the
// available area.
void CentreOnScreen(QWidget& window);

// Moves the window's frame to `topLeft`, or as close to it as keeps the
// whole frame on the screen.
void PlaceOnScreen(QWidget& window, QPoint topLeft);

// Where the window is, moved just enough to be whole on the screen.
void KeepOnScreen(QWidget& window);

}  // namespace vesk::gui
