#pragma once

#include <QPixmap>
#include <QWidget>

class QFrame;
class QPushButton;

namespace vesk::gui {

inline constexpr const char* kModeSelectionTitle = "Построение стереоизображений";

// The program's main window: the choice between building by reference points
// and by orientation parameters. After the first choice it shrinks to a bar
// of its two buttons in the top-left corner, from which the other workspace
// can be opened at any time. Closing it ends the program.
class TMainVisForm : public QWidget {
  Q_OBJECT

 public:
  explicit TMainVisForm(QWidget* parent = nullptr);
  // The windows the two buttons show.
  void SetWorkspaces(QWidget& referencePointWorkspace, QWidget& orientationWorkspace);

  // The picture hidden, the window a bar of 420 by 80 pixels (its frame) at
  // (50, 50) with a strip of 40.
  void ShrinkToBar();

  // "По реперным точкам" and "По параметрам ориентации": the workspace shown
  // (not modal), then ShrinkToBar.
  void Button1Click();
  void Button2Click();

 signals:
  void Closed();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowWorkspace(QWidget* workspace);
  // The strip across the top, the picture filling the rest.
  void PlaceAreas();
  // The two buttons side by side in the strip.
  void Panel1Resize();

  QWidget* referencePoints_ = nullptr;
  QWidget* orientation_ = nullptr;
  int stripHeight_ = 49;
  QFrame* panel1_;
  QPushButton* button1_;
  QPushButton* button2_;
  QWidget* image1_;
};

}  // namespace vesk::gui
