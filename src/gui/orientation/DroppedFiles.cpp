#include "gui/orientation/DroppedFiles.h"

#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>
#include <QUrl>

namespace vesk::gui {

QStringList DroppedPaths(const QMimeData& data) {
  QStringList paths;
  for (const QUrl& url : data.urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  return paths;
}

DroppedFiles SortDroppedFiles(const QStringList& paths) {
  static const QList<QByteArray> kPhotoFormats = QImageReader::supportedImageFormats();
  DroppedFiles files;
  for (const QString& path : paths) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "ort")
      files.Orientations << path;
    else if (suffix == "cam")
      files.Cameras << path;
    else if (suffix == "prt") {
      if (!files.Project.isEmpty()) continue;
      files.Project = path;
    } else if (!suffix.isEmpty() && kPhotoFormats.contains(suffix.toLatin1()))
      files.Photos << path;
    else
      continue;
    if (files.FirstFile.isEmpty()) files.FirstFile = path;
  }
  return files;
}

}  // namespace vesk::gui
