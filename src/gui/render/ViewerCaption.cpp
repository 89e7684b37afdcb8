#include "gui/render/ViewerCaption.h"

#include <QStringList>

#include "files/PathNames.h"
#include "gui/render/TForm2.h"
#include "qt/ImageFiles.h"

namespace vesk::gui {
namespace {

struct ResultKind {
  const char* Built;
  bool UsesPhoto1;
  bool UsesPhoto2;
};

// By build code: the interpolated modes make the same picture as their
// forward counterparts, only sampled the other way.
constexpr ResultKind kKinds[] = {
    {"второй снимок в кадре первого", true, true},   // 0
    {"первый снимок в кадре второго", true, true},   // 1
    {"анаглиф в кадре второго снимка", true, true},  // 2
    {"анаглиф в кадре первого снимка", true, true},  // 3
    {"первый снимок на плоскости", true, false},     // 4
    {"второй снимок на плоскости", false, true},     // 5
    {"анаглиф на плоскости", true, true},            // 6
    {"первый снимок в кадре второго", true, true},   // 7
    {"второй снимок в кадре первого", true, true},   // 8
    {"первый снимок на плоскости", true, false},     // 9
    {"второй снимок на плоскости", false, true},     // 10
    {"анаглиф на плоскости", true, true},            // 11
};

}  // namespace

QString ViewerCaption(BuildMode mode, const std::string& photo1, const std::string& photo2) {
  const QString caption = QString::fromUtf8(kViewerCaption);
  const int code = static_cast<int>(mode);
  if (!IsValidBuildMode(code)) return caption;
  const ResultKind& kind = kKinds[code];
  QStringList names;
  if (kind.UsesPhoto1 && !photo1.empty()) names << qt::FileNameToQString(BareName(photo1));
  if (kind.UsesPhoto2 && !photo2.empty()) names << qt::FileNameToQString(BareName(photo2));
  QString text = caption + QStringLiteral(" — ") + QString::fromUtf8(kind.Built);
  if (!names.isEmpty()) text += QStringLiteral(" (") + names.join(QStringLiteral(", ")) + QLatin1Char(')');
  return text;
}

}  // namespace vesk::gui
