#pragma once

class QWidget;

namespace vesk::gui {

// Moves a top-level window so that its frame stands in the middle of the
// available area of the screen it is on (the primary screen before it was
// ever shown).
void CentreOnScreen(QWidget& window);

}  // namespace vesk::gui
