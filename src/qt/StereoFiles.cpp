#include "qt/StereoFiles.h"

#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <cerrno>
#include <cstring>
#include <span>
#include <vector>

#include "common/VeskError.h"
#include "files/AtomicFileWriter.h"
#include "files/InputFile.h"
#include "imageio/MpoFile.h"
#include "render/StereoBuild.h"

namespace vesk::qt {
namespace {

// Compressed views of the largest photographs stay far below this; a larger
// file is no stereo pair and must not fill the memory.
constexpr std::int64_t kMaxStereoFileBytes = std::int64_t{1} << 30;

std::string LowercaseName(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool HasExtension(const std::string& path, const std::string& extension) {
  const std::string name = LowercaseName(path);
  return name.size() >= extension.size() &&
         name.compare(name.size() - extension.size(), extension.size(), extension) == 0;
}

std::span<const std::uint8_t> BytesOf(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

// The whole file, read through a descriptor that is never a FIFO or device.
bool ReadWholeFile(InputFile& file, std::vector<std::uint8_t>& bytes, std::string& error) {
  std::uint8_t buffer[1 << 16];
  while (true) {
    const ssize_t got = ::read(file.Descriptor(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      error = std::strerror(errno);
      return false;
    }
    if (got == 0) return true;
    if (bytes.size() + static_cast<std::size_t>(got) > static_cast<std::size_t>(kMaxStereoFileBytes)) {
      error = "larger than " + DescribeByteCount(kMaxStereoFileBytes);
      return false;
    }
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
}

StereoPhotoLoad Refused(PhotoProblem problem, std::string why) {
  StereoPhotoLoad load;
  load.Problem = problem;
  load.Failure = std::move(why);
  return load;
}

}  // namespace

bool IsStereoPairFileName(const std::string& path) { return HasExtension(path, ".jps") || HasExtension(path, ".mpo"); }

QByteArray EncodeJpeg(const RgbImage& image, int quality, std::string& error) {
  const QImage wrapped(image.Data(), image.Width(), image.Height(), image.Stride(), QImage::Format_RGB888);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(quality);
  if (!writer.write(wrapped)) {
    error = writer.errorString().toStdString();
    return {};
  }
  return bytes;
}

ImageSave WriteStereoPair(const EyeViews& views, const std::string& path, ProgressSink& progress,
                          const CancelToken& cancel) {
  if (views.Left.Empty() || views.Left.Width() != views.Right.Width() || views.Left.Height() != views.Right.Height())
    return ImageSave{SaveStatus::Failed, path + ": the two views are empty or of different sizes"};
  const bool mpo = HasExtension(path, ".mpo");
  if (!mpo && !HasExtension(path, ".jps"))
    return ImageSave{SaveStatus::Failed, path + ": a stereo pair is written as .jps or .mpo"};
  AtomicFileWriter writer;
  if (!writer.Open(path)) return ImageSave{SaveStatus::Failed, writer.Error()};
  progress.SetPosition(0);
  std::string error;
  std::vector<std::uint8_t> mpoBytes;
  QByteArray jpeg;
  try {
    if (mpo) {
      const QByteArray left = EncodeJpeg(views.Left, kStereoJpegQuality, error);
      progress.SetPosition(45);
      const QByteArray right =
          left.isEmpty() || cancel.Requested() ? QByteArray() : EncodeJpeg(views.Right, kStereoJpegQuality, error);
      progress.SetPosition(90);
      if (!right.isEmpty()) mpoBytes = AssembleStereoMpo(BytesOf(left), BytesOf(right));
    } else {
      jpeg = EncodeJpeg(ComposeStereo(views, StereoFormat::SideBySideCrossed, AnaglyphMethod::RedGreen),
                        kStereoJpegQuality, error);
      progress.SetPosition(90);
    }
  } catch (const VeskError& failure) {
    error = failure.what();
  }
  if (cancel.Requested()) {
    writer.Abort();
    return ImageSave{SaveStatus::Cancelled, path + ": stopped"};
  }
  const bool encoded = mpo ? !mpoBytes.empty() : !jpeg.isEmpty();
  const bool written =
      encoded && (mpo ? writer.Write(std::string_view(reinterpret_cast<const char*>(mpoBytes.data()), mpoBytes.size()))
                      : writer.Write(std::string_view(jpeg.constData(), static_cast<std::size_t>(jpeg.size()))));
  if (!written) {
    const std::string why = writer.Error().empty() ? path + ": " + error : writer.Error();
    writer.Abort();
    return ImageSave{SaveStatus::Failed, why};
  }
  if (!writer.Commit()) return ImageSave{SaveStatus::Failed, writer.Error()};
  progress.SetPosition(100);
  return ImageSave{};
}

StereoPhotoLoad LoadStereoPhoto(const std::string& path, const CancelToken& cancel) {
  InputFile file;
  if (!file.Open(path, kMaxStereoFileBytes)) {
    const InputProblem& problem = file.Problem();
    switch (problem.Reason) {
      case InputRefusal::Missing:
        return Refused(PhotoProblem::Missing, problem.Cause);
      case InputRefusal::TooLarge:
        return Refused(PhotoProblem::TooLarge, problem.Cause);
      default:
        return Refused(PhotoProblem::NotAFile, problem.Cause);
    }
  }
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(file, bytes, error)) return Refused(PhotoProblem::NotAFile, error);
  MpoPair pair;
  try {
    pair = FindStereoPictures(bytes);
  } catch (const VeskError& failure) {
    return Refused(PhotoProblem::NotAnImage, failure.what());
  }
  StereoPhotoLoad load;
  const auto decode = [&](const MpoPicture& picture, const char* which, SharedPhoto& to) {
    const QByteArray stream(reinterpret_cast<const char*>(bytes.data() + picture.Offset),
                            static_cast<qsizetype>(picture.Size));
    PhotoLoad view = DecodePhoto(stream, cancel);
    if (view.Problem != PhotoProblem::None) {
      load.Problem = view.Problem;
      load.Failure = std::string(which) + ": " + view.Failure;
      return false;
    }
    to = std::move(view.Photo);
    return true;
  };
  if (!decode(pair.Left, "the first (left) picture", load.Left) ||
      !decode(pair.Right, "the second (right) picture", load.Right))
    return Refused(load.Problem, load.Failure);
  return load;
}

}  // namespace vesk::qt
