#include "qt/ImageFiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QImageReader>
#include <QImageWriter>
#include <QLoggingCategory>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

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

// The image readers return a picture with its missing part filled in for a
// file that ends early, and say so only as a warning of their logging
// category ("Premature end of JPEG file"). A read on this thread collects
// those warnings here while it runs; they still reach the previous handler.
thread_local std::vector<std::string>* tReaderWarnings = nullptr;
QtMessageHandler gPreviousHandler = nullptr;
QLoggingCategory::CategoryFilter gPreviousFilter = nullptr;

void CollectReaderWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (tReaderWarnings != nullptr && (type == QtWarningMsg || type == QtCriticalMsg))
    tReaderWarnings->push_back(message.toStdString());
  if (gPreviousHandler != nullptr) gPreviousHandler(type, context, message);
}

// The readers' warnings must arrive even where the logging rules silence them.
void EnableReaderWarnings(QLoggingCategory* category) {
  if (gPreviousFilter != nullptr) gPreviousFilter(category);
  const char* name = category->categoryName();
  if (std::strncmp(name, "qt.gui.imageio", 14) == 0 || std::strncmp(name, "qt.imageformats", 15) == 0)
    category->setEnabled(QtWarningMsg, true);
}

// Whether a reader's warning says the data ended early or was damaged, as
// opposed to a remark about a valid file (an unknown TIFF tag).
bool ReportsDamage(const std::string& warning) {
  const std::string text = Lowercase(warning);
  for (const char* word : {"premature", "truncat", "corrupt", "error", "unexpected end", "incomplete"})
    if (text.find(word) != std::string::npos) return true;
  return false;
}

// Collects the warnings of the reads made while it lives on this thread.
class ReaderWarnings {
 public:
  ReaderWarnings() : outer_(tReaderWarnings) { tReaderWarnings = &warnings_; }
  ~ReaderWarnings() { tReaderWarnings = outer_; }
  ReaderWarnings(const ReaderWarnings&) = delete;
  ReaderWarnings& operator=(const ReaderWarnings&) = delete;
  // The first warning that reports damage; empty when none did.
  std::string Damage() const {
    for (const std::string& warning : warnings_)
      if (ReportsDamage(warning)) return warning;
    return {};
  }

 private:
  std::vector<std::string>* outer_;
  std::vector<std::string> warnings_;
};

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
    gPreviousHandler = qInstallMessageHandler(CollectReaderWarnings);
    gPreviousFilter = QLoggingCategory::installFilter(EnableReaderWarnings);
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
  ReaderWarnings warnings;
  const QImage image = reader.read();
  if (image.isNull()) return Refused(PhotoProblem::NotAnImage, reader.errorString().toStdString());
  if (const std::string damage = warnings.Damage(); !damage.empty())
    return Refused(PhotoProblem::NotAnImage, "the file is damaged or ends early (" + damage + ")");
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
  // Qt's bitmap reader fills what a short file lacks: the pixels are
  // counted here first.
  if (!bmp.Failure.Failed())
    if (const BmpFailure pixels = CheckBmpFilePixelData(path); pixels.Failed())
      return Refused(PhotoProblem::NotAnImage, DescribeBmpFailure(pixels));

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
