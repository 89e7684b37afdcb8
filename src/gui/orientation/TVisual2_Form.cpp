#include "gui/orientation/TVisual2_Form.h"

#include <QAction>
#include <QActionGroup>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include "files/FileCheck.h"
#include "files/PathNames.h"
#include "files/ProjectFile.h"
#include "gui/common/CurrentFolder.h"
#include "gui/editor/TRedForm.h"
#include "gui/orientation/DroppedFiles.h"
#include "gui/settings/TObjForm.h"
#include "gui/workspace/AnaglyphMenu.h"
#include "gui/workspace/FileField.h"
#include "gui/workspace/InputSetFile.h"
#include "gui/workspace/PhotoLoading.h"
#include "gui/workspace/PhotoView.h"
#include "gui/workspace/RenderJobControl.h"
#include "gui/workspace/WorkspaceStatusBar.h"
#include "orientation/AreaOutline.h"
#include "render/RenderMessages.h"

namespace vesk::gui {
namespace {

QString Q(const std::string& path) { return qt::FileNameToQString(path); }
std::string S(const QString& path) { return qt::FileNameFromQString(path); }

// The "..." buttons are as narrow as their caption reads.
void FitButton(QPushButton& button) {
  button.setFixedWidth(button.fontMetrics().horizontalAdvance(QStringLiteral("...")) + 14);
}

// A field and its button, side by side in one column of the header.
QWidget* FieldCell(FileField& field, QWidget* parent) {
  auto* cell = new QWidget(parent);
  auto* layout = new QHBoxLayout(cell);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  field.Edit()->setParent(cell);
  field.Button()->setParent(cell);
  FitButton(*field.Button());
  field.Button()->setFixedHeight(field.Edit()->sizeHint().height());
  layout->addWidget(field.Edit(), 1);
  layout->addWidget(field.Button());
  return cell;
}

QLabel* Label(const char* name, const char* text, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QAction* Item(QMenu* menu, const char* name, const char* text) {
  QAction* action = menu->addAction(QString::fromUtf8(text));
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

// The object names of a build command's menu item.
const char* ItemName(BuildCommand command) {
  switch (command) {
    case BuildCommand::FirstToSecond:
      return "FirstToSecondItem";
    case BuildCommand::SecondToFirst:
      return "SecondToFirstItem";
    case BuildCommand::FirstToPlan:
      return "FirstToPlanItem";
    case BuildCommand::SecondToPlan:
      return "SecondToPlanItem";
    case BuildCommand::AnaglyphOnSecond:
      return "AnaglyphOnSecondItem";
    case BuildCommand::AnaglyphOnFirst:
      return "AnaglyphOnFirstItem";
    case BuildCommand::AnaglyphOnScene:
      return "AnaglyphOnSceneItem";
  }
  return "";
}

// Only the three anaglyphs are in the menu from the start.
bool IsExtraCommand(BuildCommand command) {
  return command == BuildCommand::FirstToSecond || command == BuildCommand::SecondToFirst ||
         command == BuildCommand::FirstToPlan || command == BuildCommand::SecondToPlan;
}

FileDialogRequest Request(const char* filter, QString proposed = {}, QString suffix = {}) {
  return FileDialogRequest{CurrentFolder(), QString::fromLatin1(filter), std::move(proposed), std::move(suffix), {}};
}

}  // namespace

TVisual2_Form::TVisual2_Form(const GuiContext& context, const SharedDialogs& dialogs, QWidget* parent)
    : WorkspaceWindow(context, dialogs, QSize(865, 609), parent) {
  setObjectName(QStringLiteral("Visual2_Form"));
  setWindowTitle(QString::fromUtf8(kOrientationWorkspaceTitle));
  setMinimumSize(450, 300);
  setAcceptDrops(true);

  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("CentralPanel"));
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 2, 4, 0);
  layout->setSpacing(4);
  layout->addWidget(MakeHeader());
  layout->addWidget(MakePanes(), 1);
  setCentralWidget(central);

  MakeMenus();
  jobs_ = new RenderJobControl(*this, StatusBar(), context_);
  for (int row = 1; row <= 2; ++row) ConnectRow(row);

  outlineTimer_ = new QTimer(this);
  outlineTimer_->setSingleShot(true);
  connect(outlineTimer_, &QTimer::timeout, this, [this] { RefreshAreaOutline(); });

  UpdateBuildMenu();
}

TVisual2_Form::~TVisual2_Form() = default;

// Three columns under their titles, each as wide as the others however the
// window is sized; the row labels stand to the left.
QWidget* TVisual2_Form::MakeHeader() {
  auto* header = new QWidget(this);
  header->setObjectName(QStringLiteral("HeaderPanel"));
  auto* grid = new QGridLayout(header);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(2);

  const char* titles[3][2] = {
      {"Label1", "Изображения"}, {"Label2", "Геометрия съемки"}, {"Label3", "Внутренняя геометрия камеры"}};
  for (int column = 0; column < 3; ++column) {
    QLabel* title = Label(titles[column][0], titles[column][1], header);
    // A long title must not widen its column beyond the others.
    title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    grid->addWidget(title, 0, column + 1);
    grid->setColumnStretch(column + 1, 1);
  }
  grid->addWidget(Label("Label4", "1:", header), 1, 0);
  grid->addWidget(Label("Label5", "2:", header), 2, 0);

  // Controls by name: photograph, shooting geometry, calibration.
  const char* names[2][6] = {{"Edit7", "Button5", "Edit4", "Button7", "Edit8", "Button10"},
                             {"Edit6", "Button6", "Edit5", "Button8", "Edit9", "Button1"}};
  for (int r = 0; r < 2; ++r) {
    Row& row = rows_[static_cast<std::size_t>(r)];
    FileField** fields[3] = {&row.Photo, &row.Orientation, &row.Camera};
    for (int column = 0; column < 3; ++column) {
      *fields[column] = new FileField(QString::fromLatin1(names[r][2 * column]),
                                      QString::fromLatin1(names[r][2 * column + 1]), header);
      // Files dropped on a field go to the window, which takes them by kind.
      (*fields[column])->Edit()->setAcceptDrops(false);
      grid->addWidget(FieldCell(**fields[column], header), r + 1, column + 1);
    }
  }
  return header;
}

QSplitter* TVisual2_Form::MakePanes() {
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setObjectName(QStringLiteral("Splitter1"));
  splitter->setChildrenCollapsible(false);
  const char* names[2][2] = {{"ScrollBox3", "Image1"}, {"ScrollBox4", "Image2"}};
  for (int r = 0; r < 2; ++r) {
    auto* pane = new PhotoView(splitter);
    pane->setObjectName(QString::fromLatin1(names[r][0]));
    pane->Picture().setObjectName(QString::fromLatin1(names[r][1]));
    pane->setMinimumWidth(60);
    splitter->addWidget(pane);
    rows_[static_cast<std::size_t>(r)].Pane = pane;
  }
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);
  return splitter;
}

void TVisual2_Form::MakeMenus() {
  QMenuBar* bar = menuBar();

  QMenu* file = bar->addMenu(QStringLiteral("&Файл"));
  file->setObjectName(QStringLiteral("FileMenu"));
  connect(Item(file, "LoadInputSetItem", "Загрузить входной набор"), &QAction::triggered, this,
          [this] { LoadInputSet(); });
  connect(Item(file, "SaveInputSetItem", "Сохранить входной набор"), &QAction::triggered, this,
          [this] { SaveInputSet(); });
  file->addSeparator();
  connect(Item(file, "ExitItem", "&Выход"), &QAction::triggered, this, [this] { close(); });

  QMenu* mode = bar->addMenu(QStringLiteral("Режим построения"));
  mode->setObjectName(QStringLiteral("ModeMenu"));
  withoutInterpolation_ = Item(mode, "WithoutInterpolationItem", "Без интерполяции");
  withInterpolation_ = Item(mode, "WithInterpolationItem", "С интерполяцией");
  auto* interpolation = new QActionGroup(this);
  for (QAction* action : {withoutInterpolation_, withInterpolation_}) {
    action->setCheckable(true);
    interpolation->addAction(action);
    extraItems_.push_back(action);
  }
  withInterpolation_->setChecked(true);
  connect(withoutInterpolation_, &QAction::triggered, this, [this] { SetInterpolation(1); });
  connect(withInterpolation_, &QAction::triggered, this, [this] { SetInterpolation(2); });
  QAction* separator = mode->addSeparator();
  separator->setObjectName(QStringLiteral("ConventionSeparator"));
  extraItems_.push_back(separator);

  mathematical_ = Item(mode, "MathematicalItem", "По математической системе");
  photogrammetric_ = Item(mode, "PhotogrammetricItem", "По фотограмметрической системе");
  laboratory_ = Item(mode, "LaboratoryItem", "По лабораторной системе");
  auto* conventions = new QActionGroup(this);
  const std::pair<QAction*, CoordinateConvention> choices[] = {
      {mathematical_, CoordinateConvention::Mathematical},
      {photogrammetric_, CoordinateConvention::Photogrammetric},
      {laboratory_, CoordinateConvention::Laboratory}};
  for (const auto& [action, convention] : choices) {
    action->setCheckable(true);
    conventions->addAction(action);
    connect(action, &QAction::triggered, this, [this, c = convention] { SetConvention(c); });
  }
  mathematical_->setChecked(true);

  buildMenu_ = bar->addMenu(QStringLiteral("Построить"));
  buildMenu_->setObjectName(QStringLiteral("BuildMenu"));
  for (const BuildCommandInfo& info : BuildCommands()) {
    QAction* action = Item(buildMenu_, ItemName(info.Command), info.MenuText);
    connect(action, &QAction::triggered, this, [this, command = info.Command] { StartBuild(command); });
    if (IsExtraCommand(info.Command)) extraItems_.push_back(action);
  }
  for (QAction* action : extraItems_) action->setVisible(false);
  anaglyph_ = new AnaglyphMenu(*bar, this);

  // Beyond building: where the build area lies on the photographs.
  QMenu* view = bar->addMenu(QStringLiteral("Вид"));
  view->setObjectName(QStringLiteral("ViewMenu"));
  showArea_ = Item(view, "ShowBuildAreaItem", "Область построения на снимках");
  showArea_->setCheckable(true);
  showArea_->setToolTip(QStringLiteral("Углы области построения, перенесённые на оба снимка по их ориентации"));
  connect(showArea_, &QAction::toggled, this, [this] { RefreshAreaOutline(); });

  AddHelpMenu(kOrientationManualPage);

  auto* toggle = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_J), this);
  toggle->setObjectName(QStringLiteral("ToggleExtraItemsShortcut"));
  toggle->setContext(Qt::WindowShortcut);
  connect(toggle, &QShortcut::activated, this, [this] { ToggleExtraItems(); });
}

void TVisual2_Form::ConnectRow(int r) {
  Row& row = RowOf(r);
  connect(row.Photo, &FileField::ButtonClicked, this, [this, r] { ChoosePhoto(r); });
  connect(row.Orientation, &FileField::ButtonClicked, this, [this, r] { ChooseOrientationFile(r); });
  connect(row.Camera, &FileField::ButtonClicked, this, [this, r] { ChooseCameraFile(r); });
  connect(row.Photo, &FileField::EnterPressed, this, [this, r] { TypePhotoName(r); });
  for (FileField* field : {row.Orientation, row.Camera}) {
    connect(field, &FileField::KeyReleased, this, [this, field] { TypeFileName(*field); });
    connect(field, &FileField::DoubleClicked, this, [this, field] { EditFile(*field); });
  }
  for (FileField* field : {row.Photo, row.Orientation, row.Camera})
    connect(field, &FileField::TextChanged, this, [this] { UpdateBuildMenu(); });
}

TVisual2_Form::Row& TVisual2_Form::RowOf(int row) { return rows_.at(static_cast<std::size_t>(row - 1)); }
const TVisual2_Form::Row& TVisual2_Form::RowOf(int row) const { return rows_.at(static_cast<std::size_t>(row - 1)); }

const std::string& TVisual2_Form::PhotoPath(int row) const { return RowOf(row).Photo->Path(); }
const std::string& TVisual2_Form::OrientationPath(int row) const { return RowOf(row).Orientation->Path(); }
const std::string& TVisual2_Form::CameraPath(int row) const { return RowOf(row).Camera->Path(); }
PhotoView& TVisual2_Form::Pane(int row) const { return *RowOf(row).Pane; }

std::vector<TRedForm*> TVisual2_Form::Editors() const {
  std::vector<TRedForm*> editors;
  for (const auto& editor : editors_) editors.push_back(editor.get());
  return editors;
}

// ---- the file fields

bool TVisual2_Form::AssignPhoto(int r, const std::string& path, bool withCompanion) {
  Row& row = RowOf(r);
  qt::SharedPhoto photo = LoadPhotoForView(path, context_.Messages);
  if (!photo) return false;
  row.Pane->SetPhoto(std::move(photo));
  if (withCompanion) {
    const std::string companion = CompanionPath(path, "ort");
    if (FileExists(companion)) row.Orientation->SetPath(companion);
  }
  row.Photo->SetPath(path);
  PathsChanged();
  return true;
}

void TVisual2_Form::AssignOrientation(int r, const std::string& path, bool withCompanion) {
  Row& row = RowOf(r);
  row.Orientation->HoldPath(path);
  if (withCompanion) {
    const std::string companion = CompanionPhoto(path);
    if (!companion.empty())
      if (qt::SharedPhoto photo = LoadPhotoForView(companion, context_.Messages)) {
        row.Pane->SetPhoto(std::move(photo));
        row.Photo->SetPath(companion);
      }
  }
  row.Orientation->SetPath(path);
  PathsChanged();
}

void TVisual2_Form::ChoosePhoto(int row) {
  const QString chosen =
      context_.Files.OpenFileName(this, FileDialogRequest{CurrentFolder(), PhotoFilter(), {}, {}, {}});
  if (chosen.isEmpty()) return;
  MoveCurrentFolderTo(chosen);
  AssignPhoto(row, S(chosen), true);
}

void TVisual2_Form::ChooseOrientationFile(int row) {
  const QString chosen = context_.Files.OpenFileName(this, Request(kOrientationFilter));
  if (chosen.isEmpty()) return;
  MoveCurrentFolderTo(chosen);
  AssignOrientation(row, S(chosen), true);
}

void TVisual2_Form::ChooseCameraFile(int row) {
  const QString chosen =
      context_.Files.OpenFileName(this, Request(kCameraFilter, QString::fromLatin1(kProposedCameraName)));
  if (chosen.isEmpty()) return;
  MoveCurrentFolderTo(chosen);
  RowOf(row).Camera->SetPath(S(chosen));
  PathsChanged();
}

// The typed name is taken in the folder of the photograph shown so far; a
// name that cannot be loaded leaves the row's photograph as it was.
void TVisual2_Form::TypePhotoName(int r) {
  Row& row = RowOf(r);
  if (row.Photo->Empty()) return;
  const std::string path = row.Photo->TypedPath();
  qt::SharedPhoto photo = LoadPhotoForView(path, context_.Messages);
  if (!photo) {
    // The field names the photograph the pane shows, the one a build uses.
    row.Photo->SetPath(row.Photo->Path());
    return;
  }
  row.Pane->SetPhoto(std::move(photo));
  row.Photo->SetPath(path);
  PathsChanged();
}

void TVisual2_Form::TypeFileName(FileField& field) {
  const std::string typed = field.TypedPath();
  if (typed == field.Path()) return;
  field.HoldPath(typed);
  PathsChanged();
}

void TVisual2_Form::EditFile(FileField& field) {
  const bool orientation = &field == rows_[0].Orientation || &field == rows_[1].Orientation;
  auto editor = std::make_unique<TRedForm>(context_);
  if (!editor->OpenTable(Q(field.Path()), orientation ? TableKind::ShootingGeometryTable : TableKind::CalibrationTable))
    return;
  editor->show();
  editors_.push_back(std::move(editor));
}

void TVisual2_Form::UpdateBuildMenu() {
  bool filled = true;
  for (const Row& row : rows_)
    for (const FileField* field : {row.Photo, row.Orientation, row.Camera}) filled = filled && !field->Empty();
  buildMenu_->menuAction()->setEnabled(filled);
}

void TVisual2_Form::ToggleExtraItems() {
  const bool visible = !extraItems_.front()->isVisible();
  for (QAction* action : extraItems_) action->setVisible(visible);
}

void TVisual2_Form::SetConvention(CoordinateConvention convention) {
  convention_ = convention;
  PathsChanged();
}

void TVisual2_Form::SetInterpolation(int interpolation) { interpolation_ = interpolation; }

// ---- building

OrientationFilePaths TVisual2_Form::DataPaths() const {
  return OrientationFilePaths{CameraPath(1), OrientationPath(1), CameraPath(2), OrientationPath(2)};
}

void TVisual2_Form::StartBuild(BuildCommand command) {
  if (!buildMenu_->menuAction()->isEnabled()) return;
  OrientationSetup setup;
  setup.Command = command;
  setup.Interpolation = interpolation_ == 2;
  setup.Convention = convention_;
  setup.Anaglyph = anaglyph_->Choice();
  setup.Paths = DataPaths();
  setup.Format = context_.Format;
  vesk::OrientationBuild build(std::move(setup));

  if (build.NeedsBuildArea()) {
    if (dialogs_.BuildArea == nullptr) return;
    // The dialog writes into the workspace the user builds in.
    BindBuildArea();
    dialogs_.BuildArea->exec();
    // Back to the workspace, where Esc stops the build about to start.
    activateWindow();
    if (auto failure = build.AcceptBuildArea(BuildArea())) return ShowBuildFailure(*failure, this);
  }
  OrientationBuild(build);
}

void TVisual2_Form::OrientationBuild(vesk::OrientationBuild& build) {
  // The readers' messages belong to no window, as wherever the files are read.
  if (auto failure = build.ReadFiles()) return ShowBuildFailure(*failure, nullptr);
  if (showArea_->isChecked()) DrawAreaOutline(build.Inputs());

  StatusBar().ShowStart(QString::fromUtf8(kBuildingImageStatus));
  RenderRequest request;
  if (auto failure = build.MakeRequest(BuildArea(), request)) {
    // Nothing is being built: the status bar must not say otherwise (unless
    // an earlier job of this workspace still runs and reports there).
    if (jobs_->Job() == nullptr) StatusBar().ResetDisplay();
    return ShowBuildFailure(*failure, this);
  }
  try {
    jobs_->Start(std::move(request), rows_[0].Pane->Photo(), rows_[1].Pane->Photo(), PhotoPath(1), PhotoPath(2));
  } catch (...) {
    // A request the job refuses (a build area it cannot walk, a photograph
    // it cannot read) is a fault of the input data like any other here.
    ShowInternalError();
  }
}

bool TVisual2_Form::InputsReadWith(const NumberFormat& format) const {
  OrientationInputs inputs;
  return !ReadOrientationInputs(DataPaths(), inputs, format).has_value();
}

void TVisual2_Form::ShowInternalError() {
  context_.Messages.Show(this, MessageIcon::Warning, QString::fromUtf8(kFailureCaption),
                         QString::fromUtf8(kOrientationFailureMessage));
}

// ---- input sets

void TVisual2_Form::LoadInputSet() {
  const QString chosen = context_.Files.OpenFileName(this, Request(kProjectFilter));
  if (chosen.isEmpty()) return;
  MoveCurrentFolderTo(chosen);
  LoadInputSetFrom(S(chosen));
}

void TVisual2_Form::LoadInputSetFrom(const std::string& path) {
  ProjectFields stored;
  if (auto failure = ReadInputSetProject(path, stored)) {
    // The reader has said why; the input set stays as it was, on the screen
    // and behind it, rather than being emptied by a file that could not be
    // read.
    context_.Messages.Show(nullptr, failure->Message.Icon, QString::fromStdString(failure->Message.Caption),
                           QString::fromStdString(failure->DetailedText()));
    return;
  }
  // Held whole: a relative path of the project means its own folder, also
  // once the current folder has moved on.
  const ProjectFields fields = ResolveProjectPaths(stored, path);
  RowOf(1).Orientation->SetPath(fields.Image1ExOrientation);
  RowOf(2).Orientation->SetPath(fields.Image2ExOrientation);
  RowOf(1).Camera->SetPath(fields.Image1IntOrientation);
  RowOf(2).Camera->SetPath(fields.Image2IntOrientation);

  // A photograph of the set that cannot be loaded leaves its row's field
  // and pane empty alike: the previous set's picture under the new set's
  // files would be built from a photograph no field names.
  QString why;  // the first photograph that failed, and how
  const std::string* photos[2] = {&fields.Image1, &fields.Image2};
  for (std::size_t i = 0; i < 2; ++i) {
    Row& row = rows_[i];
    qt::PhotoLoad load = qt::LoadPhoto(*photos[i]);
    if (!load.Photo && why.isEmpty()) why = DescribePhotoFailure(*photos[i], load);
    row.Photo->SetPath(load.Photo ? *photos[i] : std::string());
    row.Pane->SetPhoto(std::move(load.Photo));
  }
  PathsChanged();
  if (!why.isEmpty())
    context_.Messages.Show(this, MessageIcon::Error, QString::fromUtf8(kErrorCaption),
                           QString::fromUtf8(kInputSetReadError) + "\n" + why);
}

void TVisual2_Form::SaveInputSet() {
  const QString chosen = context_.Files.SaveFileName(this, Request(kProjectFilter, {}, QStringLiteral("prt")));
  if (chosen.isEmpty()) return;
  MoveCurrentFolderTo(chosen);
  ProjectFields fields;
  fields.Image1 = PhotoPath(1);
  fields.Image2 = PhotoPath(2);
  fields.Image1ExOrientation = OrientationPath(1);
  fields.Image2ExOrientation = OrientationPath(2);
  fields.Image1IntOrientation = CameraPath(1);
  fields.Image2IntOrientation = CameraPath(2);
  OwnedUserDialogs unowned(context_.Messages, nullptr);
  WriteProject(S(chosen), fields, unowned);
}

// ---- dropped files

void TVisual2_Form::AssignFiles(const QStringList& paths, int row) {
  const DroppedFiles dropped = SortDroppedFiles(paths);
  if (dropped.Empty()) return;
  MoveCurrentFolderTo(dropped.First());
  if (!dropped.Project.isEmpty()) LoadInputSetFrom(S(dropped.Project));

  const auto target = [row](const QStringList& files) {
    std::array<QString, 2> byRow;
    if (files.size() == 1)
      byRow[static_cast<std::size_t>(row - 1)] = files[0];
    else if (files.size() >= 2)
      byRow = {files[0], files[1]};
    return byRow;
  };
  const std::array<QString, 2> photos = target(dropped.Photos);
  const std::array<QString, 2> orientations = target(dropped.Orientations);
  const std::array<QString, 2> cameras = target(dropped.Cameras);
  for (int r = 1; r <= 2; ++r) {
    const auto i = static_cast<std::size_t>(r - 1);
    // A companion is looked for only where the drop names none itself.
    if (!photos[i].isEmpty()) AssignPhoto(r, S(photos[i]), orientations[i].isEmpty());
    if (!orientations[i].isEmpty()) AssignOrientation(r, S(orientations[i]), photos[i].isEmpty());
    if (!cameras[i].isEmpty()) {
      RowOf(r).Camera->SetPath(S(cameras[i]));
      PathsChanged();
    }
  }
}

// Row 2 is the right pane and the header's second row; anything else row 1.
int TVisual2_Form::RowAt(QPoint windowPosition) const {
  const QWidget* pane = rows_[1].Pane;
  if (QRect(pane->mapTo(this, QPoint(0, 0)), pane->size()).contains(windowPosition)) return 2;
  const QWidget* field = rows_[1].Photo->Edit()->parentWidget();
  const QRect cell(field->mapTo(this, QPoint(0, 0)), field->size());
  if (windowPosition.y() >= cell.top() && windowPosition.y() <= cell.bottom()) return 2;
  return 1;
}

void TVisual2_Form::dragEnterEvent(QDragEnterEvent* event) {
  if (!SortDroppedFiles(DroppedPaths(*event->mimeData())).Empty()) event->acceptProposedAction();
}

void TVisual2_Form::dragMoveEvent(QDragMoveEvent* event) { event->acceptProposedAction(); }

void TVisual2_Form::dropEvent(QDropEvent* event) {
  const QStringList paths = DroppedPaths(*event->mimeData());
  if (SortDroppedFiles(paths).Empty()) return;
  event->acceptProposedAction();
  activateWindow();
  RunGuarded(context_.Messages, [&] { AssignFiles(paths, RowAt(event->position().toPoint())); });
}

// ---- the build area on the photographs

bool TVisual2_Form::DataFilesNamed() const {
  for (const Row& row : rows_)
    if (row.Orientation->Path().empty() || row.Camera->Path().empty()) return false;
  return true;
}

// Several changes in one action are drawn once, after the action.
void TVisual2_Form::PathsChanged() {
  if (showArea_ != nullptr && showArea_->isChecked()) outlineTimer_->start(0);
}

// Reads the files quietly: the outline is a view, a file that cannot be read
// is told by the next build.
void TVisual2_Form::RefreshAreaOutline() {
  if (!showArea_->isChecked() || !DataFilesNamed()) return ClearAreaOutline();
  OrientationInputs inputs;
  if (ReadOrientationInputs(DataPaths(), inputs, context_.Format)) return ClearAreaOutline();
  DrawAreaOutline(inputs);
}

void TVisual2_Form::DrawAreaOutline(const OrientationInputs& inputs) {
  // Until the build-area dialog has been accepted, the area it offers first.
  BuildAreaFields area = BuildArea();
  if (area.XMin == area.XMax || area.YMin == area.YMax)
    area = BuildAreaFields{kDefaultBuildArea.XMin, kDefaultBuildArea.XMax, kDefaultBuildArea.YMin,
                           kDefaultBuildArea.YMax, kDefaultBuildArea.Step};
  const std::pair<const CameraGeometry*, const ShootingGeometry*> records[2] = {{&inputs.Camera1, &inputs.Shooting1},
                                                                                {&inputs.Camera2, &inputs.Shooting2}};
  for (std::size_t i = 0; i < 2; ++i) {
    PhotoOutline outline;
    if (const auto corners = SceneRectangleOnPhoto(convention_, *records[i].first, *records[i].second, area.XMin,
                                                   area.XMax, area.YMin, area.YMax, context_.Format))
      for (const PhotoPosition& corner : *corners) outline.Corners.emplace_back(corner.Column, corner.Row);
    rows_[i].Pane->SetOutline(std::move(outline));
  }
}

void TVisual2_Form::ClearAreaOutline() {
  for (Row& row : rows_) row.Pane->SetOutline({});
}

}  // namespace vesk::gui
