#pragma once

#include <QAbstractTableModel>

#include "files/NumberFormat.h"
#include "table/TableDocument.h"

namespace vesk::gui {

// The grid's view of a table document. Model rows are the document's rows
// (a point table's header row is the view's horizontal header); column 0 is
// the fixed column, grey and out of the cursor's reach. Cells that would stop
// saving are shown in red. Every change goes through the document, so the
// rules of editing live there.
class TableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // True for a cell that would stop saving (the view frames it in red, also
  // when it is selected).
  static constexpr int FlaggedRole = Qt::UserRole + 1;

  TableModel(TableDocument document, NumberFormat format, QObject* parent = nullptr);

  const TableDocument& Document() const { return document_; }
  // Shows another table.
  void Reset(TableDocument document);

  void MarkModified() { document_.MarkModified(); }
  void MarkSaved() { document_.MarkSaved(); }

  // The row operations; false, with nothing changed, where the kind has a
  // fixed row set.
  bool InsertRow(int row);
  bool AppendRow();
  bool DeleteRow(int row);
  bool Clear();
  // Pastes copied text with its first cell at (row, column); returns the
  // number of rows it filled.
  int Paste(int row, int column, const QString& text);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

 private:
  // Column 0 of the rows from `first` down shows new numbers.
  void NumbersChanged(int first);
  void RowsChanged(int first, int last);

  TableDocument document_;
  NumberFormat format_;
};

}  // namespace vesk::gui
