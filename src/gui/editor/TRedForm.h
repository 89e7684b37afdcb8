#pragma once

#include <QMainWindow>
#include <QString>

#include "gui/common/GuiContext.h"
#include "table/TableLayout.h"

class QAction;
class QToolBar;

namespace vesk::gui {

class TableGrid;
class TableModel;

// The table editor: one data file shown as a grid of cells, edited in place
// and saved again. A workspace creates one per double click:
//   auto* editor = new TRedForm(context);
//   if (editor->OpenTable(path, kind)) editor->show();
// Closing only hides the window; it lives on until its owner or the
// application ends.
class TRedForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TRedForm(const GuiContext& context, QWidget* parent = nullptr);
  ~TRedForm() override;

  // Lays the window out for `kind` and loads the file at `path` (an empty
  // path starts an empty table). False, after telling the user, when the file
  // cannot be shown as such a table; the window then stays hidden.
  bool OpenTable(const QString& path, TableKind kind);

  // Checks every cell, asks where to save and writes the file. True only
  // when the file was written; the table then counts as saved.
  bool SaveTable();

  TableKind Kind() const { return kind_; }
  // The path the editor was opened with; saving elsewhere does not change it.
  const QString& FilePath() const { return filePath_; }
  bool Modified() const;
  TableModel& Model() { return *model_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Opens centred on the screen, whole even on a small one.
  void showEvent(QShowEvent* event) override;

 private:
  void SaveClick();
  void ExitClick();
  void InsertRowClick();
  void AppendRowClick();
  void DeleteRowClick();
  void ClearClick();
  void PasteClick();
  void StringGrid1KeyPressed();

  void ApplyLayout();
  int CurrentRow() const;
  void SetCurrentCell(int row, int column);

  const GuiContext& context_;
  TableKind kind_ = TableKind::PointTable;
  QString filePath_;
  TableModel* model_;
  TableGrid* grid_;
  QToolBar* toolBar_;
  QAction* saveAction_;
  QAction* exitAction_;
  QAction* insertRowAction_;
  QAction* appendRowAction_;
  QAction* deleteRowAction_;
  QAction* clearAction_;
  QAction* pasteAction_;
  bool placed_ = false;
};

}  // namespace vesk::gui
