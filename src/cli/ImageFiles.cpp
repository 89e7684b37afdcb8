#include "ImageFiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QString>
#include <cstring>

#include "files/TextFile.h"

namespace vesk::cli {

std::optional<ImageSize> ReadImageSize(const std::string& path) {
  QImageReader reader(QString::fromStdString(path));
  const QSize size = reader.size();
  if (!size.isValid()) return std::nullopt;
  return ImageSize{size.width(), size.height()};
}

std::optional<RgbImage> LoadImage(const std::string& path) {
  QImageReader reader(QString::fromStdString(path));
  // Photographs may be large; the reader's default limit of 256 MB would
  // refuse a big scan that the render handles well.
  QImageReader::setAllocationLimit(0);
  QImage image = reader.read();
  if (image.isNull()) return std::nullopt;
  if (image.format() != QImage::Format_RGB888) image = image.convertToFormat(QImage::Format_RGB888);
  RgbImage pixels(image.width(), image.height());
  const std::size_t rowBytes = static_cast<std::size_t>(pixels.Stride());
  for (int y = 0; y < image.height(); ++y) std::memcpy(pixels.Row(y), image.constScanLine(y), rowBytes);
  return pixels;
}

bool SaveImage(const RgbImage& image, const std::string& path) {
  if (image.Empty()) return false;
  QImage picture(image.Width(), image.Height(), QImage::Format_RGB888);
  if (picture.isNull()) return false;
  const std::size_t rowBytes = static_cast<std::size_t>(image.Stride());
  for (int y = 0; y < image.Height(); ++y) std::memcpy(picture.scanLine(y), image.Row(y), rowBytes);
  const bool png = path.size() >= 4 && QString::fromStdString(path.substr(path.size() - 4)).toLower() == ".png";
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, png ? "PNG" : "BMP")) return false;
  return WriteBytesReplacing(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace vesk::cli
