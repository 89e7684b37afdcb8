#include "files/CoordinateFile.h"

#include "files/FileCheck.h"
#include "files/InputFile.h"
#include "files/LineReader.h"
#include "files/TextFile.h"

namespace vesk {
namespace {

bool Fail(UserDialogs& dialogs, ReadFailure* failure, int line, const std::string& cause = {}) {
  dialogs.ShowMessage(MessageIcon::Error, kErrorCaption, kPointFileReadError);
  if (failure) *failure = ReadFailure{kPointFileReadError, line, cause};
  return false;
}

// Line by line, so that a file that fails early costs nothing to read.
bool AppendPoints(LineReader& lines, VT_Points& points, const NumberFormat& format, UserDialogs& dialogs,
                  ReadFailure* failure) {
  std::string line;
  while (lines.Next(line)) {
    const auto point = ParsePointLine(line, format);
    if (!point) return Fail(dialogs, failure, static_cast<int>(lines.LineNumber()));
    points.Add(new VT_Point(*point));
  }
  if (lines.Failed()) return Fail(dialogs, failure, lines.FailedLine(), lines.Cause());
  return true;
}

}  // namespace

std::optional<VT_Point> ParsePointLine(std::string_view line, const NumberFormat& format) {
  const std::size_t semicolon = line.find(';');
  if (semicolon == std::string_view::npos) return std::nullopt;
  const auto x = TryParseNumber(line.substr(0, semicolon), format);
  if (!x) return std::nullopt;
  const auto y = TryParseNumber(line.substr(semicolon + 1), format);
  if (!y) return std::nullopt;
  return VT_Point(*x, *y);
}

std::string FormatPointLine(double x, double y, const NumberFormat& format) {
  return FormatNumber(x, format) + " ; " + FormatNumber(y, format);
}

bool ReadPointFile(const std::string& path, VT_Points& points, const NumberFormat& format, UserDialogs& dialogs,
                   ReadFailure* failure) {
  std::string cause;
  if (!CheckFileExists(path, dialogs, &cause)) {
    if (failure) *failure = ReadFailure{MissingFileMessage(path), 0, cause};
    return false;
  }
  points.Clear();
  InputFile file;
  if (!file.Open(path)) return Fail(dialogs, failure, 0, file.Problem().Cause);
  LineReader lines(file.Descriptor());
  return AppendPoints(lines, points, format, dialogs, failure);
}

bool ReadPointFile(std::istream& in, VT_Points& points, const NumberFormat& format, UserDialogs& dialogs,
                   ReadFailure* failure) {
  points.Clear();
  LineReader lines(in);
  return AppendPoints(lines, points, format, dialogs, failure);
}

std::vector<std::string> PointFileLines(const VT_Points& points, const NumberFormat& format) {
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(points.Count()));
  for (int i = 0; i < points.Count(); ++i) lines.push_back(FormatPointLine(points.Get(i)->X, points.Get(i)->Y, format));
  return lines;
}

bool WritePointFile(const std::string& path, const VT_Points& points, const NumberFormat& format) {
  return WriteTextFileReplacing(path, PointFileLines(points, format));
}

}  // namespace vesk
