#include "table/TableLayout.h"

#include "files/PathNames.h"

namespace vesk {
namespace {

const TableLayout kPointLayout{
    300,   500, " Реперные точки", {50, 100, 100}, {"", "x", "y"}, 20, {}, "Coordinate Files (*.crd);;All Files (*)",
    "crd",
};

const TableLayout kCalibrationLayout{
    520,
    290,
    " Внутренняя геометрия",
    {290, 200},
    {},
    24,
    {
        "Координата X центра изображения (пикс.)",
        "Координата Y центра изображения (пикс.)",
        "Таблица коррекции",
        "Фокусное расстояние (пикс.)",
        "Ширина изображения (пикс.)",
        "Высота изображения (пикс.)",
        "Координата X главной точки (пикс.)",
        "Координата Y главной точки (пикс.)",
    },
    "Cam Files (*.cam);;All Files (*)",
    "cam",
};

const TableLayout kShootingGeometryLayout{
    410,
    500,
    " Внешняя геометрия",
    {260, 110},
    {},
    24,
    {
        "Координата X центра проекции",
        "Координата Y центра проекции",
        "Координата Z центра проекции",
        "Координата X точки визирования",
        "Координата Y точки визирования",
        "Расстояние до точки визирования",
        "Продольный угол (фотогр.) (градусы)",
        "Поперечный угол (фотогр.) (градусы)",
        "Угол поворота (фотогр.) (градусы)",
        "Продольный угол (стенд.) (градусы)",
        "Поперечный угол (стенд.) (градусы)",
        "Угол поворота (стенд.) (градусы)",
        "axx",
        "axy",
        "axz",
        "ayx",
        "ayy",
        "ayz",
        "azx",
        "azy",
        "azz",
    },
    "Orientation Files (*.ort);;All Files (*)",
    "ort",
};

}  // namespace

const TableLayout& LayoutOf(TableKind kind) {
  switch (kind) {
    case TableKind::CalibrationTable:
      return kCalibrationLayout;
    case TableKind::ShootingGeometryTable:
      return kShootingGeometryLayout;
    case TableKind::PointTable:
      break;
  }
  return kPointLayout;
}

std::string TableTitle(TableKind kind, std::string_view path) {
  const std::string name = path.empty() ? std::string("Untitled") : BareName(path);
  return name + LayoutOf(kind).TitleSuffix;
}

}  // namespace vesk
