#pragma once

#include <QRect>
#include <QWidget>

class QFrame;
class QLabel;

namespace vesk::gui {

class FileField;

// Where the header's pieces stand for a header `width` pixels wide: three
// columns split at a third of the width minus 10 and at two thirds minus 20
// (thirds by integer division). A field begins after its label and ends 10
// pixels before the next separator (the scene field 10 pixels before the
// right edge); its "..." button ends 11 pixels before it, inside the field's
// frame.
struct HeaderGeometry {
  int FirstSeparator = 0;
  int SecondSeparator = 0;
  // Rows 1 and 2 of the photograph and point-file columns, and the scene
  // field of row 1.
  QRect Photo1, Photo2, Points1, Points2, Scene;
  QRect Photo1Button, Photo2Button, Points1Button, Points2Button, SceneButton;
};

// `labelWidth` is what the labels in front of the fields take in each
// column: the row labels "1:"/"2:" and "Сцена:".
struct HeaderMetrics {
  int RowLabelWidth = 16;
  int SceneLabelWidth = 48;
  int FieldHeight = 24;
  int TitleHeight = 18;  // the column titles above the rows
};

HeaderGeometry LayOutHeader(int width, const HeaderMetrics& metrics);

// The header of the reference-point workspace: the two photographs, their
// point files and the scene point file, each a file field with its "..."
// button, under the column titles "Изображения" and "Реперные точки".
class PointFilesHeader : public QWidget {
  Q_OBJECT

 public:
  explicit PointFilesHeader(QWidget* parent = nullptr);

  FileField& Photo1() { return *photo1_; }    // Edit8, Button5
  FileField& Photo2() { return *photo2_; }    // Edit7, Button6
  FileField& Points1() { return *points1_; }  // Edit9, Button7
  FileField& Points2() { return *points2_; }  // Edit10, Button8
  FileField& Scene() { return *scene_; }      // Edit12, Button10

  // Places everything by the layout rule for the current width.
  void LayOut();
  HeaderMetrics Metrics() const { return metrics_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  FileField* photo1_;
  FileField* photo2_;
  FileField* points1_;
  FileField* points2_;
  FileField* scene_;
  QLabel* imagesTitle_;
  QLabel* pointsTitle_;
  QLabel* photoRow1_;
  QLabel* photoRow2_;
  QLabel* pointsRow1_;
  QLabel* pointsRow2_;
  QLabel* sceneLabel_;
  QFrame* bevel1_;
  QFrame* bevel2_;
  HeaderMetrics metrics_;
};

}  // namespace vesk::gui
