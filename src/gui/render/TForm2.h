#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/common/GuiContext.h"
#include "gui/render/ReferenceMarks.h"
#include "render/RenderRequest.h"
#include "render/RgbImage.h"

class QGroupBox;
class QLabel;
class QToolBar;

namespace vesk::gui {

class ImageScrollArea;

inline constexpr const char* kViewerCaption = "Стереовизуализация";
inline constexpr const char* kMarkFileReadError = "Ошибка чтения файла координат!";

// The result viewer: shows the result of one rendering job at one screen
// pixel per image pixel (fitted to the window when it opens, if larger;
// Ctrl+0 goes back to one pixel per pixel), saves it, and marks reference points of a
// coordinate file on the displayed picture (never in the result itself).
class TForm2 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm2(const GuiContext& context, QWidget* parent = nullptr);

  // What a job sets before it runs: the frame's title for the mode, the
  // mode, the window's size and the picture's size (the result's). The
  // area tells the scene coordinates of the pixels of a build-area result.
  void PrepareResult(BuildMode mode, PictureSize resultSize, const BuildArea& area);
  // The photographs the result was built from (paths); the caption names
  // them after what was built.
  void SetSourcePhotos(const std::string& photo1, const std::string& photo2);
  // Where the window goes when it first opens (centred on the screen when
  // none is set); the application's viewers cascade through it.
  void SetPlacement(std::function<void(TForm2&)> place) { place_ = std::move(place); }
  // The finished result; the viewer shares it and never changes it.
  void SetResult(std::shared_ptr<const RgbImage> result);

  BuildMode ResultMode() const { return mode_; }
  // Null until the job has finished.
  const RgbImage* ResultBitmap() const { return result_.get(); }
  const std::vector<MarkCross>& Marks() const { return marks_; }
  // The result as the window shows it, with the marks, one pixel per pixel.
  QImage DisplayedPicture() const;
  ImageScrollArea& ScrollBox() { return *scrollBox_; }

  // "Сохранить": the plain result into a BMP file (PNG or TIFF by the name).
  void ToolButton10Click();
  // "Реперные точки": every point of a coordinate file marked with a cross.
  void ToolButton11Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void PaintMarks(QPainter& painter, double scale) const;
  void ShowPointer(QPointF imagePoint);
  void ShowZoom(double zoom);
  QString SceneCoordinates(int column, int row) const;

  const GuiContext& context_;
  BuildMode mode_ = BuildMode::SecondToFirst;
  BuildArea area_;
  PictureSize size_;
  std::shared_ptr<const RgbImage> result_;
  std::vector<MarkCross> marks_;
  std::function<void(TForm2&)> place_;
  bool placed_ = false;

  QGroupBox* groupBox_;
  QToolBar* toolBar_;
  ImageScrollArea* scrollBox_;
  QLabel* position_;
  QLabel* zoom_;
};

}  // namespace vesk::gui
