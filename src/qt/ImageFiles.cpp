#include "qt/ImageFiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <cstring>

#include "files/TextFile.h"

namespace vesk::qt {
namespace {

// A QImage's rows are the RgbImage's rows: 24-bit RGB without padding.
QImage WrapPixels(const RgbImage& image) {
  return QImage(image.Data(), image.Width(), image.Height(), image.Stride(), QImage::Format_RGB888);
}

std::string Lowercase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

const char* FormatForName(const std::string& path) {
  const std::string name = Lowercase(path);
  if (EndsWith(name, ".png")) return "PNG";
  if (EndsWith(name, ".tif") || EndsWith(name, ".tiff")) return "TIFF";
  return "BMP";
}

}  // namespace

QString FileNameToQString(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

std::string FileNameFromQString(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::optional<PictureSize> ReadImageSize(const std::string& path) {
  QImageReader reader(FileNameToQString(path));
  const QSize size = reader.size();
  if (!size.isValid()) return std::nullopt;
  return PictureSize{size.width(), size.height()};
}

namespace {

std::optional<RgbImage> Decode(const std::string& path, std::string* failure) {
  QImageReader reader(FileNameToQString(path));
  // Photographs may be large; the reader's default limit of 256 MB would
  // refuse a big scan that the render handles well.
  QImageReader::setAllocationLimit(0);
  QImage image = reader.read();
  if (image.isNull()) {
    if (failure != nullptr) *failure = reader.errorString().toStdString();
    return std::nullopt;
  }
  if (image.format() != QImage::Format_RGB888) image = image.convertToFormat(QImage::Format_RGB888);
  RgbImage pixels = RgbImage::Unfilled(image.width(), image.height());
  const std::size_t rowBytes = static_cast<std::size_t>(pixels.Stride());
  for (int y = 0; y < image.height(); ++y) std::memcpy(pixels.Row(y), image.constScanLine(y), rowBytes);
  return pixels;
}

}  // namespace

PhotoLoad LoadPhoto(const std::string& path) {
  PhotoLoad load;
  std::optional<RgbImage> pixels = Decode(path, &load.Failure);
  if (pixels) load.Photo = std::make_shared<const RgbImage>(std::move(*pixels));
  return load;
}

std::optional<RgbImage> LoadImage(const std::string& path) { return Decode(path, nullptr); }

QImage DisplayImage(const SharedPhoto& photo) {
  if (!photo || photo->Empty()) return QImage();
  // The cleanup function drops the reference the QImage holds.
  auto* keeper = new SharedPhoto(photo);
  return QImage(
      photo->Data(), photo->Width(), photo->Height(), photo->Stride(), QImage::Format_RGB888,
      [](void* info) { delete static_cast<SharedPhoto*>(info); }, keeper);
}

bool SaveImage(const RgbImage& image, const std::string& path, std::string* reason) {
  if (image.Empty()) {
    if (reason != nullptr) *reason = "the picture is empty";
    return false;
  }
  const QImage picture = WrapPixels(image);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, FormatForName(path))) {
    if (reason != nullptr) *reason = "the picture could not be encoded";
    return false;
  }
  return WriteBytesReplacing(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), reason);
}

}  // namespace vesk::qt
