#include "gui/refpoints/DroppedFiles.h"

#include <QByteArray>
#include <QImageReader>
#include <QString>
#include <algorithm>

#include "files/PathNames.h"
#include "qt/ImageFiles.h"

namespace vesk::gui {
namespace {

QString ExtensionOf(const std::string& path) {
  const QString name = qt::FileNameToQString(BareName(path));
  const qsizetype dot = name.lastIndexOf('.');
  return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

// In the order of the names, whatever folders they come from.
std::vector<std::string> ByName(std::vector<std::string> paths) {
  std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
    return qt::FileNameToQString(BareName(a)).compare(qt::FileNameToQString(BareName(b)), Qt::CaseInsensitive) < 0;
  });
  return paths;
}

}  // namespace

DroppedKind KindOfDroppedFile(const std::string& path) {
  const QString extension = ExtensionOf(path);
  if (extension.isEmpty()) return DroppedKind::Other;
  if (extension == QLatin1String("prt")) return DroppedKind::Project;
  if (extension == QLatin1String("crd")) return DroppedKind::PointFile;
  if (QImageReader::supportedImageFormats().contains(extension.toLatin1())) return DroppedKind::Photo;
  return DroppedKind::Other;
}

DropPlan PlanDrop(const std::vector<std::string>& files, DropTarget target) {
  DropPlan plan;
  std::vector<std::string> photos;
  std::vector<std::string> pointFiles;
  for (const std::string& file : files) {
    switch (KindOfDroppedFile(file)) {
      case DroppedKind::Project:
        if (plan.Project.empty()) plan.Project = file;
        break;
      case DroppedKind::Photo:
        photos.push_back(file);
        break;
      case DroppedKind::PointFile:
        pointFiles.push_back(file);
        break;
      case DroppedKind::Other:
        break;
    }
  }
  if (!plan.Project.empty()) return plan;

  if (photos.size() == 1) {
    plan.Photos.push_back({target == DropTarget::SecondRow ? DropTarget::SecondRow : DropTarget::FirstRow, photos[0]});
  } else if (photos.size() > 1) {
    photos = ByName(std::move(photos));
    plan.Photos.push_back({DropTarget::FirstRow, photos[0]});
    plan.Photos.push_back({DropTarget::SecondRow, photos[1]});
  }
  if (pointFiles.size() == 1) {
    plan.PointFiles.push_back({target, pointFiles[0]});
  } else if (pointFiles.size() > 1) {
    pointFiles = ByName(std::move(pointFiles));
    const DropTarget order[] = {DropTarget::FirstRow, DropTarget::SecondRow, DropTarget::Scene};
    for (std::size_t i = 0; i < pointFiles.size() && i < 3; ++i) plan.PointFiles.push_back({order[i], pointFiles[i]});
  }
  return plan;
}

}  // namespace vesk::gui
