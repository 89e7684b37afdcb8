#include "gui/refpoints/PointFileWatcher.h"

#include <sys/stat.h>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "qt/ImageFiles.h"

namespace vesk::gui {

PointFileWatcher::PointFileWatcher(QObject* parent) : QObject(parent) {
  settle_.setSingleShot(true);
  settle_.setInterval(150);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_, qOverload<>(&QTimer::start));
  connect(&settle_, &QTimer::timeout, this, [this] {
    std::vector<std::string> changed;
    for (std::size_t i = 0; i < paths_.size(); ++i) {
      const Seen now = Look(paths_[i]);
      if (now == seen_[i]) continue;
      seen_[i] = now;
      changed.push_back(paths_[i]);
    }
    Rewatch();
    if (!changed.empty()) emit Changed(changed);
  });
}

PointFileWatcher::Seen PointFileWatcher::Look(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return {};
  return Seen{true, static_cast<qint64>(status.st_size),
              static_cast<qint64>(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000,
              static_cast<quint64>(status.st_ino)};
}

void PointFileWatcher::Watch(const std::vector<std::string>& paths) {
  paths_.clear();
  seen_.clear();
  for (const std::string& path : paths)
    if (!path.empty()) {
      paths_.push_back(path);
      seen_.push_back(Look(path));
    }
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
