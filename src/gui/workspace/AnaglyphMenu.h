#pragma once

#include <QObject>

#include "render/AnaglyphMethod.h"

class QMenu;
class QMenuBar;

namespace vesk::gui {

// The "Анаглиф" menu of a workspace: the colour methods as a radio group,
// red-green checked at first, and "Поменять местами" to put the first
// photograph behind the red filter. The choice lives for the run and goes
// into every anaglyph build of the workspace (other builds ignore it).
class AnaglyphMenu : public QObject {
  Q_OBJECT

 public:
  // Adds the menu at the end of `bar` (a workspace adds it right after its
  // "Построить" menu).
  AnaglyphMenu(QMenuBar& bar, QObject* parent);

  const AnaglyphChoice& Choice() const { return choice_; }
  QMenu* Menu() const { return menu_; }

 private:
  QMenu* menu_;
  AnaglyphChoice choice_;
};

}  // namespace vesk::gui
