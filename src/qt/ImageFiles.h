#pragma once

#include <QImage>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "progress/ProgressSink.h"
#include "render/RenderRequest.h"
#include "render/RgbImage.h"

namespace vesk::qt {

// File names are bytes on Linux: a photograph named in Latin-1 or
// Windows-1251 must open as well as one named in UTF-8. These convert at
// the Qt edge by the file system's own rule.
QString FileNameToQString(const std::string& path);
std::string FileNameFromQString(const QString& path);

// Sets the image readers' allocation limit to what the largest photograph a
// build accepts needs, so that a file declaring a gigantic picture is refused
// by the reader instead of filling the memory. Once per process; LoadPhoto
// calls it too.
void ConfigureImageReaders();

// Pixel size of a photograph file in any format Qt reads, from its header
// only; nothing when the file cannot be read as an image.
std::optional<PictureSize> ReadImageSize(const std::string& path);

// A photograph in memory, shared: a workspace's view and every job that
// reads it hold it together, so loading another photograph while a job runs
// never frees pixels the job still reads.
using SharedPhoto = std::shared_ptr<const RgbImage>;

enum class PhotoProblem {
  None,
  Missing,     // nothing at the path
  NotAFile,    // a folder, a FIFO, a device: no photograph to read
  NotAnImage,  // no format Vesk reads, or a broken or truncated file
  TooLarge,    // more pixels than a build accepts
  Cancelled,   // the token asked to stop
};

struct PhotoLoad {
  SharedPhoto Photo;  // null when the file could not be loaded
  PhotoProblem Problem = PhotoProblem::None;
  std::string Failure;  // why not, in English, without the path; empty on success
};

// The pixels of a photograph file as 24-bit RGB, decoded once and kept once:
// 24-bit BMP (the system's own format) straight into the picture, any other
// format Qt reads (BMP of other depths, PNG, JPEG, TIFF with the image-format
// plugins) through one conversion. The size is checked from the header before
// anything is decoded; a BMP that ends before its pixels do is refused.
PhotoLoad LoadPhoto(const std::string& path, const CancelToken& cancel = NeverCancelled());

// As LoadPhoto, from a picture's encoded bytes in memory (one picture of a
// file that holds several): any format Qt reads, the size checked first.
PhotoLoad DecodePhoto(const QByteArray& bytes, const CancelToken& cancel = NeverCancelled());

// As LoadPhoto, for callers that own the picture alone.
std::optional<RgbImage> LoadImage(const std::string& path);

// A QImage over the photograph's own pixels, for display: no copy is made,
// and the QImage (and every copy of it) keeps the photograph alive.
QImage DisplayImage(const SharedPhoto& photo);

enum class SaveStatus { Saved, Cancelled, Failed };

struct ImageSave {
  SaveStatus Status = SaveStatus::Saved;
  std::string Reason;  // English, naming the path, when not saved
};

// Writes `image` as a 24-bit BMP file, as PNG when the name ends in ".png"
// or as TIFF for ".tif"/".tiff" (any case), through an atomic write: the file
// appears whole or not at all, an existing one keeps its mode and stays as it
// was on any failure or stop. BMP and PNG are encoded in strips straight from
// the picture, reporting progress; TIFF, whose writer goes back in the file,
// is encoded whole in memory first.
ImageSave WriteImageFile(const RgbImage& image, const std::string& path, ProgressSink& progress = SilentProgress(),
                         const CancelToken& cancel = NeverCancelled());

// As WriteImageFile; false when not saved, `reason` then saying why.
bool SaveImage(const RgbImage& image, const std::string& path, std::string* reason = nullptr);

}  // namespace vesk::qt
