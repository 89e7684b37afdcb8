#include "files/OrientationFiles.h"

#include <cstddef>
#include <utility>

#include "files/FileCheck.h"
#include "files/InputFile.h"
#include "files/LineReader.h"
#include "files/PathNames.h"
#include "files/TextFile.h"

namespace vesk {

const std::array<const char*, kCameraFileLineCount> kCameraFileComments = {
    " ; Координата X центра изображения",
    " ; Координата Y центра изображения",
    " ; Таблица коррекции",
    " ; Фокусное расстояние",
    " ; Размер изображения по горизонтали",
    " ; Размер изображения по вертикали",
    " ; Координата X главной точки",
    " ; Координата Y главной точки",
};

const std::array<const char*, ShootingGeometry::kValueCount> kShootingGeometryFileComments = {
    " ; Координата X центра проекции в системе координат сцены",
    " ; Координата Y центра проекции в системе координат сцены",
    " ; Координата Z центра проекции в системе координат сцены",
    " ; Координата X точки визирования в системе координат сцены",
    " ; Координата Y точки визирования в системе координат сцены",
    " ; Расстояние от центра проекции до точки визирования",
    " ; Продольный угол (фотограмм.) (градусы)",
    " ; Поперечный угол (фотограмм.) (градусы)",
    " ; Угол поворота изображения (фотограмм.) (градусы)",
    " ; Угол поворота вокруг вертикальной оси (стенд.) (градусы)",
    " ; Угол поворота вокруг горизонтальной оси (стенд.) (градусы)",
    " ; Угол поворота изображения (стенд.) (градусы)",
    " ; axx",
    " ; axy",
    " ; axz",
    " ; ayx",
    " ; ayy",
    " ; ayz",
    " ; azx",
    " ; azy",
    " ; azz",
};

namespace {

using ReadResult = std::optional<ReadFailure>;

// The failure of one reader: its message, naming the file and the line.
class FailureReport {
 public:
  FailureReport(const char* message, const std::string& file) : message_(message), file_(file) {}

  ReadFailure At(int line, const std::string& cause = {}) const {
    return ReadFailure{UserMessage{MessageIcon::Error, kErrorCaption, message_}, file_, line, cause};
  }

 private:
  const char* message_;
  const std::string& file_;
};

// Only the lines a reader looks at are read: the rest of the file may be of
// any length without costing anything.
constexpr std::size_t kCameraLinesRead = 6;
constexpr std::size_t kShootingGeometryLinesRead = ShootingGeometry::kValueCount;

ReadResult ReadLeadingLines(LineReader& reader, std::size_t count, std::vector<std::string>& lines,
                            const FailureReport& report) {
  if (ReadFirstLines(reader, count, lines)) return std::nullopt;
  return report.At(reader.FailedLine(), reader.Cause());
}

// Converts the value of 1-based line `line` into `target`; false when the
// line is missing or its value is no number (`target` then keeps its value).
bool ReadNumber(const std::vector<std::string>& lines, int line, const NumberFormat& format, double& target) {
  if (static_cast<std::size_t>(line) > lines.size()) return false;
  const auto value = TryParseNumber(LineValue(lines[static_cast<std::size_t>(line) - 1]), format);
  if (!value) return false;
  target = *value;
  return true;
}

ReadResult ReadCameraLines(const std::vector<std::string>& lines, const std::string& cameraPath,
                           const TableLoader& loadTable, CameraGeometry& camera, const NumberFormat& format,
                           const FailureReport& report) {
  if (!ReadNumber(lines, 1, format, camera.CentreX)) return report.At(1);
  if (!ReadNumber(lines, 2, format, camera.CentreY)) return report.At(2);

  if (lines.size() < 3) return report.At(3);
  // The writer puts a blank before the ";", which is no part of the name.
  const std::string_view tableName = TrimTrailingBlanks(LineValue(lines[2]));
  if (tableName.empty()) return report.At(3);
  std::vector<std::string> table;
  if (!loadTable(CorrectionTablePath(cameraPath, tableName), table)) return report.At(3);
  camera.CorrectionTable = std::move(table);

  if (lines.size() < 4) return report.At(4);
  // Only the focal length may be left out: an empty cell or a single blank.
  const std::string_view focalLength = LineValue(lines[3]);
  if (focalLength.empty() || focalLength == " ") {
    camera.FocalLength = -1;
  } else if (!ReadNumber(lines, 4, format, camera.FocalLength)) {
    return report.At(4);
  }

  if (!ReadNumber(lines, 5, format, camera.ImageWidth)) return report.At(5);
  if (!ReadNumber(lines, 6, format, camera.ImageHeight)) return report.At(6);
  return std::nullopt;
}

ReadResult ReadShootingGeometryLines(const std::vector<std::string>& lines, ShootingGeometry& geometry,
                                     const NumberFormat& format, const FailureReport& report) {
  for (int i = 0; i < ShootingGeometry::kValueCount; ++i) {
    if (!ReadNumber(lines, i + 1, format, geometry[i])) return report.At(i + 1);
    if (i >= ShootingGeometry::kFirstAngle && i <= ShootingGeometry::kLastAngle) geometry[i] *= kDegreesToRadians;
  }
  return std::nullopt;
}

bool LoadTableFile(const std::string& path, std::vector<std::string>& lines) { return LoadTextLines(path, lines); }

std::vector<std::string> LinesWithComments(const std::vector<std::string>& values, const char* const* comments,
                                           std::size_t count) {
  std::vector<std::string> lines;
  if (values.size() != count) return lines;
  lines.reserve(count);
  for (std::size_t i = 0; i < count; ++i) lines.push_back(values[i] + comments[i]);
  return lines;
}

}  // namespace

std::string CorrectionTablePath(const std::string& cameraPath, std::string_view name) {
  // Prefixing an absolute name could never name an existing file.
  if (!name.empty() && name.front() == kPathSeparator) return std::string(name);
  return FolderOf(cameraPath) + std::string(name);
}

ReadResult ReadCameraFile(const std::string& path, CameraGeometry& camera, const NumberFormat& format) {
  if (const auto problem = InspectInputFile(path)) return ReadFailure{MissingFileBox(path), path, 0, problem->Cause};
  const FailureReport report(kCameraFileReadError, path);
  InputFile file;
  if (!file.Open(path)) return report.At(0, file.Problem().Cause);
  LineReader reader(file.Descriptor());
  std::vector<std::string> lines;
  if (auto failure = ReadLeadingLines(reader, kCameraLinesRead, lines, report)) return failure;
  return ReadCameraLines(lines, path, LoadTableFile, camera, format, report);
}

ReadResult ReadCameraFile(std::istream& in, const std::string& cameraPath, const TableLoader& loadTable,
                          CameraGeometry& camera, const NumberFormat& format) {
  const FailureReport report(kCameraFileReadError, cameraPath);
  LineReader reader(in);
  std::vector<std::string> lines;
  if (auto failure = ReadLeadingLines(reader, kCameraLinesRead, lines, report)) return failure;
  return ReadCameraLines(lines, cameraPath, loadTable ? loadTable : TableLoader(LoadTableFile), camera, format, report);
}

ReadResult ReadShootingGeometryFile(const std::string& path, ShootingGeometry& geometry, const NumberFormat& format) {
  if (const auto problem = InspectInputFile(path)) return ReadFailure{MissingFileBox(path), path, 0, problem->Cause};
  const FailureReport report(kShootingGeometryFileReadError, path);
  InputFile file;
  if (!file.Open(path)) return report.At(0, file.Problem().Cause);
  LineReader reader(file.Descriptor());
  std::vector<std::string> lines;
  if (auto failure = ReadLeadingLines(reader, kShootingGeometryLinesRead, lines, report)) return failure;
  return ReadShootingGeometryLines(lines, geometry, format, report);
}

ReadResult ReadShootingGeometryFile(std::istream& in, ShootingGeometry& geometry, const NumberFormat& format,
                                    const std::string& name) {
  const FailureReport report(kShootingGeometryFileReadError, name);
  LineReader reader(in);
  std::vector<std::string> lines;
  if (auto failure = ReadLeadingLines(reader, kShootingGeometryLinesRead, lines, report)) return failure;
  return ReadShootingGeometryLines(lines, geometry, format, report);
}

std::vector<std::string> CameraFileLines(const std::vector<std::string>& values) {
  return LinesWithComments(values, kCameraFileComments.data(), kCameraFileComments.size());
}

std::vector<std::string> ShootingGeometryFileLines(const std::vector<std::string>& values) {
  return LinesWithComments(values, kShootingGeometryFileComments.data(), kShootingGeometryFileComments.size());
}

bool WriteCameraFile(const std::string& path, const std::vector<std::string>& values) {
  if (values.size() != kCameraFileComments.size()) return false;
  return WriteTextFileReplacing(path, CameraFileLines(values));
}

bool WriteShootingGeometryFile(const std::string& path, const std::vector<std::string>& values) {
  if (values.size() != kShootingGeometryFileComments.size()) return false;
  return WriteTextFileReplacing(path, ShootingGeometryFileLines(values));
}

}  // namespace vesk
