#pragma once

#include <QColor>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <string>
#include <vector>

#include "files/NumberFormat.h"
#include "gui/workspace/PhotoView.h"

namespace vesk::gui {

// The reference points of a coordinate file as marks on its photograph: a
// cross per point, numbered by the point's line in the file, placed at the
// file's pixel position. A file that cannot be read shows the points above
// its first faulty line (none when it is missing); nothing is said here, the
// build names the file when it uses it.
std::vector<PhotoMark> PointFileMarks(const std::string& path, const NumberFormat& format, const QColor& colour);

// Tells when one of the watched files changes on disk, however it is written:
// in place, or replaced through a rename as the table editor and every atomic
// writer do (which ends a plain watch on the old file). Bursts of changes
// arrive as one.
class PointFileWatcher : public QObject {
  Q_OBJECT

 public:
  explicit PointFileWatcher(QObject* parent = nullptr);

  // Watches exactly these files (empty paths are left out).
  void Watch(const std::vector<std::string>& paths);

 signals:
  void Changed();

 private:
  void Rewatch();

  QFileSystemWatcher watcher_;
  QTimer settle_;
  std::vector<std::string> paths_;
};

}  // namespace vesk::gui
