#include "gui/common/QuitQuestions.h"

#include <QWidget>

#include "common/UserDialogs.h"
#include "gui/common/GuiContext.h"

namespace vesk::gui {

void QuitQuestions::Add(QObject* owner, Question question) {
  std::erase_if(entries_, [](const Entry& entry) { return entry.Owner.isNull(); });
  entries_.push_back(Entry{owner, std::move(question)});
}

bool QuitQuestions::MayQuit() {
  // A question may add or drop others (a save that opens a window): the
  // list is walked by position, as it stands at each step.
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].Owner.isNull()) continue;
    const Question ask = entries_[i].Ask;
    if (!ask()) return false;
  }
  return true;
}

void AskBeforeQuitting(const GuiContext& context, QWidget* owner, const QString& text, std::function<bool()> modified,
                       std::function<bool()> save) {
  if (context.Quit == nullptr) return;
  MessageBoxes& boxes = context.Messages;
  context.Quit->Add(owner, [&boxes, owner, text, modified = std::move(modified), save = std::move(save)] {
    if (!modified()) return true;
    owner->show();
    owner->raise();
    owner->activateWindow();
    switch (boxes.AskYesNoCancel(owner, QString::fromUtf8(kWarningCaption), text)) {
      case MessageBoxes::Answer::Yes:
        return save();
      case MessageBoxes::Answer::No:
        return true;
      case MessageBoxes::Answer::Cancel:
        break;
    }
    return false;
  });
}

}  // namespace vesk::gui
