#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <string>
#include <vector>

namespace vesk::gui {

// Tells when one of the watched files changes on disk, however it is written:
// in place, or replaced through a rename as the table editor and every atomic
// writer do (which ends a plain watch on the old file). Bursts of changes
// arrive as one. A change of another file in the same folder is no change of
// a watched one: each file's size, time and identity are compared.
class PointFileWatcher : public QObject {
  Q_OBJECT

 public:
  explicit PointFileWatcher(QObject* parent = nullptr);

  // Watches exactly these files (empty paths are left out), as they are now.
  void Watch(const std::vector<std::string>& paths);

 signals:
  // The watched files that changed since they were last seen.
  void Changed(const std::vector<std::string>& paths);

 private:
  struct Seen {
    bool Exists = false;
    qint64 Size = 0;
    qint64 Modified = 0;   // ms since the epoch
    quint64 Identity = 0;  // the inode: a file replaced through a rename is another one
    bool operator==(const Seen&) const = default;
  };
  static Seen Look(const std::string& path);
  void Rewatch();

  QFileSystemWatcher watcher_;
  QTimer settle_;
  std::vector<std::string> paths_;
  std::vector<Seen> seen_;
};

}  // namespace vesk::gui
