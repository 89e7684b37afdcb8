#include "gui/refpoints/PointFilesHeader.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "gui/workspace/FileField.h"

namespace vesk::gui {
namespace {

constexpr int kLabelIndent = 6;  // from a column's start to its label
constexpr int kLabelGap = 4;     // from a label to its field
constexpr int kRowGap = 4;

QLabel* Label(const char* name, const char* text, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

// A field from `left` to `right` (exclusive) with its button ending one
// pixel inside the field's right end.
void PlaceField(QRect& field, QRect& button, int left, int right, int top, int height) {
  field = QRect(left, top, std::max(right - left, 0), height);
  const int side = height - 2;
  button = QRect(right - 1 - side, top + 1, side, side);
}

}  // namespace

HeaderGeometry LayOutHeader(int width, const HeaderMetrics& metrics) {
  HeaderGeometry g;
  const int third = width / 3;
  g.FirstSeparator = third - 10;
  g.SecondSeparator = 2 * third - 20;
  const int row1 = metrics.TitleHeight + kRowGap;
  const int row2 = row1 + metrics.FieldHeight + kRowGap;
  const int h = metrics.FieldHeight;
  const int afterRowLabel = kLabelIndent + metrics.RowLabelWidth + kLabelGap;
  PlaceField(g.Photo1, g.Photo1Button, afterRowLabel, g.FirstSeparator - 10, row1, h);
  PlaceField(g.Photo2, g.Photo2Button, afterRowLabel, g.FirstSeparator - 10, row2, h);
  PlaceField(g.Points1, g.Points1Button, g.FirstSeparator + afterRowLabel, g.SecondSeparator - 10, row1, h);
  PlaceField(g.Points2, g.Points2Button, g.FirstSeparator + afterRowLabel, g.SecondSeparator - 10, row2, h);
  PlaceField(g.Scene, g.SceneButton, g.SecondSeparator + kLabelIndent + metrics.SceneLabelWidth + kLabelGap, width - 10,
             row1, h);
  return g;
}

PointFilesHeader::PointFilesHeader(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Panel1"));
  imagesTitle_ = Label("Label1", "Изображения", this);
  pointsTitle_ = Label("Label2", "Реперные точки", this);
  photoRow1_ = Label("Label3", "1:", this);
  photoRow2_ = Label("Label4", "2:", this);
  pointsRow1_ = Label("Label5", "1:", this);
  pointsRow2_ = Label("Label6", "2:", this);
  sceneLabel_ = Label("Label7", "Сцена:", this);
  for (QLabel* title : {imagesTitle_, pointsTitle_}) {
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
  }
  photo1_ = new FileField(QStringLiteral("Edit8"), QStringLiteral("Button5"), this);
  photo2_ = new FileField(QStringLiteral("Edit7"), QStringLiteral("Button6"), this);
  points1_ = new FileField(QStringLiteral("Edit9"), QStringLiteral("Button7"), this);
  points2_ = new FileField(QStringLiteral("Edit10"), QStringLiteral("Button8"), this);
  scene_ = new FileField(QStringLiteral("Edit12"), QStringLiteral("Button10"), this);
  bevel1_ = new QFrame(this);
  bevel1_->setObjectName(QStringLiteral("Bevel1"));
  bevel2_ = new QFrame(this);
  bevel2_->setObjectName(QStringLiteral("Bevel2"));
  for (QFrame* bevel : {bevel1_, bevel2_}) {
    bevel->setFrameShape(QFrame::VLine);
    bevel->setFrameShadow(QFrame::Sunken);
  }

  const QFontMetrics labels = fontMetrics();
  metrics_.RowLabelWidth = labels.horizontalAdvance(QStringLiteral("2:")) + 2;
  metrics_.SceneLabelWidth = labels.horizontalAdvance(sceneLabel_->text()) + 2;
  metrics_.TitleHeight = QFontMetrics(imagesTitle_->font()).height() + 2;
  metrics_.FieldHeight = photo1_->Edit()->sizeHint().height();
  const int buttonSide = metrics_.FieldHeight - 2;
  for (FileField* field : {photo1_, photo2_, points1_, points2_, scene_}) {
    // The text stops where the button inside the field begins.
    field->Edit()->setTextMargins(0, 0, buttonSide, 0);
    field->Button()->setFixedSize(buttonSide, buttonSide);
    field->Button()->setToolTip(QStringLiteral("Выбрать файл"));
  }
  setFixedHeight(sizeHint().height());
  LayOut();
}

QSize PointFilesHeader::sizeHint() const {
  const int height = metrics_.TitleHeight + 2 * (kRowGap + metrics_.FieldHeight) + kRowGap + 2;
  return QSize(600, height);
}

QSize PointFilesHeader::minimumSizeHint() const { return QSize(300, sizeHint().height()); }

void PointFilesHeader::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

void PointFilesHeader::LayOut() {
  const HeaderGeometry g = LayOutHeader(width(), metrics_);
  const auto place = [](FileField& field, const QRect& edit, const QRect& button) {
    field.Edit()->setGeometry(edit);
    field.Button()->setGeometry(button);
    field.Button()->raise();
  };
  place(*photo1_, g.Photo1, g.Photo1Button);
  place(*photo2_, g.Photo2, g.Photo2Button);
  place(*points1_, g.Points1, g.Points1Button);
  place(*points2_, g.Points2, g.Points2Button);
  place(*scene_, g.Scene, g.SceneButton);

  const auto labelAt = [this](QLabel& label, int left, const QRect& field) {
    label.setGeometry(left, field.top(), field.left() - kLabelGap - left, field.height());
  };
  labelAt(*photoRow1_, kLabelIndent, g.Photo1);
  labelAt(*photoRow2_, kLabelIndent, g.Photo2);
  labelAt(*pointsRow1_, g.FirstSeparator + kLabelIndent, g.Points1);
  labelAt(*pointsRow2_, g.FirstSeparator + kLabelIndent, g.Points2);
  labelAt(*sceneLabel_, g.SecondSeparator + kLabelIndent, g.Scene);
  imagesTitle_->setGeometry(kLabelIndent, 2, g.FirstSeparator - 2 * kLabelIndent, metrics_.TitleHeight);
  pointsTitle_->setGeometry(g.FirstSeparator + kLabelIndent, 2, g.SecondSeparator - g.FirstSeparator - 2 * kLabelIndent,
                            metrics_.TitleHeight);
  bevel1_->setGeometry(g.FirstSeparator - 1, 2, 3, height() - 4);
  bevel2_->setGeometry(g.SecondSeparator - 1, 2, 3, height() - 4);
}

}  // namespace vesk::gui
