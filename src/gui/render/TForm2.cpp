#include "gui/render/TForm2.h"

#include <QAction>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "common/UserDialogs.h"
#include "files/PathNames.h"
#include "files/TextFile.h"
#include "gui/common/CurrentFolder.h"
#include "gui/common/ImageView.h"
#include "gui/common/WindowPlacement.h"
#include "gui/render/ViewerCaption.h"
#include "model/BuildModeTraits.h"
#include "qt/ImageFiles.h"
#include "render/RenderMessages.h"

namespace vesk::gui {
namespace {

constexpr const char* kSaveFilter = "Bitmap Files (*.bmp);;PNG Files (*.png);;TIFF Files (*.tif *.tiff)";
constexpr const char* kMarkFilter = "Coordinate Files (*.crd)";
const QColor kMarkColour(255, 0, 0);

QAction* AddButton(QToolBar& bar, const char* name, const char* text, const char* hint) {
  QAction* action = bar.addAction(QString::fromUtf8(text));
  action->setToolTip(QString::fromUtf8(hint));
  action->setStatusTip(QString::fromUtf8(hint));
  bar.widgetForAction(action)->setObjectName(QString::fromLatin1(name));
  return action;
}

// Digits after the separator that tell apart the scene coordinates of
// neighbouring pixels of a step.
int DigitsFor(double step) {
  if (!(step > 0) || !std::isfinite(step)) return 0;
  return std::clamp(static_cast<int>(std::ceil(-std::log10(step))) + 1, 0, 12);
}

}  // namespace

TForm2::TForm2(const GuiContext& context, QWidget* parent) : QWidget(parent, Qt::Window), context_(context) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QString::fromUtf8(kViewerCaption));
  setMinimumSize(160, 100);
  setMaximumSize(1000, 800);
  resize(600, 450);

  groupBox_ = new QGroupBox(QString::fromUtf8(kTransformedImageTitle), this);
  groupBox_->setObjectName(QStringLiteral("GroupBox1"));

  toolBar_ = new QToolBar(groupBox_);
  toolBar_->setObjectName(QStringLiteral("ToolBar1"));
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  QAction* save = AddButton(*toolBar_, "ToolButton10", "Сохранить", "Сохранить изображение");
  QAction* marks = AddButton(*toolBar_, "ToolButton11", "Реперные точки", "Показать реперные точки");
  connect(save, &QAction::triggered, this, [this] { ToolButton10Click(); });
  connect(marks, &QAction::triggered, this, [this] { ToolButton11Click(); });

  scrollBox_ = new ImageScrollArea(groupBox_);
  scrollBox_->setObjectName(QStringLiteral("ScrollBox1"));
  scrollBox_->Picture().setObjectName(QStringLiteral("Image1"));
  scrollBox_->Picture().SetOverlay([this](QPainter& painter, double scale) { PaintMarks(painter, scale); });
  // The zoom keys work anywhere in the window.
  addActions(scrollBox_->ZoomActions());
  setFocusProxy(scrollBox_);

  position_ = new QLabel(groupBox_);
  position_->setObjectName(QStringLiteral("PositionLabel"));
  zoom_ = new QLabel(groupBox_);
  zoom_->setObjectName(QStringLiteral("ZoomLabel"));
  zoom_->setToolTip(
      QStringLiteral("Ctrl+колесо, Ctrl++ и Ctrl+− меняют масштаб, Ctrl+0 — пиксель в пиксель, "
                     "Ctrl+F — по размеру окна"));
  ShowZoom(1.0);
  auto* statusLine = new QHBoxLayout;
  statusLine->setContentsMargins(2, 0, 2, 0);
  statusLine->addWidget(position_, 1);
  statusLine->addWidget(zoom_);

  auto* frame = new QVBoxLayout(groupBox_);
  frame->setContentsMargins(4, 2, 4, 4);
  frame->setSpacing(2);
  frame->addWidget(toolBar_);
  frame->addWidget(scrollBox_, 1);
  frame->addLayout(statusLine);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(groupBox_);

  connect(&scrollBox_->Picture(), &ImagePicture::PointerMoved, this, &TForm2::ShowPointer);
  connect(&scrollBox_->Picture(), &ImagePicture::PointerLeft, position_, &QLabel::clear);
  connect(scrollBox_, &ImageScrollArea::ZoomChanged, this, &TForm2::ShowZoom);
}

void TForm2::PrepareResult(BuildMode mode, PictureSize resultSize, const BuildArea& area) {
  mode_ = mode;
  area_ = area;
  size_ = resultSize;
  const BuildModeTraits* traits = FindTraits(static_cast<int>(mode));
  groupBox_->setTitle(QString::fromUtf8(traits != nullptr ? traits->ViewerTitle : kTransformedImageTitle));
  setWindowTitle(ViewerCaption(mode, {}, {}));
  resize(600, 450);
  scrollBox_->Picture().SetPictureSize(QSize(resultSize.Width, resultSize.Height));
}

void TForm2::SetSourcePhotos(const std::string& photo1, const std::string& photo2) {
  setWindowTitle(ViewerCaption(mode_, photo1, photo2));
}

void TForm2::SetResult(std::shared_ptr<const RgbImage> result) {
  result_ = std::move(result);
  if (!result_) return;
  size_ = PictureSize{result_->Width(), result_->Height()};
  scrollBox_->Picture().SetImage(qt::DisplayImage(result_));
}

void TForm2::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Placed when it first opens; afterwards it stays where the user puts it.
  if (placed_) return;
  placed_ = true;
  if (place_)
    place_(*this);
  else
    CentreOnScreen(*this);
  // A result larger than the window opens whole; Ctrl+0 shows it one pixel
  // per pixel.
  if (layout() != nullptr) layout()->activate();
  const QSize room = scrollBox_->maximumViewportSize() * scrollBox_->devicePixelRatioF();
  const QSize picture = scrollBox_->Picture().PictureSize();
  if (picture.width() > room.width() || picture.height() > room.height()) scrollBox_->FitToWindow();
}

QImage TForm2::DisplayedPicture() const {
  QImage picture = scrollBox_->Picture().Image().convertToFormat(QImage::Format_RGB32);
  if (picture.isNull()) return picture;
  QPainter painter(&picture);
  PaintMarks(painter, 1.0);
  painter.end();
  return picture.convertToFormat(QImage::Format_RGB888);
}

void TForm2::PaintMarks(QPainter& painter, double scale) const {
  const QRect picture(0, 0, size_.Width, size_.Height);
  if (scale >= 1) {
    // Whole result pixels, so a cross looks the same at every zoom.
    for (const MarkCross& cross : marks_) {
      painter.fillRect(QRect(cross.Left, cross.Row, cross.Right - cross.Left, 1).intersected(picture), kMarkColour);
      painter.fillRect(QRect(cross.Column, cross.Top, 1, cross.Bottom - cross.Top).intersected(picture), kMarkColour);
    }
    return;
  }
  // Zoomed out a pixel is less than a screen pixel: hairlines keep the
  // crosses visible.
  painter.setPen(QPen(kMarkColour, 0));
  for (const MarkCross& cross : marks_) {
    const QRect across = QRect(cross.Left, cross.Row, cross.Right - cross.Left, 1).intersected(picture);
    const QRect down = QRect(cross.Column, cross.Top, 1, cross.Bottom - cross.Top).intersected(picture);
    if (!across.isEmpty())
      painter.drawLine(QPointF(across.left(), across.top() + 0.5), QPointF(across.right() + 1, across.top() + 0.5));
    if (!down.isEmpty())
      painter.drawLine(QPointF(down.left() + 0.5, down.top()), QPointF(down.left() + 0.5, down.bottom() + 1));
  }
}

bool TForm2::ToolButton10Click() {
  if (!result_) return false;
  const QString chosen = context_.Files.SaveFileName(
      this, FileDialogRequest{CurrentFolder(), QString::fromUtf8(kSaveFilter), QString(), QStringLiteral("bmp"), {}});
  if (chosen.isEmpty()) return false;
  MoveCurrentFolderTo(chosen);
  const std::string path = qt::FileNameFromQString(chosen);
  if (QFileInfo::exists(chosen) &&
      !context_.Messages.AskYesNo(this, QString::fromUtf8(kWarningCaption),
                                  QString::fromStdString("Файл " + BareName(path) + " уже существует. Перезаписать?")))
    return false;
  std::string reason;
  if (!qt::SaveImage(*result_, path, &reason)) {
    // The writers' reasons name the file already.
    if (reason.find(path) == std::string::npos) reason = path + ": " + reason;
    context_.Messages.Show(this, MessageIcon::Error, QString::fromUtf8(kErrorCaption),
                           QString::fromUtf8(kResultNotWritten) + "\n" + qt::FileNameToQString(reason));
    return false;
  }
  saved_ = true;
  return true;
}

void TForm2::ToolButton11Click() {
  const QStringList chosen = context_.Files.OpenFileNames(
      this, FileDialogRequest{CurrentFolder(), QString::fromUtf8(kMarkFilter), QString(), QString(), {}});
  if (chosen.isEmpty()) return;
  MoveCurrentFolderTo(chosen.front());
  std::vector<std::string> lines;
  MarkReading reading;
  if (LoadTextLines(qt::FileNameFromQString(chosen.front()), lines))
    reading = ReadMarks(lines, context_.Format, mode_, size_.Height);
  else
    reading.Failed = true;
  marks_.insert(marks_.end(), reading.Crosses.begin(), reading.Crosses.end());
  scrollBox_->Picture().update();
  if (reading.Failed)
    context_.Messages.Show(this, MessageIcon::Error, QString::fromUtf8(kErrorCaption),
                           QString::fromUtf8(kMarkFileReadError));
}

QString TForm2::SceneCoordinates(int column, int row) const {
  const BuildModeTraits* traits = FindTraits(static_cast<int>(mode_));
  if (traits == nullptr || !traits->ScenePlane) return {};
  // The centre of the scene patch the pixel shows.
  double x = 0, y = 0;
  int digits = 1;
  if (traits->BuildArea) {
    const double extent = std::fabs(area_.YMax - area_.YMin);
    // The anaglyph over the build area rounds to the nearest pixel, the
    // other two truncate.
    const double shift = traits->Anaglyph ? 0.0 : 0.5;
    x = area_.XMin + (column + shift) * area_.Step;
    y = area_.YMin + extent - (row + shift) * area_.Step;
    digits = DigitsFor(area_.Step);
  } else {
    x = column + 0.5;
    y = size_.Height - row - 0.5;
  }
  const QChar separator = QChar::fromLatin1(context_.Format.DecimalSeparator);
  const auto text = [&](double v) { return QString::number(v, 'f', digits).replace(QLatin1Char('.'), separator); };
  return QStringLiteral("   Сцена: x = %1, y = %2").arg(text(x), text(y));
}

void TForm2::ShowPointer(QPointF imagePoint) {
  const int column = static_cast<int>(imagePoint.x());
  const int row = static_cast<int>(imagePoint.y());
  position_->setText(QStringLiteral("Пиксель: %1, %2").arg(column).arg(row) + SceneCoordinates(column, row));
}

void TForm2::ShowZoom(double zoom) {
  QString text = QStringLiteral("Масштаб: ") + ZoomPercentText(zoom);
  // Zoomed, the way back to the true pixels is one key away.
  if (zoom != 1.0) text += QStringLiteral("  (Ctrl+0 — 100 %)");
  zoom_->setText(text);
}

}  // namespace vesk::gui
