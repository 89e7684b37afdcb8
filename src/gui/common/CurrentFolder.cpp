#include "gui/common/CurrentFolder.h"

#include <QDir>
#include <QFileInfo>

namespace vesk::gui {

QString CurrentFolder() { return QDir::currentPath(); }

void MoveCurrentFolderTo(const QString& chosenFile) {
  if (chosenFile.isEmpty()) return;
  QDir::setCurrent(QFileInfo(chosenFile).absolutePath());
}

}  // namespace vesk::gui
