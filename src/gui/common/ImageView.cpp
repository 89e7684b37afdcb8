#include "gui/common/ImageView.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>

namespace vesk::gui {
namespace {

constexpr std::array<double, 21> kZoomLadder = {1.0 / 32, 1.0 / 24, 1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4,
                                                1.0 / 3,  1.0 / 2,  2.0 / 3,  1.0,      1.5,     2.0,     3.0,
                                                4.0,      6.0,      8.0,      12.0,     16.0,    24.0,    32.0};
constexpr double kSameZoom = 1e-9;
// One notch of a wheel, in eighths of a degree.
constexpr int kWheelNotch = 120;

}  // namespace

double NextZoomIn(double zoom) {
  for (double step : kZoomLadder)
    if (step > zoom * (1 + kSameZoom)) return step;
  return kZoomLadder.back();
}

double NextZoomOut(double zoom) {
  for (auto it = kZoomLadder.rbegin(); it != kZoomLadder.rend(); ++it)
    if (*it < zoom * (1 - kSameZoom)) return *it;
  return kZoomLadder.front();
}

QString ZoomPercentText(double zoom) { return QStringLiteral("%1 %").arg(std::lround(zoom * 100)); }

ImagePicture::ImagePicture(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImagePicture::SetImage(const QImage& image) {
  image_ = image;
  size_ = image.size();
  UpdateSize();
  update();
}

void ImagePicture::SetPictureSize(QSize size) {
  size_ = size;
  UpdateSize();
  update();
}

void ImagePicture::SetZoom(double zoom) {
  zoom_ = std::clamp(zoom, ImageScrollArea::kMinZoom, ImageScrollArea::kMaxZoom);
  UpdateSize();
  update();
}

double ImagePicture::Scale() const { return zoom_ / devicePixelRatioF(); }

void ImagePicture::SetOverlay(Overlay overlay) {
  overlay_ = std::move(overlay);
  update();
}

QSize ImagePicture::sizeHint() const {
  const double scale = Scale();
  return QSize(static_cast<int>(std::ceil(size_.width() * scale)), static_cast<int>(std::ceil(size_.height() * scale)));
}

void ImagePicture::UpdateSize() { resize(sizeHint()); }

void ImagePicture::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const double scale = Scale();
  const QRect exposed = event->rect();
  painter.fillRect(exposed, Qt::white);
  // Only the image pixels the exposed area touches are drawn: a large
  // picture costs what the window shows of it.
  const int x0 = std::max(0, static_cast<int>(std::floor(exposed.left() / scale)));
  const int y0 = std::max(0, static_cast<int>(std::floor(exposed.top() / scale)));
  const int x1 = std::min(size_.width(), static_cast<int>(std::ceil((exposed.right() + 1) / scale)));
  const int y1 = std::min(size_.height(), static_cast<int>(std::ceil((exposed.bottom() + 1) / scale)));
  if (!image_.isNull() && x1 > x0 && y1 > y0) {
    const QRect source(x0, y0, x1 - x0, y1 - y0);
    const QRectF target(x0 * scale, y0 * scale, source.width() * scale, source.height() * scale);
    painter.drawImage(target, image_, source);
  }
  if (overlay_) {
    painted_ = exposed;
    painter.scale(scale, scale);
    overlay_(painter, scale);
  }
}

void ImagePicture::mouseMoveEvent(QMouseEvent* event) {
  const double scale = Scale();
  const QPointF point(event->position().x() / scale, event->position().y() / scale);
  if (point.x() >= 0 && point.y() >= 0 && point.x() < size_.width() && point.y() < size_.height())
    emit PointerMoved(point);
  else
    emit PointerLeft();
  QWidget::mouseMoveEvent(event);
}

void ImagePicture::leaveEvent(QEvent* event) {
  emit PointerLeft();
  QWidget::leaveEvent(event);
}

void ImagePicture::changeEvent(QEvent* event) {
  // Moved to a screen of another pixel ratio: one image pixel stays one
  // screen pixel.
  if (event->type() == QEvent::ScreenChangeInternal) UpdateSize();
  QWidget::changeEvent(event);
}

ImageScrollArea::ImageScrollArea(QWidget* parent) : QScrollArea(parent), picture_(new ImagePicture) {
  setWidget(picture_);
  setWidgetResizable(false);
  setBackgroundRole(QPalette::Dark);
  setFocusPolicy(Qt::StrongFocus);
  AddAction(QStringLiteral("Увеличить"),
            {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, &ImageScrollArea::ZoomIn);
  AddAction(QStringLiteral("Уменьшить"), {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, &ImageScrollArea::ZoomOut);
  AddAction(QStringLiteral("Пиксель в пиксель"), {QKeySequence(Qt::CTRL | Qt::Key_0)}, &ImageScrollArea::ActualSize);
  AddAction(QStringLiteral("По размеру окна"), {QKeySequence(Qt::CTRL | Qt::Key_F)}, &ImageScrollArea::FitToWindow);
}

QAction* ImageScrollArea::AddAction(const QString& text, const QList<QKeySequence>& keys,
                                    void (ImageScrollArea::*command)()) {
  auto* action = new QAction(text, this);
  action->setShortcuts(keys);
  action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(action, &QAction::triggered, this, command);
  addAction(action);
  actions_.push_back(action);
  return action;
}

void ImageScrollArea::SetZoom(double zoom, std::optional<QPoint> anchor) {
  zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  const QPoint at = anchor.value_or(viewport()->rect().center());
  const double oldScale = picture_->Scale();
  // The image point under the anchor, in image pixels.
  // The image point under the anchor; the area moves the picture by the
  // scrolled amount.
  const double px = (at.x() - picture_->x()) / oldScale;
  const double py = (at.y() - picture_->y()) / oldScale;
  picture_->SetZoom(zoom);
  const double newScale = picture_->Scale();
  horizontalScrollBar()->setValue(static_cast<int>(std::lround(px * newScale - at.x())));
  verticalScrollBar()->setValue(static_cast<int>(std::lround(py * newScale - at.y())));
  emit ZoomChanged(picture_->Zoom());
}

void ImageScrollArea::ZoomIn() { SetZoom(NextZoomIn(picture_->Zoom())); }
void ImageScrollArea::ZoomOut() { SetZoom(NextZoomOut(picture_->Zoom())); }
void ImageScrollArea::ActualSize() { SetZoom(1.0); }

void ImageScrollArea::FitToWindow() {
  const QSize picture = picture_->PictureSize();
  if (picture.isEmpty()) return;
  const QSize room = maximumViewportSize();
  const double ratio = devicePixelRatioF();
  const double zoom = std::min(room.width() * ratio / picture.width(), room.height() * ratio / picture.height());
  SetZoom(zoom);
}

void ImageScrollArea::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) {
    QScrollArea::wheelEvent(event);
    return;
  }
  event->accept();
  wheelTurn_ += event->angleDelta().y();
  const QPoint at = viewport()->mapFrom(this, event->position().toPoint());
  while (wheelTurn_ >= kWheelNotch) {
    wheelTurn_ -= kWheelNotch;
    SetZoom(NextZoomIn(picture_->Zoom()), at);
  }
  while (wheelTurn_ <= -kWheelNotch) {
    wheelTurn_ += kWheelNotch;
    SetZoom(NextZoomOut(picture_->Zoom()), at);
  }
}

void ImageScrollArea::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addActions(actions_);
  menu.exec(event->globalPos());
}

}  // namespace vesk::gui
