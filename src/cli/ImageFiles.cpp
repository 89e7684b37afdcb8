#include "ImageFiles.h"

#include <QImageReader>
#include <QString>

namespace vesk::cli {

std::optional<ImageSize> ReadImageSize(const std::string& path) {
  QImageReader reader(QString::fromStdString(path));
  const QSize size = reader.size();
  if (!size.isValid()) return std::nullopt;
  return ImageSize{size.width(), size.height()};
}

}  // namespace vesk::cli
