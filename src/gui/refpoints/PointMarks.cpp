#include "gui/refpoints/PointMarks.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "files/CoordinateFile.h"
#include "qt/ImageFiles.h"

namespace vesk::gui {

std::vector<PhotoMark> PointFileMarks(const std::string& path, const NumberFormat& format, const QColor& colour) {
  std::vector<PhotoMark> marks;
  if (path.empty()) return marks;
  VT_Points points(kOwnsItems);
  (void)ReadPointFile(path, points, format);  // a faulty file keeps the points above its fault
  for (int i = 0; i < points.Count(); ++i) {
    const VT_Point& point = *points.Get(i);
    marks.push_back(PhotoMark{point.X, point.Y, colour, QString::number(i + 1)});
  }
  return marks;
}

PointFileWatcher::PointFileWatcher(QObject* parent) : QObject(parent) {
  settle_.setSingleShot(true);
  settle_.setInterval(150);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_, qOverload<>(&QTimer::start));
  connect(&settle_, &QTimer::timeout, this, [this] {
    Rewatch();
    emit Changed();
  });
}

void PointFileWatcher::Watch(const std::vector<std::string>& paths) {
  paths_.clear();
  for (const std::string& path : paths)
    if (!path.empty()) paths_.push_back(path);
  Rewatch();
}

void PointFileWatcher::Rewatch() {
  if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  // The folders too: a file replaced by a rename, or one that appears only
  // now, shows as a change of its folder.
  QStringList files;
  QStringList folders;
  for (const std::string& path : paths_) {
    const QFileInfo info(qt::FileNameToQString(path));
    if (info.isFile() && !files.contains(info.absoluteFilePath())) files << info.absoluteFilePath();
    if (info.absoluteDir().exists() && !folders.contains(info.absolutePath())) folders << info.absolutePath();
  }
  if (!files.isEmpty()) watcher_.addPaths(files);
  if (!folders.isEmpty()) watcher_.addPaths(folders);
}

}  // namespace vesk::gui
