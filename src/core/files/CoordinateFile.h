#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/NumberFormat.h"
#include "files/ReadFailure.h"
#include "model/VT_Points.h"

namespace vesk {

inline constexpr const char* kPointFileReadError = "Ошибка чтения файла сцены!";

// One line "x;y": cut at the first ";", both parts converted.
std::optional<VT_Point> ParsePointLine(std::string_view line, const NumberFormat& format);

// Why ParsePointLine refuses `line`, in the windows' words: "пустая строка",
// "нет знака «;»", "«x» — не число", ...; empty when it does not.
std::string DescribePointLineFault(std::string_view line, const NumberFormat& format);

// The written form of a point: "x ; y".
std::string FormatPointLine(double x, double y, const NumberFormat& format);

// Fills `points` from a coordinate file. A missing file leaves the list as it
// was; otherwise the list is cleared first and, on a bad line, keeps the
// points above it. Nothing on success; otherwise the message the user is to
// see ("Файл ... не найден!", or "Ошибка чтения файла сцены!" with the line).
std::optional<ReadFailure> ReadPointFile(const std::string& path, VT_Points& points, const NumberFormat& format);
// The same for text already open; `name` is what the failure names as its file.
std::optional<ReadFailure> ReadPointFile(std::istream& in, VT_Points& points, const NumberFormat& format,
                                         const std::string& name = std::string());

// The lines of a coordinate file for `points`, in the written form.
std::vector<std::string> PointFileLines(const VT_Points& points, const NumberFormat& format);

// Writes a coordinate file (CR LF line ends), replacing any old one whole.
bool WritePointFile(const std::string& path, const VT_Points& points, const NumberFormat& format);

}  // namespace vesk
