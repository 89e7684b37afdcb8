#include "gui/editor/TableGrid.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "gui/editor/TableModel.h"

namespace vesk::gui {
namespace {

// Lets the grid see the keys typed into a cell editor.
class GridDelegate : public QStyledItemDelegate {
 public:
  explicit GridDelegate(TableGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor != nullptr) editor->installEventFilter(grid_);
    return editor;
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    if (!index.data(TableModel::FlaggedRole).toBool()) return;
    painter->save();
    painter->setPen(QPen(QColor(0xC0, 0x00, 0x00), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
    painter->restore();
  }

 private:
  TableGrid* grid_;
};

}  // namespace

TableGrid::TableGrid(QWidget* parent) : QTableView(parent) {
  setItemDelegate(new GridDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                  QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  setTabKeyNavigation(true);
}

void TableGrid::CommitPendingEdit() {
  if (state() != QAbstractItemView::EditingState) return;
  QWidget* editor = indexWidget(currentIndex());
  if (editor == nullptr) return;
  commitData(editor);
  QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TableGrid::keyPressEvent(QKeyEvent* event) {
  emit KeyPressed();
  const QModelIndex current = currentIndex();
  if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && event->modifiers() == Qt::NoModifier &&
      current.isValid() && (current.flags() & Qt::ItemIsEditable)) {
    model()->setData(current, QString());
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

bool TableGrid::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched != this) emit KeyPressed();
  return QTableView::eventFilter(watched, event);
}

void TableGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  QTableView::closeEditor(editor, hint);
  // Enter confirms a cell and moves on to the one below, as in a spreadsheet.
  if (hint != QAbstractItemDelegate::SubmitModelCache) return;
  const QModelIndex below = currentIndex().siblingAtRow(currentIndex().row() + 1);
  if (below.isValid()) setCurrentIndex(below);
}

}  // namespace vesk::gui
