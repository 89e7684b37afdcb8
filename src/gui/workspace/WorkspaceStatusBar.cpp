#include "gui/workspace/WorkspaceStatusBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "gui/common/FieldStyle.h"

namespace vesk::gui {

WorkspaceStatusBar::WorkspaceStatusBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("StatusBar"));
  status_ = new QLineEdit(this);
  status_->setObjectName(QStringLiteral("Edit3"));
  MakeReadOnlyBold(*status_);
  status_->setFocusPolicy(Qt::ClickFocus);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("ProgressBar1"));
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  time_ = new QLineEdit(this);
  time_->setObjectName(QStringLiteral("Edit2"));
  MakeReadOnlyBold(*time_);
  time_->setFocusPolicy(Qt::ClickFocus);
  time_->setAlignment(Qt::AlignCenter);
  // Room for "10 : 59 : 59" in the bold font.
  time_->setFixedWidth(time_->fontMetrics().horizontalAdvance(QStringLiteral("000 : 00 : 00")) + 16);

  note_ = new QLabel(this);
  note_->setObjectName(QStringLiteral("StatusNote"));
  note_->hide();

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(note_);
  layout->addWidget(status_, 3);
  layout->addWidget(progress_, 4);
  layout->addWidget(time_);
}

void WorkspaceStatusBar::ShowNote(const QString& note) {
  note_->setText(note);
  note_->setToolTip(note);
  note_->setVisible(!note.isEmpty());
}

void WorkspaceStatusBar::ShowStart(const QString& status) {
  time_->setText(QString::fromLatin1(kStartElapsedText));
  status_->setText(status);
  repaint();
}

// The percentage is written on the bar only while something advances it.
void WorkspaceStatusBar::ShowPosition(int percent) {
  progress_->setValue(percent);
  progress_->setTextVisible(percent > 0);
}

void WorkspaceStatusBar::ShowElapsed(const QString& text) {
  time_->setText(text);
  time_->repaint();
}

void WorkspaceStatusBar::ShowFinish() {
  time_->clear();
  status_->clear();
  ShowPosition(100);
}

void WorkspaceStatusBar::ResetDisplay() {
  ShowPosition(0);
  time_->clear();
  status_->clear();
}

}  // namespace vesk::gui
