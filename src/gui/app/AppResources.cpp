#include "gui/app/AppResources.h"

#include <QFile>

// The resources live in a static library: they are registered by hand, or
// the linker would drop them.
static void RegisterResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(vesk);
    return true;
  }();
  (void)registered;
}

namespace vesk::gui {

QPixmap TitlePicture() {
  RegisterResources();
  return QPixmap(QStringLiteral(":/vesk/title.jpg"));
}

QPixmap ProgramPicture() {
  RegisterResources();
  return QPixmap(QStringLiteral(":/vesk/vesk.png"));
}

QIcon ProgramIcon() { return QIcon(ProgramPicture()); }

}  // namespace vesk::gui
