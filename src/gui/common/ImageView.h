#pragma once

#include <QImage>
#include <QScrollArea>
#include <QWidget>
#include <functional>
#include <optional>

class QAction;

namespace vesk::gui {

// A picture drawn at a zoom: 1 puts one image pixel on one screen (device)
// pixel, the way photographs and results are judged. Pixels are never
// blended: every zoom shows whole image pixels as blocks.
class ImagePicture : public QWidget {
  Q_OBJECT

 public:
  explicit ImagePicture(QWidget* parent = nullptr);

  // Shown as it is; QImage shares its pixels, so nothing is copied.
  void SetImage(const QImage& image);
  const QImage& Image() const { return image_; }
  // The picture's size in image pixels: the image's, or the size set for a
  // picture whose image is still to come.
  QSize PictureSize() const { return size_; }
  void SetPictureSize(QSize size);

  double Zoom() const { return zoom_; }
  void SetZoom(double zoom);
  // Logical (widget) pixels per image pixel at the current zoom.
  double Scale() const;

  // Painted over the image with the painter in image-pixel coordinates:
  // image pixel (x, y) covers the unit square at (x, y). `scale` is the
  // logical size of one image pixel.
  using Overlay = std::function<void(QPainter& painter, double scale)>;
  void SetOverlay(Overlay overlay);
  // While the overlay paints: the part of the widget being painted, in
  // widget pixels; an overlay with many items draws only what touches it.
  QRect PaintedRect() const { return painted_; }

  QSize sizeHint() const override;

 signals:
  // The pointer's position in image pixels (fractional), while it is over
  // the picture.
  void PointerMoved(QPointF imagePoint);
  void PointerLeft();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void UpdateSize();

  QImage image_;
  QSize size_;
  double zoom_ = 1.0;
  Overlay overlay_;
  QRect painted_;
};

// A scrolling area around one ImagePicture, with the zoom commands users of
// image viewers expect: Ctrl+wheel around the pointer, Ctrl+plus and
// Ctrl+minus, Ctrl+0 back to one screen pixel per image pixel, Ctrl+F to fit
// the window. The commands work while the area or a child has the focus, and
// from its context menu.
class ImageScrollArea : public QScrollArea {
  Q_OBJECT

 public:
  explicit ImageScrollArea(QWidget* parent = nullptr);

  ImagePicture& Picture() { return *picture_; }
  const ImagePicture& Picture() const { return *picture_; }

  static constexpr double kMinZoom = 1.0 / 32;
  static constexpr double kMaxZoom = 32;

  // Sets the zoom, keeping the image point under `anchor` (viewport
  // coordinates; the viewport's centre when none) where it is.
  void SetZoom(double zoom, std::optional<QPoint> anchor = std::nullopt);
  void ZoomIn();
  void ZoomOut();
  void ActualSize();
  // The zoom at which the whole picture fits the viewport.
  void FitToWindow();

  // The four zoom commands, for menus of the window around the area.
  QList<QAction*> ZoomActions() const { return actions_; }

 signals:
  void ZoomChanged(double zoom);

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QAction* AddAction(const QString& text, const QList<QKeySequence>& keys, void (ImageScrollArea::*command)());

  ImagePicture* picture_;
  QList<QAction*> actions_;
  int wheelTurn_ = 0;  // eighths of a degree not yet turned into zoom steps
};

// The zoom step after or before `zoom` on the ladder users expect
// (..., 1/2, 2/3, 1, 3/2, 2, 3, 4, ...).
double NextZoomIn(double zoom);
double NextZoomOut(double zoom);

// Percent text of a zoom: "100 %", "33 %", "1600 %".
QString ZoomPercentText(double zoom);

}  // namespace vesk::gui
