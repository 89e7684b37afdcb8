#include "gui/app/AppResources.h"

#include <QFile>

// Outside the namespace: Q_INIT_RESOURCE names a function of the global one.
static void RegisterAll() {
  Q_INIT_RESOURCE(vesk);
  Q_INIT_RESOURCE(manual);
}

namespace vesk::gui {

void RegisterResources() {
  static const bool registered = [] {
    RegisterAll();
    return true;
  }();
  (void)registered;
}

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
