#pragma once

#include <QString>
#include <QStringList>

class QMimeData;

namespace vesk::gui {

// Files dropped on the orientation workspace, sorted by what the workspace
// takes them for, each list in the order of the drop. Files of any other
// kind are left out.
struct DroppedFiles {
  QStringList Photos;        // any photograph format the workspace reads
  QStringList Orientations;  // .ort
  QStringList Cameras;       // .cam
  QString Project;           // the first .prt
  QString FirstFile;         // the first file taken, of whichever kind

  bool Empty() const { return FirstFile.isEmpty(); }
  const QString& First() const { return FirstFile; }
};

// The local files a drag carries (no remote addresses).
QStringList DroppedPaths(const QMimeData& data);

// Sorted by extension, without regard to letter case.
DroppedFiles SortDroppedFiles(const QStringList& paths);

}  // namespace vesk::gui
