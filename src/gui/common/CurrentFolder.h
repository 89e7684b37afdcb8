#pragma once

#include <QString>

namespace vesk::gui {

// The program's current folder: file dialogs open in it, and every confirmed
// dialog makes the chosen file's folder current, so the next dialog opens
// where the user last was. It is the process's working folder, so paths the
// user types without a folder are taken relative to it as well.
QString CurrentFolder();
void MoveCurrentFolderTo(const QString& chosenFile);

}  // namespace vesk::gui
