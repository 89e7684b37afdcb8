#pragma once

#include <array>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/NumberFormat.h"
#include "files/OrientationRecords.h"
#include "files/ReadFailure.h"
#include "files/TextFile.h"

namespace vesk {

inline constexpr const char* kCameraFileReadError = "Ошибка чтения cam-файла!";
inline constexpr const char* kShootingGeometryFileReadError = "Ошибка чтения файла геометрии съемки!";

inline constexpr int kCameraFileLineCount = 8;

// The comments the writers put after each value, one per line.
extern const std::array<const char*, kCameraFileLineCount> kCameraFileComments;
extern const std::array<const char*, ShootingGeometry::kValueCount> kShootingGeometryFileComments;

// pi/180: the files hold the six angles in degrees, the records in radians.
inline constexpr double kDegreesToRadians = 0.017453292519943295;

// Where the correction table named `name` on line 3 of the calibration file
// at `cameraPath` lies: an absolute name as it stands, any other name below
// the calibration file's folder.
std::string CorrectionTablePath(const std::string& cameraPath, std::string_view name);

// Loads the lines of a correction table; false when it cannot be read.
using TableLoader = std::function<bool(const std::string& path, std::vector<std::string>& lines)>;

// Reads a calibration file and its correction table into `camera`. A missing
// file leaves `camera` untouched; otherwise fields are stored as they are read,
// so after a failure the fields above the failing line hold their new values.
// Nothing on success; otherwise the message the user is to see, with the line.
std::optional<ReadFailure> ReadCameraFile(const std::string& path, CameraGeometry& camera, const NumberFormat& format);
// As above for a calibration file that lies at `cameraPath` (used to find the
// correction table and to name the file in a failure), whose table is loaded
// with `loadTable` (from disk when it is empty).
std::optional<ReadFailure> ReadCameraFile(std::istream& in, const std::string& cameraPath, const TableLoader& loadTable,
                                          CameraGeometry& camera, const NumberFormat& format);

// Reads a shooting-geometry file into `geometry`, angles turned into radians.
// Same rules for a missing file and for partial updates as ReadCameraFile.
std::optional<ReadFailure> ReadShootingGeometryFile(const std::string& path, ShootingGeometry& geometry,
                                                    const NumberFormat& format);
std::optional<ReadFailure> ReadShootingGeometryFile(std::istream& in, ShootingGeometry& geometry,
                                                    const NumberFormat& format,
                                                    const std::string& name = std::string());

// The lines of a calibration file (8 value texts) or a shooting-geometry file
// (21 value texts): each value text as given, then its comment. Value texts
// are written as they are, so an empty one leaves only the comment.
std::vector<std::string> CameraFileLines(const std::vector<std::string>& values);
std::vector<std::string> ShootingGeometryFileLines(const std::vector<std::string>& values);

// Writes those lines (UTF-8, CR LF), replacing any old file whole. False when
// the file could not be written or the number of values is wrong.
bool WriteCameraFile(const std::string& path, const std::vector<std::string>& values);
bool WriteShootingGeometryFile(const std::string& path, const std::vector<std::string>& values);

}  // namespace vesk
