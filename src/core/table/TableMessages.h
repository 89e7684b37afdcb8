#pragma once

#include <string>

namespace vesk {

// Shown, with the caption "Ошибка!", when a file cannot be opened as a table.
inline constexpr const char* kTableLoadError = "Внутренняя ошибка. Обратитесь к разработчику.";

// Asked, with the caption "Предупреждение", before a window with unsaved
// changes closes.
inline constexpr const char* kTableNotSavedQuestion = "Данные не сохранены. Сохранить?";

// What stops saving a table whose cell does not convert.
inline constexpr const char* kCalibrationTableError = "Ошибка в калибровочных данных!";
inline constexpr const char* kShootingGeometryTableError = "Ошибка в параметрах внешней геометрии!";
// `row` counts the points from 1.
std::string PointTableRowError(int row);

}  // namespace vesk
