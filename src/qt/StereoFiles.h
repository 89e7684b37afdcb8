#pragma once

#include <QByteArray>
#include <string>

#include "progress/ProgressSink.h"
#include "qt/ImageFiles.h"
#include "render/EyeViews.h"

namespace vesk::qt {

// Files that hold a stereo pair as two views rather than one picture: JPS
// (".jps": one JPEG of the right view beside the left one, as cross-eyed
// viewing and every JPS viewer expect) and MPO (".mpo": the left view's JPEG
// and the right view's in one multi-picture file, as stereo cameras, 3D
// televisions and viewers read it). Any case of the extension.
bool IsStereoPairFileName(const std::string& path);

// What the command line says of a file that is no stereo pair.
inline constexpr const char* kStereoPhotoUnreadable = "Файл не удаётся прочитать как стереопару MPO!";

// The JPEG quality of the pair files: high, since each view is looked at
// closely by one eye and compression artefacts differ between the eyes.
inline constexpr int kStereoJpegQuality = 95;

// A picture as a baseline JPEG stream; empty when it cannot be encoded, and
// then `error` says why.
QByteArray EncodeJpeg(const RgbImage& image, int quality, std::string& error);

// Writes the two views (of one size; marks are not used) as JPS or MPO by
// the name's extension, atomically as WriteImageFile does.
ImageSave WriteStereoPair(const EyeViews& views, const std::string& path, ProgressSink& progress = SilentProgress(),
                          const CancelToken& cancel = NeverCancelled());

struct StereoPhotoLoad {
  SharedPhoto Left;  // the first picture, the left viewpoint
  SharedPhoto Right;
  PhotoProblem Problem = PhotoProblem::None;
  std::string Failure;  // why not, without the path; empty on success
};

// The two views of an MPO file from a stereo camera: the first picture is the
// left view, the second the right. A file that is no stereo MPO (no index,
// one picture, a damaged index, a picture cut off, a view that does not
// decode) is NotAnImage, with the user's message as the failure.
StereoPhotoLoad LoadStereoPhoto(const std::string& path, const CancelToken& cancel = NeverCancelled());

}  // namespace vesk::qt
