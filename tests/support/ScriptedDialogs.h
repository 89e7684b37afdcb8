#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "gui/common/FileDialogs.h"
#include "gui/common/MessageBoxes.h"

namespace vesk::test {

// File dialogs that answer from a script: each call takes the next answer
// (an empty text cancels; nothing scripted cancels too) and remembers the
// request it got.
class ScriptedFileDialogs : public gui::FileDialogs {
 public:
  enum class Kind { Open, OpenMany, Save };
  struct Call {
    Kind What;
    gui::FileDialogRequest Request;
  };
  void Answer(const QString& path) { answers_.push_back(QStringList{path}); }
  void AnswerMany(const QStringList& paths) { answers_.push_back(paths); }

  QString OpenFileName(QWidget*, const gui::FileDialogRequest& request) override {
    return Next(Kind::Open, request).value(0);
  }
  QStringList OpenFileNames(QWidget*, const gui::FileDialogRequest& request) override {
    QStringList chosen = Next(Kind::OpenMany, request);
    chosen.removeAll(QString());
    return chosen;
  }
  QString SaveFileName(QWidget*, const gui::FileDialogRequest& request) override {
    return Next(Kind::Save, request).value(0);
  }

  std::vector<Call> Calls;

 private:
  QStringList Next(Kind kind, const gui::FileDialogRequest& request) {
    Calls.push_back(Call{kind, request});
    if (answers_.empty()) return {};
    QStringList answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  std::deque<QStringList> answers_;
};

// Message boxes that record what they show and answer questions from a
// script (No when nothing is scripted).
class RecordingMessageBoxes : public gui::MessageBoxes {
 public:
  struct Box {
    QWidget* Owner;
    MessageIcon Icon;
    QString Caption;
    QString Text;
    bool Question;
    bool WithCancel = false;  // a question with Yes, No and Cancel
  };
  using Answer = gui::MessageBoxes::Answer;
  void AnswerYes() { answers_.push_back(Answer::Yes); }
  void AnswerNo() { answers_.push_back(Answer::No); }
  // A Yes/No question takes Cancel as No.
  void AnswerCancel() { answers_.push_back(Answer::Cancel); }

  void Show(QWidget* owner, MessageIcon icon, const QString& caption, const QString& text) override {
    Boxes.push_back(Box{owner, icon, caption, text, false});
  }
  bool AskYesNo(QWidget* owner, const QString& caption, const QString& text) override {
    Boxes.push_back(Box{owner, MessageIcon::Information, caption, text, true});
    return Next() == Answer::Yes;
  }
  Answer AskYesNoCancel(QWidget* owner, const QString& caption, const QString& text) override {
    Boxes.push_back(Box{owner, MessageIcon::Information, caption, text, true, true});
    return Next();
  }

  // The texts shown, in order.
  QStringList Texts() const {
    QStringList texts;
    for (const Box& box : Boxes) texts << box.Text;
    return texts;
  }

  std::vector<Box> Boxes;

 private:
  Answer Next() {
    if (answers_.empty()) return Answer::No;
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  std::deque<Answer> answers_;
};

}  // namespace vesk::test
