#include "gui/workspace/PhotoLoading.h"

#include <QImageReader>
#include <QStringList>

#include "files/FileCheck.h"
#include "files/PathNames.h"
#include "render/RenderMessages.h"

namespace vesk::gui {

qt::SharedPhoto LoadPhotoForView(const std::string& path, MessageBoxes& boxes) {
  qt::PhotoLoad load = qt::LoadPhoto(path);
  if (load.Photo) return std::move(load.Photo);
  const QString name = qt::FileNameToQString(path);
  QString text;
  switch (load.Problem) {
    case qt::PhotoProblem::Missing:
      text = QString::fromStdString(MissingFileMessage(qt::FileNameFromQString(name)));
      break;
    case qt::PhotoProblem::TooLarge:
      text = QString::fromUtf8(kPhotographTooLarge) + "\n" + name + ": " + QString::fromStdString(load.Failure);
      break;
    default:
      text = QString::fromUtf8(kPhotographUnreadable) + "\n" + name + ": " + QString::fromStdString(load.Failure);
      break;
  }
  ShowStandardError(boxes, text);
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
