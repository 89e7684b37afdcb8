#include "gui/workspace/PhotoLoading.h"

#include <QImageReader>
#include <QStringList>

#include "files/FileCheck.h"
#include "files/PathNames.h"
#include "render/RenderMessages.h"

namespace vesk::gui {

QString DescribePhotoFailure(const std::string& path, const qt::PhotoLoad& load) {
  if (path.empty()) return QStringLiteral("Снимок не указан.");
  const QString name = qt::FileNameToQString(path);
  switch (load.Problem) {
    case qt::PhotoProblem::Missing:
      return QString::fromStdString(MissingFileMessage(path));
    case qt::PhotoProblem::TooLarge:
      return QString::fromUtf8(kPhotographTooLarge) + "\n" + name + ": " + QString::fromStdString(load.Failure);
    default:
      return QString::fromUtf8(kPhotographUnreadable) + "\n" + name + ": " + QString::fromStdString(load.Failure);
  }
}

qt::SharedPhoto LoadPhotoForView(const std::string& path, MessageBoxes& boxes) {
  qt::PhotoLoad load = qt::LoadPhoto(path);
  if (load.Photo) return std::move(load.Photo);
  ShowStandardError(boxes, DescribePhotoFailure(path, load));
  return nullptr;
}

QString PhotoFilter() {
  QStringList patterns;
  for (const QByteArray& format : QImageReader::supportedImageFormats()) {
    const QString pattern = "*." + QString::fromLatin1(format).toLower();
    if (pattern != "*.bmp" && !patterns.contains(pattern)) patterns << pattern;
  }
  patterns.sort();
  return QStringLiteral("Image Files (*.bmp ") + patterns.join(' ') + QStringLiteral(");;All Files (*)");
}

std::string CompanionPhoto(const std::string& dataPath) {
  for (const char* extension : {"bmp", "png", "jpg", "tif"}) {
    const std::string candidate = CompanionPath(dataPath, extension);
    if (FileExists(candidate)) return candidate;
  }
  return {};
}

}  // namespace vesk::gui
