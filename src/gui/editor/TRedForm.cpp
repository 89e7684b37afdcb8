#include "gui/editor/TRedForm.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QShowEvent>
#include <QStyle>
#include <QToolBar>
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/UserDialogs.h"
#include "files/TextFile.h"
#include "gui/common/WindowPlacement.h"
#include "gui/editor/TableGrid.h"
#include "gui/editor/TableModel.h"
#include "gui/editor/ToolIcons.h"
#include "table/TableDocument.h"
#include "table/TableMessages.h"

namespace vesk::gui {
namespace {

std::string FileSystemPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QAction* MakeAction(QObject* owner, const char* objectName, const QString& text, const QIcon& icon = QIcon()) {
  auto* action = new QAction(icon, text, owner);
  action->setObjectName(QString::fromLatin1(objectName));
  action->setToolTip(text);
  return action;
}

}  // namespace

TRedForm::TRedForm(const GuiContext& context, QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      context_(context),
      model_(new TableModel(TableDocument(TableKind::PointTable), context.Format, this)),
      grid_(new TableGrid(this)) {
  setObjectName(QStringLiteral("RedForm"));

  saveAction_ =
      MakeAction(this, "SaveAction", QStringLiteral("Сохранить"), style()->standardIcon(QStyle::SP_DialogSaveButton));
  saveAction_->setShortcut(QKeySequence::Save);
  exitAction_ = MakeAction(this, "ExitAction", QStringLiteral("Выход"));
  insertRowAction_ = MakeAction(this, "InsertRowAction", QStringLiteral("Добавить"), RowOperationIcon(RowIcon::Insert));
  appendRowAction_ =
      MakeAction(this, "AppendRowAction", QStringLiteral("Добавить в конец"), RowOperationIcon(RowIcon::Append));
  deleteRowAction_ = MakeAction(this, "DeleteRowAction", QStringLiteral("Удалить"), RowOperationIcon(RowIcon::Delete));
  clearAction_ = MakeAction(this, "ClearAction", QStringLiteral("Очистить"), RowOperationIcon(RowIcon::Clear));
  // Pasting has no menu item: Ctrl+V in the grid, as in a spreadsheet. A cell
  // being edited takes Ctrl+V for itself.
  pasteAction_ = MakeAction(this, "PasteAction", QStringLiteral("Вставить"));
  pasteAction_->setShortcut(QKeySequence::Paste);
  addAction(pasteAction_);

  menuBar()->setObjectName(QStringLiteral("MainMenu1"));
  QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("Файл"));
  fileMenu->setObjectName(QStringLiteral("FileMenu"));
  fileMenu->addAction(saveAction_);
  fileMenu->addSeparator();
  fileMenu->addAction(exitAction_);

  toolBar_ = addToolBar(QStringLiteral("ToolBar1"));
  toolBar_->setObjectName(QStringLiteral("ToolBar1"));
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  toolBar_->setIconSize(QSize(24, 24));
  toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
  toolBar_->addAction(saveAction_);
  toolBar_->addSeparator();
  toolBar_->addAction(insertRowAction_);
  toolBar_->addAction(appendRowAction_);
  toolBar_->addAction(deleteRowAction_);
  toolBar_->addAction(clearAction_);
  const std::pair<QAction*, const char*> buttons[] = {{saveAction_, "SaveButton"},
                                                      {insertRowAction_, "InsertRowButton"},
                                                      {appendRowAction_, "AppendRowButton"},
                                                      {deleteRowAction_, "DeleteRowButton"},
                                                      {clearAction_, "ClearButton"}};
  for (const auto& [action, name] : buttons)
    toolBar_->widgetForAction(action)->setObjectName(QString::fromLatin1(name));

  grid_->setObjectName(QStringLiteral("StringGrid1"));
  grid_->setModel(model_);
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setHighlightSections(false);
  grid_->horizontalHeader()->setSectionsMovable(false);
  grid_->verticalHeader()->setMinimumSectionSize(12);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setCentralWidget(grid_);

  connect(saveAction_, &QAction::triggered, this, &TRedForm::SaveClick);
  connect(exitAction_, &QAction::triggered, this, &TRedForm::ExitClick);
  connect(insertRowAction_, &QAction::triggered, this, &TRedForm::InsertRowClick);
  connect(appendRowAction_, &QAction::triggered, this, &TRedForm::AppendRowClick);
  connect(deleteRowAction_, &QAction::triggered, this, &TRedForm::DeleteRowClick);
  connect(clearAction_, &QAction::triggered, this, &TRedForm::ClearClick);
  connect(pasteAction_, &QAction::triggered, this, &TRedForm::PasteClick);
  connect(grid_, &TableGrid::KeyPressed, this, &TRedForm::StringGrid1KeyPressed);

  setMinimumSize(kMinimumTableWindowWidth, kMinimumTableWindowHeight);
  ApplyLayout();
}

TRedForm::~TRedForm() = default;

bool TRedForm::Modified() const { return model_->Document().Modified(); }

bool TRedForm::OpenTable(const QString& path, TableKind kind) {
  kind_ = kind;
  filePath_ = path;
  setWindowTitle(QString::fromStdString(TableTitle(kind, FileSystemPath(path))));

  std::optional<TableDocument> document = TableDocument(kind);
  if (!path.isEmpty()) {
    std::vector<std::string> lines;
    document = LoadTextLines(FileSystemPath(path), lines) ? TableDocument::FromLines(kind, lines, context_.Format)
                                                          : std::nullopt;
  }
  model_->Reset(document ? std::move(*document) : TableDocument(kind));
  ApplyLayout();
  if (!document) {
    context_.Messages.Show(this, MessageIcon::Error, QString::fromUtf8(kErrorCaption),
                           QString::fromUtf8(kTableLoadError));
    hide();
    return false;
  }
  return true;
}

void TRedForm::ApplyLayout() {
  const TableLayout& layout = LayoutOf(kind_);
  QHeaderView* columns = grid_->horizontalHeader();
  columns->setVisible(layout.HasHeaderRow());
  columns->setFixedHeight(layout.RowHeight);
  grid_->verticalHeader()->setDefaultSectionSize(layout.RowHeight);

  // A value column is widened, and the window with it, where the widest value
  // would not show whole in the kind's width.
  int widening = 0;
  for (int c = 0; c < layout.ColumnCount(); ++c) {
    const int width = layout.ColumnWidths[static_cast<std::size_t>(c)];
    const int needed = c == 0 ? width : std::max(width, grid_->ContentWidth(c));
    columns->resizeSection(c, needed);
    widening += needed - width;
  }
  resize(layout.WindowWidth + widening, layout.WindowHeight);

  const bool rowsChange = !layout.HasFixedRows();
  for (QAction* action : {insertRowAction_, appendRowAction_, deleteRowAction_, clearAction_}) {
    action->setEnabled(rowsChange);
  }
  SetCurrentCell(0, 1);
}

int TRedForm::CurrentRow() const { return grid_->currentIndex().isValid() ? grid_->currentIndex().row() : 0; }

void TRedForm::SetCurrentCell(int row, int column) {
  const QModelIndex cell = model_->index(row, column);
  if (cell.isValid()) grid_->setCurrentIndex(cell);
}

bool TRedForm::SaveTable() {
  grid_->CommitPendingEdit();
  const TableLines built = model_->Document().BuildLines(context_.Format);
  if (!built.Ok()) {
    context_.Messages.Show(this, MessageIcon::Information, QString::fromUtf8(kApplicationTitle),
                           QString::fromStdString(built.Error));
    SetCurrentCell(built.ErrorRow, built.ErrorColumn);
    return false;
  }

  const TableLayout& layout = LayoutOf(kind_);
  FileDialogRequest request;
  request.Folder = QDir::currentPath();
  request.Filter = QString::fromUtf8(layout.SaveFilter);
  request.ProposedName = filePath_;
  request.DefaultSuffix = QString::fromUtf8(layout.DefaultSuffix);
  const QString chosen = context_.Files.SaveFileName(this, request);
  if (chosen.isEmpty()) return false;
  QDir::setCurrent(QFileInfo(chosen).absolutePath());

  std::string reason;
  if (!WriteTextFileReplacing(FileSystemPath(chosen), built.Lines, &reason)) {
    ShowStandardError(context_.Messages,
                      QStringLiteral("Не удаётся записать файл %1: %2").arg(chosen, QString::fromLocal8Bit(reason)));
    return false;
  }
  model_->MarkSaved();
  return true;
}

void TRedForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (placed_ || event->spontaneous()) return;
  placed_ = true;
  CentreOnScreen(*this);
}

void TRedForm::closeEvent(QCloseEvent* event) {
  grid_->CommitPendingEdit();
  // A save that did not write the file keeps the window open, so that no
  // edit is lost without the user saying so.
  if (Modified() &&
      context_.Messages.AskYesNo(this, QString::fromUtf8(kWarningCaption), QString::fromUtf8(kTableNotSavedQuestion)) &&
      !SaveTable()) {
    event->ignore();
    return;
  }
  event->accept();
}

void TRedForm::SaveClick() { SaveTable(); }

void TRedForm::ExitClick() { close(); }

void TRedForm::InsertRowClick() {
  const int row = CurrentRow();
  const int column = std::max(grid_->currentIndex().column(), 1);
  grid_->CommitPendingEdit();
  if (model_->InsertRow(row)) SetCurrentCell(row, column);
}

void TRedForm::AppendRowClick() {
  grid_->CommitPendingEdit();
  model_->AppendRow();
}

void TRedForm::DeleteRowClick() {
  const int row = CurrentRow();
  const int column = std::max(grid_->currentIndex().column(), 1);
  grid_->CommitPendingEdit();
  if (model_->DeleteRow(row)) SetCurrentCell(std::min(row, model_->rowCount() - 1), column);
}

void TRedForm::ClearClick() {
  grid_->CommitPendingEdit();
  if (model_->Clear()) SetCurrentCell(0, 1);
}

void TRedForm::PasteClick() {
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty()) return;
  const QModelIndex current = grid_->currentIndex();
  model_->Paste(CurrentRow(), current.isValid() ? current.column() : 1, text);
}

void TRedForm::StringGrid1KeyPressed() { model_->MarkModified(); }

}  // namespace vesk::gui
