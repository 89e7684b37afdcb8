#include "gui/refpoints/PointTablePanel.h"

#include <algorithm>

namespace vesk::gui {

PointTableModel::PointTableModel(const PointEditModel& model, const NumberFormat& format,
                                 std::function<void(int, EditedPoint)> setScene, QObject* parent)
    : QAbstractTableModel(parent), model_(model), format_(format), setScene_(std::move(setScene)) {}

void PointTableModel::Refresh() {
  const int rows = std::max({model_.Count(PointList::First), model_.Count(PointList::Second),
                             model_.SceneInSet() ? model_.Count(PointList::Scene) : 0});
  const int columns = model_.SceneInSet() ? kColumnCount : kSceneX;
  if (rows == rows_ && columns == columns_) {
    if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, columns - 1));
    return;
  }
  beginResetModel();
  rows_ = rows;
  columns_ = columns;
  endResetModel();
}

int PointTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int PointTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

std::optional<double> PointTableModel::Value(int row, int column) const {
  const PointList list = column <= kY1 ? PointList::First : column <= kY2 ? PointList::Second : PointList::Scene;
  const std::vector<EditedPoint>& points = model_.Points(list);
  if (row >= static_cast<int>(points.size())) return std::nullopt;
  const EditedPoint& point = points[static_cast<std::size_t>(row)];
  return (column == kX1 || column == kX2 || column == kSceneX) ? point.X : point.Y;
}

QVariant PointTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  if (index.column() == kNumber) return index.row() + 1;
  const std::optional<double> value = Value(index.row(), index.column());
  if (!value) return QString();
  return QString::fromStdString(FormatNumber(*value, format_));
}

QVariant PointTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[] = {"№", "x (1)", "y (1)", "x (2)", "y (2)", "X сцены", "Y сцены"};
  return section >= 0 && section < kColumnCount ? QString::fromUtf8(kTitles[section]) : QVariant();
}

Qt::ItemFlags PointTableModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.column() >= kSceneX) flags |= Qt::ItemIsEditable;
  return flags;
}

bool PointTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || index.column() < kSceneX) return false;
  const QString text = value.toString().trimmed();
  std::optional<double> number;
  if (!text.isEmpty()) {
    number = TryParseNumber(text.toStdString(), format_);
    if (!number) return false;  // the cell keeps what it had
  }
  // Only pairs have scene points.
  if (index.row() >= model_.CompletePairs() && index.row() >= model_.Count(PointList::Scene)) return false;
  const std::vector<EditedPoint>& scene = model_.Points(PointList::Scene);
  EditedPoint point =
      index.row() < static_cast<int>(scene.size()) ? scene[static_cast<std::size_t>(index.row())] : EditedPoint{};
  (index.column() == kSceneX ? point.X : point.Y) = number;
  setScene_(index.row(), point);
  return true;
}

}  // namespace vesk::gui
