#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <vector>

#include "gui/common/ImageView.h"
#include "qt/ImageFiles.h"

namespace vesk::gui {

// A mark drawn over a photograph: a cross of constant screen size centred on
// a position in photograph pixels (column, row; continuous, (0, 0) is the
// top-left corner of the first pixel), with an optional label beside it.
struct PhotoMark {
  double X = 0;
  double Y = 0;
  QColor Colour = QColor(255, 0, 0);
  QString Label;
  bool Bold = false;  // drawn thicker: a selected or an outstanding point
};

// A closed line over a photograph through positions in photograph pixels
// (continuous, as marks), drawn a screen pixel wide whatever the zoom, over a
// dark border that keeps it visible on light and dark parts alike. Fewer
// than two corners draw nothing.
struct PhotoOutline {
  std::vector<QPointF> Corners;
  QColor Colour = QColor(255, 255, 0);
};

// A workspace's view of one photograph: at one screen pixel per photograph
// pixel at first, scrolled when larger than the view, zoomed like a result
// viewer. It shares the photograph's pixels (nothing is copied) and keeps
// them alive while it shows them.
class PhotoView : public ImageScrollArea {
  Q_OBJECT

 public:
  explicit PhotoView(QWidget* parent = nullptr);

  // Shows `photo` (null shows nothing); the view takes its size, the zoom
  // stays.
  void SetPhoto(qt::SharedPhoto photo);
  const qt::SharedPhoto& Photo() const { return photo_; }

  void SetMarks(std::vector<PhotoMark> marks);
  const std::vector<PhotoMark>& Marks() const { return marks_; }
  // Moves one mark, repainting only around its old and new place (a point
  // dragged among thousands).
  void MoveMark(std::size_t index, double x, double y);
  // Whether a mark's label is drawn: labels that would overlap one drawn
  // before them are left out, at the current zoom.
  bool LabelShown(std::size_t index) const;
  // How many marks the last repaint drew.
  std::size_t DrawnMarks() const { return drawn_; }

  void SetOutline(PhotoOutline outline);
  const PhotoOutline& Outline() const { return outline_; }

  // Half the length of a mark's arms, in screen pixels.
  static constexpr int kMarkArm = 6;
  // The most marks one repaint draws: beyond that an evenly spread share of
  // them, so that a huge point file cannot stall the window.
  static constexpr std::size_t kMaxDrawnMarks = 4000;

 private:
  void PaintMarks(QPainter& painter, double scale) const;
  void PaintOutline(QPainter& painter, double scale) const;
  void LayOutLabels(double scale) const;
  QRectF MarkBounds(const PhotoMark& mark, double scale) const;

  qt::SharedPhoto photo_;
  std::vector<PhotoMark> marks_;
  mutable std::vector<bool> labelShown_;
  mutable double labelScale_ = 0;
  mutable std::size_t drawn_ = 0;  // the scale labelShown_ was laid out for; 0: to do
  PhotoOutline outline_;
};

// Keeps the zoom and the scroll position of two views the same while it is
// locked, so that the same part of both photographs of a pair stays in
// sight. Unlocked, each view goes its own way.
class ViewLock : public QObject {
  Q_OBJECT

 public:
  ViewLock(ImageScrollArea& first, ImageScrollArea& second, QObject* parent = nullptr);

  bool Locked() const { return locked_; }
  // Locking brings the second view to the first's zoom and position.
  void SetLocked(bool locked);

 private:
  void Follow(ImageScrollArea& leader, ImageScrollArea& follower);

  ImageScrollArea& first_;
  ImageScrollArea& second_;
  bool locked_ = false;
  bool following_ = false;  // a change made here is not echoed back
};

}  // namespace vesk::gui
