#include "gui/app/TMainVisForm.h"

#include <QCloseEvent>
#include <QFrame>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>

#include "gui/app/AppResources.h"
#include "gui/common/QuitQuestions.h"

namespace vesk::gui {
namespace {

// The title picture, filling its area. It is scaled to cover the area with
// its proportions kept, the overflow cut evenly, so that the stereo picture
// is never squeezed out of shape.
class TitleImage : public QWidget {
 public:
  explicit TitleImage(QWidget* parent) : QWidget(parent), picture_(TitlePicture()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  const QPixmap& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (picture_.isNull() || width() == 0 || height() == 0) {
      painter.fillRect(rect(), palette().window());
      return;
    }
    const QSizeF cover = QSizeF(picture_.size()).scaled(size(), Qt::KeepAspectRatioByExpanding);
    const QPointF origin((width() - cover.width()) / 2, (height() - cover.height()) / 2);
    painter.drawPixmap(QRectF(origin, cover), picture_, QRectF(picture_.rect()));
  }

 private:
  QPixmap picture_;
};

}  // namespace

TMainVisForm::TMainVisForm(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("MainVisForm"));
  setWindowTitle(QString::fromUtf8(kModeSelectionTitle));
  setWindowIcon(ProgramIcon());
  setMinimumSize(420, 80);
  resize(726, 547);

  panel1_ = new QFrame(this);
  panel1_->setObjectName(QStringLiteral("Panel1"));
  button1_ = new QPushButton(QStringLiteral("По реперным точкам"), panel1_);
  button1_->setObjectName(QStringLiteral("Button1"));
  button2_ = new QPushButton(QStringLiteral("По параметрам ориентации"), panel1_);
  button2_->setObjectName(QStringLiteral("Button2"));
  image1_ = new TitleImage(this);
  image1_->setObjectName(QStringLiteral("Image1"));

  connect(button1_, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(button2_, &QPushButton::clicked, this, [this] { Button2Click(); });
  PlaceAreas();
}

void TMainVisForm::Button1Click() { ShowWorkspace(referencePoints_); }
void TMainVisForm::Button2Click() { ShowWorkspace(orientation_); }

void TMainVisForm::SetWorkspaces(QWidget& referencePointWorkspace, QWidget& orientationWorkspace) {
  referencePoints_ = &referencePointWorkspace;
  orientation_ = &orientationWorkspace;
}

// Shown, or brought forward when it is open already.
void TMainVisForm::ShowWorkspace(QWidget* workspace) {
  if (workspace != nullptr) {
    workspace->show();
    workspace->raise();
    workspace->activateWindow();
  }
  ShrinkToBar();
}

void TMainVisForm::ShrinkToBar() {
  image1_->hide();
  stripHeight_ = 40;
  // The sizes are those of the whole window, frame included, as the window
  // manager draws it; before it has framed the window the frame is nothing.
  const QSize frame = frameGeometry().size() - size();
  const QSize client(std::max(1, 420 - frame.width()), std::max(stripHeight_, 80 - frame.height()));
  setMinimumSize(client);
  resize(client);
  move(50, 50);
  PlaceAreas();
}

void TMainVisForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceAreas();
}

void TMainVisForm::PlaceAreas() {
  panel1_->setGeometry(0, 0, width(), stripHeight_);
  Panel1Resize();
  image1_->setGeometry(0, stripHeight_, width(), std::max(0, height() - stripHeight_));
}

void TMainVisForm::Panel1Resize() {
  const int w = panel1_->width();
  const int h = panel1_->height();
  button1_->setGeometry(1, 1, w / 2, h - 2);
  button2_->setGeometry(w / 2 + 1, 1, w / 2 - 2, h - 2);
}

void TMainVisForm::closeEvent(QCloseEvent* event) {
  if (quit_ != nullptr && !quit_->MayQuit()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
  emit Closed();
}

}  // namespace vesk::gui
