#include "qt/ImageFiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <cstring>
#include <mutex>

#include "files/AtomicFileWriter.h"
#include "files/InputFile.h"
#include "imageio/BmpFile.h"
#include "qt/PngReader.h"
#include "qt/PngWriter.h"

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

bool FitsABuild(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 &&
         static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 3 <= kMaxPhotographBytes;
}

// Copies a decoded picture of any format into a new 24-bit one, a strip of
// rows at a time, so that no second full-size conversion exists. The formats
// the readers give photographs most often (24-bit, 32-bit without alpha,
// grey) are copied here row by row: Qt's own conversion of large pictures
// starts threads, and hangs where the process may start no more.
RgbImage ToRgb(const QImage& image) {
  RgbImage pixels = RgbImage::Unfilled(image.width(), image.height());
  const std::size_t rowBytes = static_cast<std::size_t>(pixels.Stride());
  const int width = image.width();
  switch (image.format()) {
    case QImage::Format_RGB888:
      for (int y = 0; y < image.height(); ++y) std::memcpy(pixels.Row(y), image.constScanLine(y), rowBytes);
      return pixels;
    case QImage::Format_RGB32:
      for (int y = 0; y < image.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* to = pixels.Row(y);
        for (int x = 0; x < width; ++x, to += 3) {
          to[0] = static_cast<std::uint8_t>(qRed(from[x]));
          to[1] = static_cast<std::uint8_t>(qGreen(from[x]));
          to[2] = static_cast<std::uint8_t>(qBlue(from[x]));
        }
      }
      return pixels;
    case QImage::Format_Grayscale8:
      for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* from = image.constScanLine(y);
        std::uint8_t* to = pixels.Row(y);
        for (int x = 0; x < width; ++x, to += 3) to[0] = to[1] = to[2] = from[x];
      }
      return pixels;
    default:
      break;
  }
  constexpr int kStripRows = 64;
  for (int y0 = 0; y0 < image.height(); y0 += kStripRows) {
    const int rows = std::min(kStripRows, image.height() - y0);
    // A view of the strip's rows (no copy), converted on its own.
    QImage strip(image.constScanLine(y0), image.width(), rows, image.bytesPerLine(), image.format());
    if (image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono ||
        image.format() == QImage::Format_MonoLSB)
      strip.setColorTable(image.colorTable());
    const QImage converted = strip.convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < rows; ++y) std::memcpy(pixels.Row(y0 + y), converted.constScanLine(y), rowBytes);
  }
  return pixels;
}

}  // namespace

QString FileNameToQString(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

std::string FileNameFromQString(const QString& path) { return QFile::encodeName(path).toStdString(); }

void ConfigureImageReaders() {
  static std::once_flag once;
  std::call_once(once, [] {
    // The largest photograph a build takes, decoded at 4 bytes per pixel (the
    // widest form Qt's readers produce for 8-bit channels), plus a margin.
    const std::uint64_t megabytes = kMaxPhotographBytes / 3 * 4 / (1024 * 1024) + 64;
    QImageReader::setAllocationLimit(static_cast<int>(megabytes));
  });
}

std::optional<PictureSize> ReadImageSize(const std::string& path) {
  if (InspectInputFile(path)) return std::nullopt;
  QImageReader reader(FileNameToQString(path));
  const QSize size = reader.size();
  if (!size.isValid()) return std::nullopt;
  return PictureSize{size.width(), size.height()};
}

namespace {

struct Decoded {
  std::optional<RgbImage> Pixels;
  PhotoProblem Problem = PhotoProblem::None;
  std::string Failure;
};

Decoded Refused(PhotoProblem problem, std::string why) { return Decoded{std::nullopt, problem, std::move(why)}; }

// Any format Qt reads, the size checked from the header first.
Decoded DecodeWith(QImageReader& reader, const CancelToken& cancel) {
  ConfigureImageReaders();
  const QSize size = reader.size();
  if (!size.isValid()) return Refused(PhotoProblem::NotAnImage, reader.errorString().toStdString());
  // Refused from the header, before a single pixel is decoded.
  if (!FitsABuild(size.width(), size.height()))
    return Refused(PhotoProblem::TooLarge, std::to_string(size.width()) + " x " + std::to_string(size.height()) +
                                               " pixels is more than a build takes");
  const QImage image = reader.read();
  if (image.isNull()) return Refused(PhotoProblem::NotAnImage, reader.errorString().toStdString());
  if (cancel.Requested()) return Refused(PhotoProblem::Cancelled, "stopped");
  return Decoded{ToRgb(image), PhotoProblem::None, {}};
}

Decoded Decode(const std::string& path, const CancelToken& cancel) {
  if (const auto problem = InspectInputFile(path))
    return Refused(problem->Reason == InputRefusal::Missing ? PhotoProblem::Missing : PhotoProblem::NotAFile,
                   problem->Cause);

  // The system's own format: straight into the picture, no copy.
  const BmpInfoResult bmp = ReadBmpFileInfo(path);
  if (!bmp.Failure.Failed() && bmp.Info.Decodable) {
    BmpDecodeResult decoded = LoadBmpFile(path, BmpLimits{}, SilentProgress(), cancel);
    switch (decoded.Failure.Fault) {
      case BmpFault::None:
        return Decoded{std::move(decoded.Image), PhotoProblem::None, {}};
      case BmpFault::TooLarge:
        return Refused(PhotoProblem::TooLarge, DescribeBmpFailure(decoded.Failure));
      case BmpFault::Cancelled:
        return Refused(PhotoProblem::Cancelled, "stopped");
      default:
        return Refused(PhotoProblem::NotAnImage, DescribeBmpFailure(decoded.Failure));
    }
  }
  if (bmp.Failure.Fault == BmpFault::Truncated)
    return Refused(PhotoProblem::NotAnImage, DescribeBmpFailure(bmp.Failure));

  // Results and most photographs: decoded here in one pass.
  PlainPngRead png = ReadPlainRgbPng(path, kMaxPhotographBytes, cancel);
  if (png.Result == PlainPngRead::Outcome::Decoded) return Decoded{std::move(png.Pixels), PhotoProblem::None, {}};
  if (png.Result == PlainPngRead::Outcome::Cancelled) return Refused(PhotoProblem::Cancelled, "stopped");

  QImageReader reader(FileNameToQString(path));
  return DecodeWith(reader, cancel);
}

PhotoLoad Shared(Decoded decoded) {
  PhotoLoad load{nullptr, decoded.Problem, std::move(decoded.Failure)};
  if (decoded.Pixels) load.Photo = std::make_shared<const RgbImage>(std::move(*decoded.Pixels));
  return load;
}

}  // namespace

PhotoLoad LoadPhoto(const std::string& path, const CancelToken& cancel) { return Shared(Decode(path, cancel)); }

PhotoLoad DecodePhoto(const QByteArray& bytes, const CancelToken& cancel) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  return Shared(DecodeWith(reader, cancel));
}

std::optional<RgbImage> LoadImage(const std::string& path) { return Decode(path, NeverCancelled()).Pixels; }

QImage DisplayImage(const SharedPhoto& photo) {
  if (!photo || photo->Empty()) return QImage();
  // The cleanup function drops the reference the QImage holds.
  auto* keeper = new SharedPhoto(photo);
  return QImage(
      photo->Data(), photo->Width(), photo->Height(), photo->Stride(), QImage::Format_RGB888,
      [](void* info) { delete static_cast<SharedPhoto*>(info); }, keeper);
}

ImageSave WriteImageFile(const RgbImage& image, const std::string& path, ProgressSink& progress,
                         const CancelToken& cancel) {
  if (image.Empty()) return ImageSave{SaveStatus::Failed, path + ": the picture is empty"};
  const char* format = FormatForName(path);
  if (std::strcmp(format, "BMP") == 0) {
    const BmpFailure failure = SaveBmpFile(path, image, progress, cancel);
    if (failure.Fault == BmpFault::Cancelled) return ImageSave{SaveStatus::Cancelled, path + ": stopped"};
    if (failure.Failed()) return ImageSave{SaveStatus::Failed, failure.Detail};
    return ImageSave{};
  }
  AtomicFileWriter writer;
  if (!writer.Open(path)) return ImageSave{SaveStatus::Failed, writer.Error()};
  progress.SetPosition(0);
  bool encoded = false;
  bool stopped = false;
  std::string encoderError;
  if (std::strcmp(format, "PNG") == 0) {
    const PngWrite written = WritePng(image, writer, progress, cancel, encoderError);
    encoded = written == PngWrite::Written;
    stopped = written == PngWrite::Cancelled;
  } else if (std::strcmp(format, "TIFF") == 0) {
    // The TIFF writer goes back to fill in its directory, so it gets a
    // seekable buffer, written out whole once encoded.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter encoder(&buffer, format);
    encoded = encoder.write(WrapPixels(image));
    encoderError = encoder.errorString().toStdString();
    stopped = cancel.Requested();
    if (encoded && !stopped)
      encoded = writer.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  }
  if (stopped) {
    writer.Abort();
    return ImageSave{SaveStatus::Cancelled, path + ": stopped"};
  }
  if (!encoded) {
    const std::string why = writer.Error().empty() ? path + ": " + encoderError : writer.Error();
    writer.Abort();
    return ImageSave{SaveStatus::Failed, why};
  }
  if (!writer.Commit()) return ImageSave{SaveStatus::Failed, writer.Error()};
  progress.SetPosition(100);
  return ImageSave{};
}

bool SaveImage(const RgbImage& image, const std::string& path, std::string* reason) {
  const ImageSave saved = WriteImageFile(image, path);
  if (saved.Status != SaveStatus::Saved && reason != nullptr) *reason = saved.Reason;
  return saved.Status == SaveStatus::Saved;
}

}  // namespace vesk::qt
