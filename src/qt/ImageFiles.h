#pragma once

#include <QImage>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "render/RenderRequest.h"
#include "render/RgbImage.h"

namespace vesk::qt {

// File names are bytes on Linux: a photograph named in Latin-1 or
// Windows-1251 must open as well as one named in UTF-8. These convert at
// the Qt edge by the file system's own rule.
QString FileNameToQString(const std::string& path);
std::string FileNameFromQString(const QString& path);

// Pixel size of a photograph file in any format Qt reads, from its header
// only; nothing when the file cannot be read as an image.
std::optional<PictureSize> ReadImageSize(const std::string& path);

// A photograph in memory, shared: a workspace's view and every job that
// reads it hold it together, so loading another photograph while a job runs
// never frees pixels the job still reads.
using SharedPhoto = std::shared_ptr<const RgbImage>;

struct PhotoLoad {
  SharedPhoto Photo;    // null when the file could not be loaded
  std::string Failure;  // why not, in English; empty on success
};

// The pixels of a photograph file in any format Qt reads (BMP, PNG, JPEG,
// TIFF with the image-format plugins), as 24-bit RGB. The pixels are
// decoded once and kept once.
PhotoLoad LoadPhoto(const std::string& path);

// As LoadPhoto, for callers that own the picture alone.
std::optional<RgbImage> LoadImage(const std::string& path);

// A QImage over the photograph's own pixels, for display: no copy is made,
// and the QImage (and every copy of it) keeps the photograph alive.
QImage DisplayImage(const SharedPhoto& photo);

// Writes `image` as a 24-bit BMP file, as PNG when the name ends in ".png"
// or as TIFF for ".tif"/".tiff" (any case), replacing the file only once the
// whole picture is encoded. False when it cannot be written; `reason` then
// says why.
bool SaveImage(const RgbImage& image, const std::string& path, std::string* reason = nullptr);

}  // namespace vesk::qt
