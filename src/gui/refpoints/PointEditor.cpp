#include "gui/refpoints/PointEditor.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QToolBar>
#include <QUndoStack>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>
#include <memory>

#include "editing/PointListFile.h"
#include "files/PathNames.h"
#include "gui/common/CurrentFolder.h"
#include "gui/refpoints/PointLoupe.h"
#include "qt/ImageFiles.h"

namespace vesk::gui {
namespace {

// Pressing this close to a point, in screen pixels, takes the point.
constexpr double kHitRadius = 8;

const QColor kPointColour(255, 40, 40);
const QColor kSelectedColour(255, 230, 0);
const QColor kAwaitingColour(0, 220, 255);
const QColor kOutstandingColour(255, 0, 255);

const QString kPointFileFilter = QStringLiteral("Coordinate Files (*.crd)");

QString BareName(const std::string& path) { return QFileInfo(qt::FileNameToQString(path)).fileName(); }

// The reader's message with the file and the line to blame, unless the
// message names the file itself ("Файл ... не найден!").
QString ReadFailureText(const ReadFailure& failure) {
  const QString message = QString::fromStdString(failure.Message.Text);
  if (message.contains(qt::FileNameToQString(failure.File))) return message;
  QString text = message + QStringLiteral(" ") + BareName(failure.File);
  if (failure.Line > 0) text += QStringLiteral(", строка %1").arg(failure.Line);
  if (!failure.Cause.empty()) text += QStringLiteral(": ") + QString::fromStdString(failure.Cause);
  return text;
}

}  // namespace

SaveAnswer AskWithMessageBox(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Предупреждение"), text, QMessageBox::NoButton, owner);
  QPushButton* yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
  QPushButton* cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == yes) return SaveAnswer::Yes;
  if (box.clickedButton() == no) return SaveAnswer::No;
  return SaveAnswer::Cancel;
}

QPointF PhotoPointAt(QPointF widgetPosition, double zoom, double ratio) {
  const double sx = std::floor(widgetPosition.x() * ratio);
  const double sy = std::floor(widgetPosition.y() * ratio);
  return QPointF((sx + 0.5) / zoom, (sy + 0.5) / zoom);
}

// One edit on the undo stack. A point placed by a press and dragged before
// the release stays one edit: the drag updates where it was placed.
class PointEditor::Command : public QUndoCommand {
 public:
  Command(PointEditor& editor, PointEdit edit, bool nudge)
      : QUndoCommand(QString::fromStdString(edit.Text)), editor_(editor), edit_(std::move(edit)), nudge_(nudge) {}

  void redo() override {
    editor_.model_.Apply(edit_);
    editor_.AfterChange();
  }
  void undo() override {
    editor_.model_.Revert(edit_);
    editor_.AfterChange();
  }
  int id() const override { return nudge_ ? 1 : -1; }
  // Nudges of one point in a row are one edit.
  bool mergeWith(const QUndoCommand* other) override {
    const auto* next = static_cast<const Command*>(other);
    const PointChange& mine = edit_.Changes.front();
    const PointChange& theirs = next->edit_.Changes.front();
    if (edit_.Changes.size() != 1 || next->edit_.Changes.size() != 1 || mine.List != theirs.List ||
        mine.Index != theirs.Index)
      return false;
    edit_.Changes.front().After = theirs.After;
    return true;
  }
  // The point this command placed has been dragged to (x, y).
  void MovePlaced(double x, double y) {
    PointChange& change = edit_.Changes.front();
    change.After = EditedPoint{x, y};
    editor_.model_.MoveLive(change.List, change.Index, x, y);
  }

 private:
  PointEditor& editor_;
  PointEdit edit_;
  bool nudge_;
};

PointEditor::PointEditor(const GuiContext& context, QMainWindow& window, PhotoView& first, PhotoView& second)
    : QObject(&window), context_(context), window_(window), first_(first), second_(second) {
  stack_ = new QUndoStack(this);
  const auto action = [this](const char* name, const QString& text, QList<QKeySequence> keys) {
    auto* item = new QAction(text, &window_);
    item->setObjectName(QString::fromLatin1(name));
    item->setShortcuts(keys);
    item->setShortcutContext(Qt::WindowShortcut);
    window_.addAction(item);
    return item;
  };
  editAction_ = action("EditPoints", QStringLiteral("Правка точек"), {QKeySequence(Qt::CTRL | Qt::Key_E)});
  editAction_->setCheckable(true);
  undoAction_ = action("UndoPoints", QStringLiteral("Отменить"), {QKeySequence(Qt::CTRL | Qt::Key_Z)});
  redoAction_ = action("RedoPoints", QStringLiteral("Повторить"),
                       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  deleteAction_ = action("DeletePoint", QStringLiteral("Удалить точку"), {QKeySequence(Qt::Key_Delete)});
  saveAction_ = action("SavePoints", QStringLiteral("Сохранить точки"), {QKeySequence(Qt::CTRL | Qt::Key_S)});

  connect(editAction_, &QAction::toggled, this, [this](bool on) {
    if (!on) {
      drag_.reset();
      HideLoupes();
    }
    for (PhotoView* view : {&first_, &second_}) view->Picture().setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor);
    UpdateActions();
    emit StatusChanged(StatusText());
  });
  connect(undoAction_, &QAction::triggered, stack_, &QUndoStack::undo);
  connect(redoAction_, &QAction::triggered, stack_, &QUndoStack::redo);
  connect(deleteAction_, &QAction::triggered, this, &PointEditor::DeleteSelected);
  connect(saveAction_, &QAction::triggered, this, [this] { Save(); });
  connect(stack_, &QUndoStack::undoTextChanged, this, [this](const QString& text) {
    undoAction_->setText(text.isEmpty() ? QStringLiteral("Отменить") : QStringLiteral("Отменить: ") + text);
  });
  connect(stack_, &QUndoStack::redoTextChanged, this, [this](const QString& text) {
    redoAction_->setText(text.isEmpty() ? QStringLiteral("Повторить") : QStringLiteral("Повторить: ") + text);
  });
  connect(stack_, &QUndoStack::canUndoChanged, this, [this] { UpdateActions(); });
  connect(stack_, &QUndoStack::canRedoChanged, this, [this] { UpdateActions(); });

  for (PhotoView* view : {&first_, &second_}) {
    view->Picture().installEventFilter(this);
    view->installEventFilter(this);
    loupes_[view == &first_ ? 0 : 1] = new PointLoupe(view->viewport());
  }
  UpdateActions();
}

PointEditor::~PointEditor() = default;

void PointEditor::StopWatching() {
  for (PhotoView* view : {&first_, &second_}) {
    view->Picture().removeEventFilter(this);
    view->removeEventFilter(this);
  }
}

void PointEditor::AddMenu(QMenuBar& bar) {
  QMenu* menu = bar.addMenu(QStringLiteral("Точки"));
  menu->setObjectName(QStringLiteral("PointsMenu"));
  menu->addAction(editAction_);
  menu->addSeparator();
  menu->addAction(undoAction_);
  menu->addAction(redoAction_);
  menu->addSeparator();
  menu->addAction(deleteAction_);
  menu->addAction(saveAction_);
  toolBar_ = new QToolBar(QStringLiteral("Точки"), &window_);
  toolBar_->setObjectName(QStringLiteral("PointsToolBar"));
  toolBar_->setMovable(false);
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (QAction* item : {editAction_, undoAction_, redoAction_, deleteAction_, saveAction_}) toolBar_->addAction(item);
}

bool PointEditor::Editing() const { return editAction_->isChecked(); }
void PointEditor::SetEditing(bool on) { editAction_->setChecked(on); }

void PointEditor::UpdateActions() {
  undoAction_->setEnabled(stack_->canUndo());
  redoAction_->setEnabled(stack_->canRedo());
  deleteAction_->setEnabled(Editing() && selected_ >= 0 && !Blocked());
  saveAction_->setEnabled(!Blocked());
}

// --- Files ---------------------------------------------------------------------

void PointEditor::SetFiles(const std::array<std::string, 3>& lists, const std::array<std::string, 2>& photos,
                           bool all) {
  photos_ = photos;
  model_.SetSceneInSet(!lists[2].empty());
  for (PointList list : kPointLists) {
    std::string& path = paths_[static_cast<std::size_t>(list)];
    if (!all && path == lists[static_cast<std::size_t>(list)]) continue;
    path = lists[static_cast<std::size_t>(list)];
    Reload(list);
  }
  AfterChange(false);
}

void PointEditor::Reload(PointList list) {
  const std::size_t k = static_cast<std::size_t>(list);
  const int generation = ++generation_[k];
  const std::string path = paths_[k];
  if (path.empty()) {
    Loaded(list, {}, std::nullopt);
    return;
  }
  if (QFileInfo(qt::FileNameToQString(path)).size() <= kBackgroundReadBytes) {
    PointListRead read = ReadPointList(path, context_.Format);
    Loaded(list, std::move(read.Points), std::move(read.Failure));
    return;
  }
  // A huge file is read off the user-interface thread; the list stays empty
  // and unedited meanwhile. The result is handed over through the
  // application object, which outlives this one.
  loading_[k] = true;
  Loaded(list, {}, std::nullopt);
  loading_[k] = true;
  emit StatusChanged(StatusText());
  QPointer<PointEditor> self(this);
  (void)QtConcurrent::run([self, list, generation, path, format = context_.Format] {
    auto read = std::make_shared<PointListRead>(ReadPointList(path, format));
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, list, generation, read] {
          if (!self || self->generation_[static_cast<std::size_t>(list)] != generation) return;
          self->loading_[static_cast<std::size_t>(list)] = false;
          self->Loaded(list, std::move(read->Points), std::move(read->Failure));
        },
        Qt::QueuedConnection);
  });
}

void PointEditor::Loaded(PointList list, std::vector<EditedPoint> points, std::optional<ReadFailure> failure) {
  const std::size_t k = static_cast<std::size_t>(list);
  loading_[k] = false;
  failures_[k] = std::move(failure);
  model_.Load(list, std::move(points));
  // Edits made against the old contents no longer apply to the new ones.
  stack_->clear();
  drag_.reset();
  if (selected_ >= std::max(model_.Count(PointList::First), model_.Count(PointList::Second))) selected_ = -1;
  AfterChange(false);
  emit Reloaded();
}

bool PointEditor::Loading() const {
  return std::any_of(loading_.begin(), loading_.end(), [](bool loading) { return loading; });
}

bool PointEditor::Blocked() const {
  if (Loading()) return true;
  for (const auto& failure : failures_)
    if (failure) return true;
  return false;
}

std::optional<std::string> PointEditor::AskFileName(PointList list) {
  QString proposed;
  QString caption = QStringLiteral("Реперные точки сцены");
  if (list != PointList::Scene) {
    const std::string& photo = photos_[static_cast<std::size_t>(list)];
    if (!photo.empty()) proposed = qt::FileNameToQString(CompanionPath(photo, "crd"));
    caption = list == PointList::First ? QStringLiteral("Реперные точки первого снимка")
                                       : QStringLiteral("Реперные точки второго снимка");
  }
  const QString chosen = context_.Files.SaveFileName(
      &window_, FileDialogRequest{CurrentFolder(), kPointFileFilter, proposed, QStringLiteral("crd"), caption});
  if (chosen.isEmpty()) return std::nullopt;
  MoveCurrentFolderTo(chosen);
  return qt::FileNameFromQString(chosen);
}

bool PointEditor::Save() {
  if (Blocked()) return false;
  for (PointList list : kPointLists) {
    if (list == PointList::Scene && !model_.SceneInSet()) continue;
    std::string& path = paths_[static_cast<std::size_t>(list)];
    const bool unnamed = path.empty() && model_.Count(list) > 0;
    if (!model_.Changed(list) && !unnamed) continue;
    std::string target = path;
    if (target.empty()) {
      const std::optional<std::string> chosen = AskFileName(list);
      if (!chosen) return false;
      target = *chosen;
    }
    if (const auto failure = SavePointList(model_.Points(list), target, context_.Format)) {
      const QString text =
          failure->Incomplete.empty()
              ? QStringLiteral("Файл %1 не записан: %2").arg(BareName(target), QString::fromStdString(failure->Cause))
              : QStringLiteral("Нет координат сцены у точек %1. Файл %2 не записан.")
                    .arg(QString::fromStdString(PointNumbers(failure->Incomplete)), BareName(target));
      context_.Messages.Show(&window_, MessageIcon::Error, QStringLiteral("Ошибка!"), text);
      return false;
    }
    model_.MarkSaved(list);
    emit ListSaved(target);
    if (target != path) {
      path = target;
      emit FileNamed(list, path);
    }
  }
  stack_->setClean();
  AfterChange(false);
  return true;
}

SaveAnswer PointEditor::AskToSave() {
  if (!Unsaved()) return SaveAnswer::No;
  const SaveAnswer answer = question_(&window_, QString::fromUtf8(kPointsChangedQuestion));
  if (answer == SaveAnswer::Yes && !Save()) return SaveAnswer::Cancel;
  return answer;
}

// --- Selection and marks ----------------------------------------------------

void PointEditor::Select(int index) {
  if (index == selected_) return;
  selected_ = index;
  UpdateActions();
  RefreshMarks();
  emit SelectionChanged(selected_);
}

void PointEditor::SetOutstanding(int index) {
  if (index == outstanding_) return;
  outstanding_ = index;
  RefreshMarks();
}

std::vector<PhotoMark> PointEditor::Marks(PointList photo) const {
  std::vector<PhotoMark> marks;
  const std::vector<EditedPoint>& points = model_.Points(photo);
  const int pairs = model_.CompletePairs();
  const std::size_t stride = (points.size() + kMostMarks - 1) / kMostMarks;
  marks.reserve(points.size() / std::max<std::size_t>(stride, 1) + 1);
  for (std::size_t i = 0; i < points.size(); i += std::max<std::size_t>(stride, 1)) {
    const int index = static_cast<int>(i);
    PhotoMark mark{*points[i].X, *points[i].Y, kPointColour, QString::number(index + 1)};
    if (index >= pairs) mark.Colour = kAwaitingColour;
    if (index == outstanding_) {
      mark.Colour = kOutstandingColour;
      mark.Bold = true;
    }
    if (index == selected_) {
      mark.Colour = kSelectedColour;
      mark.Bold = true;
    }
    marks.push_back(std::move(mark));
  }
  return marks;
}

void PointEditor::RefreshMarks() { emit MarksChanged(); }

QString PointEditor::StatusText() const {
  for (const PointList list : kPointLists)
    if (loading_[static_cast<std::size_t>(list)])
      return QStringLiteral("Чтение файла точек %1…").arg(BareName(Path(list)));
  for (const auto& failure : failures_)
    if (failure) return ReadFailureText(*failure);
  if (!Editing()) return {};
  if (const auto awaited = model_.Awaited())
    return QStringLiteral("Укажите точку %1 на %2 снимке")
        .arg(awaited->Index + 1)
        .arg(awaited->Photo == PointList::First ? QStringLiteral("первом") : QStringLiteral("втором"));
  return QStringLiteral("Правка точек: пар %1").arg(model_.CompletePairs());
}

// The title carries the mark of unsaved edits only while there are some, so
// that it reads as it always did otherwise.
void PointEditor::ShowModified(bool modified) {
  QString title = window_.windowTitle();
  title.remove(QStringLiteral("[*]"));
  window_.setWindowTitle(modified ? title + QStringLiteral("[*]") : title);
  window_.setWindowModified(modified);
}

void PointEditor::AfterChange(bool edited) {
  const int count = std::max(model_.Count(PointList::First), model_.Count(PointList::Second));
  if (selected_ >= count) {
    selected_ = -1;
    emit SelectionChanged(selected_);
  }
  if (outstanding_ >= model_.CompletePairs()) outstanding_ = -1;
  ShowModified(model_.AnyChanged());
  UpdateActions();
  RefreshMarks();
  emit StatusChanged(StatusText());
  if (edited) emit Edited();
}

// --- Edits ------------------------------------------------------------------------

void PointEditor::Push(PointEdit edit, bool nudge) {
  if (edit.Empty()) return;
  stack_->push(new Command(*this, std::move(edit), nudge));
}

void PointEditor::SetScene(int index, EditedPoint point) {
  if (Blocked()) return;
  Push(model_.SetScene(index, point));
}

void PointEditor::DeleteSelected() {
  if (!Editing() || selected_ < 0 || Blocked()) return;
  Push(model_.Delete(selected_));
}

PointLoupe* PointEditor::LoupeOf(const PhotoView* view) const { return loupes_[view == &first_ ? 0 : 1]; }

std::optional<PointList> PointEditor::PhotoOf(const QObject* watched) const {
  if (watched == &first_.Picture() || watched == &first_) return PointList::First;
  if (watched == &second_.Picture() || watched == &second_) return PointList::Second;
  return std::nullopt;
}

void PointEditor::ShowLoupe(PhotoView& view, QPointF at, QPoint pointer) {
  std::vector<QPointF> near;
  const double reach = PointLoupe::kSide / PointLoupe::Magnification(view.Picture().Zoom());
  for (const EditedPoint& point : model_.Points(&view == &first_ ? PointList::First : PointList::Second))
    if (std::abs(*point.X - at.x()) < reach && std::abs(*point.Y - at.y()) < reach)
      near.emplace_back(*point.X, *point.Y);
  LoupeOf(&view == &first_ ? &second_ : &first_)->hide();
  LoupeOf(&view)->ShowAt(view.Picture().Image(), at, view.Picture().Zoom(), pointer, std::move(near));
}

void PointEditor::HideLoupes() {
  for (PointLoupe* loupe : loupes_) loupe->hide();
}

bool PointEditor::eventFilter(QObject* watched, QEvent* event) {
  const std::optional<PointList> photo = PhotoOf(watched);
  if (!photo || !Editing()) return QObject::eventFilter(watched, event);
  const bool onPicture = watched == &ViewOf(*photo)->Picture();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (onPicture) return Press(*photo, static_cast<QMouseEvent&>(*event));
      break;
    case QEvent::MouseMove:
      if (onPicture) return MoveTo(*photo, static_cast<QMouseEvent&>(*event));
      break;
    case QEvent::MouseButtonRelease:
      if (onPicture) return Release(static_cast<QMouseEvent&>(*event));
      break;
    case QEvent::Leave:
      if (onPicture && !drag_) LoupeOf(ViewOf(*photo))->hide();
      break;
    case QEvent::KeyPress:
      if (!onPicture) return Key(*photo, static_cast<QKeyEvent&>(*event));
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

bool PointEditor::Press(PointList photo, QMouseEvent& event) {
  if (event.button() != Qt::LeftButton) return false;
  PhotoView& view = *ViewOf(photo);
  view.setFocus(Qt::MouseFocusReason);
  if (Blocked()) {
    emit StatusChanged(StatusText());
    return true;
  }
  const ImagePicture& picture = view.Picture();
  const QPointF at = PhotoPointAt(event.position(), picture.Zoom(), picture.devicePixelRatioF());
  const QSize size = picture.PictureSize();
  // A click outside the photograph places nothing.
  if (at.x() < 0 || at.y() < 0 || at.x() >= size.width() || at.y() >= size.height()) return true;
  const double scale = picture.Scale();
  const int hit = model_.Nearest(photo, event.position().x() / scale, event.position().y() / scale, kHitRadius / scale);
  Drag drag;
  drag.View = &view;
  drag.List = photo;
  if (hit >= 0) {
    drag.Index = hit;
    drag.From = model_.Points(photo)[static_cast<std::size_t>(hit)];
    selectedList_ = photo;
    Select(hit);
  } else {
    PointEdit edit = model_.Place(photo, at.x(), at.y());
    if (edit.Empty()) return true;
    drag.Index = edit.Changes.front().Index;
    auto* command = new Command(*this, std::move(edit), false);
    drag.Placed = command;
    stack_->push(command);
    selectedList_ = photo;
    Select(drag.Index);
  }
  drag_ = drag;
  ShowLoupe(view, at, view.Picture().mapTo(view.viewport(), event.position().toPoint()));
  return true;
}

bool PointEditor::MoveTo(PointList photo, QMouseEvent& event) {
  PhotoView& view = *ViewOf(photo);
  const ImagePicture& picture = view.Picture();
  const QPointF at = PhotoPointAt(event.position(), picture.Zoom(), picture.devicePixelRatioF());
  const QPoint pointer = view.Picture().mapTo(view.viewport(), event.position().toPoint());
  const QSize size = picture.PictureSize();
  const bool inside = at.x() >= 0 && at.y() >= 0 && at.x() < size.width() && at.y() < size.height();
  if (!drag_ || drag_->View != &view) {
    if (inside && !Blocked())
      ShowLoupe(view, at, pointer);
    else
      LoupeOf(&view)->hide();
    return false;
  }
  if (!inside) return true;  // the point stays at the last place inside
  drag_->Moved = true;
  if (drag_->Placed != nullptr)
    drag_->Placed->MovePlaced(at.x(), at.y());
  else
    model_.MoveLive(drag_->List, drag_->Index, at.x(), at.y());
  if (model_.Count(drag_->List) <= kMostMarks)
    view.MoveMark(static_cast<std::size_t>(drag_->Index), at.x(), at.y());
  else
    RefreshMarks();
  ShowLoupe(view, at, pointer);
  ShowModified(true);
  emit Edited();
  return true;
}

bool PointEditor::Release(QMouseEvent& event) {
  if (event.button() != Qt::LeftButton || !drag_) return false;
  const Drag drag = *drag_;
  drag_.reset();
  if (drag.Placed == nullptr && drag.Moved) {
    const EditedPoint to = model_.Points(drag.List)[static_cast<std::size_t>(drag.Index)];
    if (!(to == drag.From)) {
      // The point is already where the drag left it; the edit records the
      // way back.
      PointEdit edit{"перемещение точки " + std::to_string(drag.Index + 1),
                     {PointChange{PointChange::Kind::Set, drag.List, drag.Index, drag.From, to}}};
      Push(std::move(edit));
    }
  } else if (drag.Moved) {
    AfterChange();
  }
  return true;
}

bool PointEditor::Key(PointList photo, QKeyEvent& event) {
  int dx = 0;
  int dy = 0;
  switch (event.key()) {
    case Qt::Key_Left:
      dx = -1;
      break;
    case Qt::Key_Right:
      dx = 1;
      break;
    case Qt::Key_Up:
      dy = -1;
      break;
    case Qt::Key_Down:
      dy = 1;
      break;
    default:
      return false;
  }
  if (selected_ < 0 || selected_ >= model_.Count(photo) || Blocked()) return false;
  selectedList_ = photo;
  const double step = ((event.modifiers() & Qt::ShiftModifier) ? 10.0 : 1.0) / ViewOf(photo)->Picture().Zoom();
  const EditedPoint& point = model_.Points(photo)[static_cast<std::size_t>(selected_)];
  Push(model_.Move(photo, selected_, *point.X + dx * step, *point.Y + dy * step), true);
  return true;
}

}  // namespace vesk::gui
