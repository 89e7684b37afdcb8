#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QObject;
class QWidget;

namespace vesk::gui {

struct GuiContext;

// What the program asks before it ends. Every window with work that would
// be lost adds its question; closing the mode-selection window asks them in
// the order they were added. A question returns true to let the program end
// (the work was saved, or the user gave it up) and false to keep it running
// with everything as it was (Отмена, or a save that did not happen): then no
// later question is asked.
class QuitQuestions {
 public:
  using Question = std::function<bool()>;
  // The question goes with `owner` (an editor closed for good, a workspace).
  void Add(QObject* owner, Question question);
  bool MayQuit();

 private:
  struct Entry {
    QPointer<QObject> Owner;
    Question Ask;
  };
  std::vector<Entry> entries_;
};

// The usual question about unsaved work, added to the context's questions
// (nothing when it has none): while `modified()` holds, `owner` is brought
// forward and asks `text` ("Предупреждение", Да / Нет / Отмена); Да runs
// `save`, which returns true once the work is saved, Нет gives the work up.
// One line per kind of work, e.g. in a workspace's constructor:
//   AskBeforeQuitting(context_, this, "Точки изменены. Сохранить?", [this] { ... }, [this] { ... });
void AskBeforeQuitting(const GuiContext& context, QWidget* owner, const QString& text, std::function<bool()> modified,
                       std::function<bool()> save);

}  // namespace vesk::gui
