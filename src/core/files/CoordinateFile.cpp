#include "files/CoordinateFile.h"

#include "files/FileCheck.h"
#include "files/InputFile.h"
#include "files/LineReader.h"
#include "files/TextFile.h"

namespace vesk {
namespace {

ReadFailure Fail(const std::string& file, int line, const std::string& cause = {}) {
  return ReadFailure{UserMessage{MessageIcon::Error, kErrorCaption, kPointFileReadError}, file, line, cause};
}

// Line by line, so that a file that fails early costs nothing to read.
std::optional<ReadFailure> AppendPoints(LineReader& lines, VT_Points& points, const NumberFormat& format,
                                        const std::string& file) {
  std::string line;
  while (lines.Next(line)) {
    const auto point = ParsePointLine(line, format);
    if (!point) {
      ReadFailure failure = Fail(file, static_cast<int>(lines.LineNumber()));
      failure.Reason = DescribePointLineFault(line, format);
      return failure;
    }
    points.Add(new VT_Point(*point));
  }
  if (lines.Failed()) return Fail(file, lines.FailedLine(), lines.Cause());
  return std::nullopt;
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

std::string DescribePointLineFault(std::string_view line, const NumberFormat& format) {
  if (line.find_first_not_of(' ') == std::string_view::npos) return "пустая строка";
  const std::size_t semicolon = line.find(';');
  if (semicolon == std::string_view::npos) return "нет знака «;» между двумя числами";
  if (line.find(';', semicolon + 1) != std::string_view::npos) return "больше одного знака «;»";
  for (const std::string_view part : {line.substr(0, semicolon), line.substr(semicolon + 1)}) {
    if (TryParseNumber(part, format)) continue;
    std::string_view shown = part.substr(0, 40);
    while (!shown.empty() && shown.front() == ' ') shown.remove_prefix(1);
    while (!shown.empty() && shown.back() == ' ') shown.remove_suffix(1);
    return "«" + std::string(shown) + "» — не число с десятичным разделителем «" + format.DecimalSeparator + "»";
  }
  return {};
}

std::string FormatPointLine(double x, double y, const NumberFormat& format) {
  return FormatNumber(x, format) + " ; " + FormatNumber(y, format);
}

std::optional<ReadFailure> ReadPointFile(const std::string& path, VT_Points& points, const NumberFormat& format) {
  if (const auto problem = InspectInputFile(path)) return ReadFailure{MissingFileBox(path), path, 0, problem->Cause};
  points.Clear();
  InputFile file;
  if (!file.Open(path)) return Fail(path, 0, file.Problem().Cause);
  LineReader lines(file.Descriptor());
  return AppendPoints(lines, points, format, path);
}

std::optional<ReadFailure> ReadPointFile(std::istream& in, VT_Points& points, const NumberFormat& format,
                                         const std::string& name) {
  points.Clear();
  LineReader lines(in);
  return AppendPoints(lines, points, format, name);
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
