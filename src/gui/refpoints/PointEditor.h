#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editing/PointEditModel.h"
#include "files/ReadFailure.h"
#include "gui/common/GuiContext.h"
#include "gui/workspace/PhotoView.h"

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QToolBar;
class QUndoStack;

namespace vesk::gui {

class PointLoupe;

inline constexpr const char* kPointsChangedQuestion = "Точки изменены. Сохранить?";

// The answer to "Точки изменены. Сохранить?".
enum class SaveAnswer { Yes, No, Cancel };
// Asks the question with Да, Нет and Отмена; behind a function so that tests
// answer it without a modal loop.
using SaveQuestion = std::function<SaveAnswer(QWidget* owner, const QString& text)>;
SaveAnswer AskWithMessageBox(QWidget* owner, const QString& text);

// Point editing over the two photograph views of the reference-point
// workspace: the "Точки" menu and its tool bar, placing, selecting, dragging,
// nudging and deleting points with the mouse and keys, the loupe, undo and
// redo, and saving the edited lists. The lists live in a PointEditModel; this
// class turns user actions into its edits and shows what they did.
class PointEditor : public QObject {
  Q_OBJECT

 public:
  PointEditor(const GuiContext& context, QMainWindow& window, PhotoView& first, PhotoView& second);
  ~PointEditor() override;
  // Stops watching the views: called before they are destroyed, since Qt
  // still sends events to a half-destroyed view's filters.
  void StopWatching();

  // The "Точки" menu, added to `bar` at the end, and a tool bar.
  void AddMenu(QMenuBar& bar);
  QToolBar* ToolBar() const { return toolBar_; }
  void SetSaveQuestion(SaveQuestion question) { question_ = std::move(question); }

  const PointEditModel& Model() const { return model_; }
  QUndoStack& Stack() { return *stack_; }
  bool Editing() const;
  QAction& EditAction() { return *editAction_; }
  void SetEditing(bool on);

  // The files of the input set: each list whose path changed (every list
  // with `all`) is read from its file, an empty path giving an empty list,
  // and the edits of before are dropped. A photo path proposes the name of a
  // list saved for the first time.
  void SetFiles(const std::array<std::string, 3>& lists, const std::array<std::string, 2>& photos, bool all = false);
  const std::string& Path(PointList list) const { return paths_[static_cast<std::size_t>(list)]; }
  // Reads one list again from its file (changed on disk), dropping its edits.
  void Reload(PointList list);
  // Why a list's file could not be read; such a list is not edited.
  const std::optional<ReadFailure>& Failure(PointList list) const { return failures_[static_cast<std::size_t>(list)]; }
  bool Unsaved() const { return model_.AnyChanged(); }
  // True while a large point file is read in the background; its list is
  // not edited until it is in.
  bool Loading() const;
  // Files above this size are read off the user-interface thread.
  static constexpr qint64 kBackgroundReadBytes = 1 << 20;

  // Writes every changed list; a list without a file asks for its name
  // first. False when a dialog was cancelled or a file not written (the user
  // was told why).
  bool Save();
  // With unsaved edits asks "Точки изменены. Сохранить?": Да saves (a failed
  // or cancelled save counts as Отмена), Нет keeps the edits for the caller
  // to drop or not. Without unsaved edits: No.
  SaveAnswer AskToSave();

  // The scene coordinates of pair `index`, typed by the user: one edit.
  void SetScene(int index, EditedPoint point);

  // The selected pair, or -1; the row of the residual panel selects it too.
  int Selected() const { return selected_; }
  void Select(int index);
  // The point whose residual stands out, marked on both photographs; -1: none.
  void SetOutstanding(int index);

  // The most marks made of one list: a huge list is marked by an evenly
  // spread share of its points (each still numbered by its line).
  static constexpr int kMostMarks = 100000;
  // The marks of a photograph's list as they stand.
  std::vector<PhotoMark> Marks(PointList photo) const;
  QString StatusText() const;

 signals:
  // The user changed the lists (an edit, an undo or redo, a point being
  // dragged).
  void Edited();
  // Lists were read again from their files.
  void Reloaded();
  // The marks are to be drawn anew (Marks).
  void MarksChanged();
  void SelectionChanged(int index);
  // A list was written to its file.
  void ListSaved(const std::string& path);
  // A list got its file from its first save.
  void FileNamed(PointList list, const std::string& path);
  void StatusChanged(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Command;
  friend class Command;
  struct Drag {
    PhotoView* View = nullptr;
    PointList List = PointList::First;
    int Index = -1;
    EditedPoint From;
    Command* Placed = nullptr;  // the command of a point placed by this press
    bool Moved = false;
  };

  PhotoView* ViewOf(PointList photo) const { return photo == PointList::First ? &first_ : &second_; }
  PointLoupe* LoupeOf(const PhotoView* view) const;
  std::optional<PointList> PhotoOf(const QObject* watched) const;
  bool Blocked() const;
  void Push(PointEdit edit, bool nudge = false);
  void AfterChange(bool edited = true);
  void ShowModified(bool modified);
  void RefreshMarks();
  void UpdateActions();
  void ShowLoupe(PhotoView& view, QPointF at, QPoint pointer);
  void HideLoupes();
  bool Press(PointList photo, QMouseEvent& event);
  bool MoveTo(PointList photo, QMouseEvent& event);
  bool Release(QMouseEvent& event);
  bool Key(PointList photo, QKeyEvent& event);
  void DeleteSelected();
  std::optional<std::string> AskFileName(PointList list);
  void Loaded(PointList list, std::vector<EditedPoint> points, std::optional<ReadFailure> failure);

  const GuiContext& context_;
  QMainWindow& window_;
  PhotoView& first_;
  PhotoView& second_;
  PointEditModel model_;
  QUndoStack* stack_;
  std::array<PointLoupe*, 2> loupes_{};
  QToolBar* toolBar_ = nullptr;
  QAction* editAction_;
  QAction* undoAction_;
  QAction* redoAction_;
  QAction* deleteAction_;
  QAction* saveAction_;
  SaveQuestion question_ = AskWithMessageBox;
  std::array<std::string, 3> paths_;
  std::array<std::string, 2> photos_;
  std::array<std::optional<ReadFailure>, 3> failures_;
  std::array<bool, 3> loading_{};
  std::array<int, 3> generation_{};  // of each list's reading: a newer one makes older results void
  int selected_ = -1;
  PointList selectedList_ = PointList::First;
  int outstanding_ = -1;
  std::optional<Drag> drag_;
};

// A photograph pixel position from a pointer position on a picture shown at
// `zoom` with `ratio` device pixels per widget pixel: the centre of the
// screen pixel under the pointer, ((sx + 0.5) / zoom, (sy + 0.5) / zoom).
QPointF PhotoPointAt(QPointF widgetPosition, double zoom, double ratio);

}  // namespace vesk::gui
