#pragma once

#include <QTableView>

namespace vesk::gui {

// The editor's grid: a table view that tells of every key the user presses in
// it or in a cell being edited, hands an open cell editor's text to the model
// on request, moves down after Enter and empties the current cell on Delete.
class TableGrid : public QTableView {
  Q_OBJECT

 public:
  explicit TableGrid(QWidget* parent = nullptr);

  // Writes the text of a cell being edited into the model and closes its
  // editor, so that saving and closing see what the user typed.
  void CommitPendingEdit();

  // The width the widest text of `column` needs.
  int ContentWidth(int column) const { return sizeHintForColumn(column); }

 signals:
  void KeyPressed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
};

}  // namespace vesk::gui
