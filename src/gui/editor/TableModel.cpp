#include "gui/editor/TableModel.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <utility>

#include "table/PastedBlock.h"

namespace vesk::gui {
namespace {

QString TextOf(const std::string& bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

const QColor kFlaggedText(0xC0, 0x00, 0x00);
const QColor kFlaggedBackground(0xFF, 0xD8, 0xD8);

}  // namespace

TableModel::TableModel(TableDocument document, NumberFormat format, QObject* parent)
    : QAbstractTableModel(parent), document_(std::move(document)), format_(format) {}

void TableModel::Reset(TableDocument document) {
  beginResetModel();
  document_ = std::move(document);
  endResetModel();
}

int TableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : document_.RowCount(); }

int TableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : document_.ColumnCount(); }

QVariant TableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int row = index.row();
  const int column = index.column();
  if (column == 0) {
    switch (role) {
      case Qt::DisplayRole:
        return TextOf(document_.FixedText(row));
      case Qt::BackgroundRole:
        return QGuiApplication::palette().button();
      case Qt::ForegroundRole:
        // The column is disabled to keep the cursor out; its text stays legible.
        return QGuiApplication::palette().buttonText();
      default:
        return {};
    }
  }
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return TextOf(document_.Cell(row, column));
    case Qt::ForegroundRole:
      if (document_.CellFlagged(row, column, format_)) return kFlaggedText;
      return {};
    case Qt::BackgroundRole:
      if (document_.CellFlagged(row, column, format_)) return kFlaggedBackground;
      return {};
    case FlaggedRole:
      return document_.CellFlagged(row, column, format_);
    default:
      return {};
  }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  const auto& headers = document_.Layout().HeaderTexts;
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= static_cast<int>(headers.size())) return {};
  return QString::fromUtf8(headers[static_cast<std::size_t>(section)]);
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || index.column() == 0) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || index.column() == 0) return false;
  // Confirming a cell unchanged keeps its bytes, also those that are no UTF-8.
  const QString text = value.toString();
  if (text == TextOf(document_.Cell(index.row(), index.column()))) return false;
  if (!document_.SetCell(index.row(), index.column(), text.toUtf8().toStdString())) return false;
  emit dataChanged(index, index);
  return true;
}

void TableModel::NumbersChanged(int first) {
  if (first < rowCount()) emit dataChanged(index(first, 0), index(rowCount() - 1, 0));
}

void TableModel::RowsChanged(int first, int last) { emit dataChanged(index(first, 0), index(last, columnCount() - 1)); }

bool TableModel::InsertRow(int row) {
  if (document_.Layout().HasFixedRows()) return false;
  row = std::clamp(row, 0, rowCount() - 1);
  beginInsertRows(QModelIndex(), row, row);
  document_.InsertRow(row);
  endInsertRows();
  NumbersChanged(row + 1);
  return true;
}

bool TableModel::AppendRow() {
  if (document_.Layout().HasFixedRows()) return false;
  beginInsertRows(QModelIndex(), rowCount(), rowCount());
  document_.AppendRow();
  endInsertRows();
  return true;
}

bool TableModel::DeleteRow(int row) {
  if (document_.Layout().HasFixedRows()) return false;
  if (rowCount() == 1) {
    document_.DeleteRow(0);
    RowsChanged(0, 0);
    return true;
  }
  row = std::clamp(row, 0, rowCount() - 1);
  beginRemoveRows(QModelIndex(), row, row);
  document_.DeleteRow(row);
  endRemoveRows();
  NumbersChanged(row);
  return true;
}

bool TableModel::Clear() {
  if (document_.Layout().HasFixedRows()) return false;
  if (rowCount() > 1) {
    beginRemoveRows(QModelIndex(), 1, rowCount() - 1);
    document_.Clear();
    endRemoveRows();
  } else {
    document_.Clear();
  }
  RowsChanged(0, 0);
  return true;
}

int TableModel::Paste(int row, int column, const QString& text) {
  const auto block = ParsePastedBlock(text.toUtf8().toStdString());
  if (block.empty()) return 0;
  row = std::max(row, 0);
  const int added = document_.RowsAddedByPaste(row, block);
  if (added > 0) beginInsertRows(QModelIndex(), rowCount(), rowCount() + added - 1);
  document_.Paste(row, column, block);
  if (added > 0) endInsertRows();
  const int last = std::min(row + static_cast<int>(block.size()), rowCount()) - 1;
  if (row <= last) RowsChanged(row, last);
  return last - row + 1;
}

}  // namespace vesk::gui
