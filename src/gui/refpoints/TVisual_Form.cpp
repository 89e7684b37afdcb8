#include "gui/refpoints/TVisual_Form.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QSplitter>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

#include "build/ReferencePointBuild.h"
#include "files/CoordinateFile.h"
#include "files/FileCheck.h"
#include "files/PathNames.h"
#include "files/ProjectFile.h"
#include "gui/common/CurrentFolder.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/QuitQuestions.h"
#include "gui/editor/TRedForm.h"
#include "gui/refpoints/BackgroundFit.h"
#include "gui/refpoints/DroppedFiles.h"
#include "gui/refpoints/LiveResiduals.h"
#include "gui/refpoints/PointEditor.h"
#include "gui/refpoints/PointFileWatcher.h"
#include "gui/refpoints/PointFilesHeader.h"
#include "gui/refpoints/PointTablePanel.h"
#include "gui/refpoints/ResidualTable.h"
#include "gui/settings/TObjForm.h"
#include "gui/settings/TVisualNForm.h"
#include "gui/workspace/AnaglyphMenu.h"
#include "gui/workspace/FileField.h"
#include "gui/workspace/InputSetFile.h"
#include "gui/workspace/PhotoLoading.h"
#include "gui/workspace/PhotoView.h"
#include "gui/workspace/RenderJobControl.h"
#include "gui/workspace/WorkspaceStatusBar.h"
#include "model/BuildModeTraits.h"
#include "qt/ImageFiles.h"

namespace vesk::gui {
namespace {

const QString kPointFileFilter = QStringLiteral("Coordinate Files (*.crd)");
const QString kProjectFilter = QStringLiteral("Project Files (*.prt);;All Files (*)");

// Object names of the build items, in the menu's order.
constexpr const char* kBuildItemNames[] = {"BuildFirstToSecond",  "BuildSecondToFirst",    "BuildFirstToPlan",
                                           "BuildSecondToPlan",   "BuildAnaglyphOnSecond", "BuildAnaglyphOnFirst",
                                           "BuildAnaglyphOnScene"};
// Shown only after Ctrl+J.
constexpr BuildCommand kExpertCommands[] = {BuildCommand::FirstToSecond, BuildCommand::SecondToFirst,
                                            BuildCommand::FirstToPlan, BuildCommand::SecondToPlan};

QAction* Item(QMenu& menu, const char* name, const QString& text) {
  QAction* action = menu.addAction(text);
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

// Scrolls `view` so that the photograph point (x, y) stands in its middle.
void CentreOn(PhotoView& view, double x, double y) {
  const double scale = view.Picture().Scale();
  view.horizontalScrollBar()->setValue(static_cast<int>(std::lround(x * scale - view.viewport()->width() / 2.0)));
  view.verticalScrollBar()->setValue(static_cast<int>(std::lround(y * scale - view.viewport()->height() / 2.0)));
}

bool Inside(const QWidget* widget, const QWidget* container) {
  for (; widget != nullptr; widget = widget->parentWidget())
    if (widget == container) return true;
  return false;
}

std::vector<std::string> DroppedPaths(const QMimeData& mime) {
  std::vector<std::string> paths;
  for (const QUrl& url : mime.urls())
    if (url.isLocalFile()) paths.push_back(qt::FileNameFromQString(url.toLocalFile()));
  return paths;
}

}  // namespace

TVisual_Form::TVisual_Form(const GuiContext& context, const SharedDialogs& dialogs, QWidget* parent)
    : WorkspaceWindow(context, dialogs, QSize(968, 634), parent) {
  setObjectName(QStringLiteral("Visual_Form"));
  setWindowTitle(QString::fromUtf8(kReferencePointWorkspaceTitle));
  setAcceptDrops(true);

  auto* central = new QWidget(this);
  header_ = new PointFilesHeader(central);
  rows_[0].Photo = &header_->Photo1();
  rows_[0].Points = &header_->Points1();
  rows_[1].Photo = &header_->Photo2();
  rows_[1].Points = &header_->Points2();
  splitter_ = new QSplitter(Qt::Horizontal, central);
  splitter_->setObjectName(QStringLiteral("Splitter1"));
  splitter_->setChildrenCollapsible(false);
  for (int k = 0; k < 2; ++k) {
    auto* view = new PhotoView(splitter_);
    view->setObjectName(QStringLiteral("ScrollBox%1").arg(k + 1));
    view->Picture().setObjectName(QStringLiteral("Image%1").arg(k + 1));
    view->setMinimumWidth(60);
    splitter_->addWidget(view);
    rows_[static_cast<std::size_t>(k)].View = view;
  }
  lock_ = new ViewLock(View1(), View2(), this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(header_);
  layout->addWidget(splitter_, 1);
  setCentralWidget(central);

  residuals_ = new ResidualTable(context.Format, this);
  residualDock_ = new QDockWidget(QStringLiteral("Невязки"), this);
  residualDock_->setObjectName(QStringLiteral("ResidualDock"));
  residualDock_->setWidget(residuals_);
  residualDock_->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::RightDockWidgetArea | Qt::LeftDockWidgetArea);
  addDockWidget(Qt::BottomDockWidgetArea, residualDock_);
  residualDock_->hide();  // until the first build has something to list

  jobs_ = new RenderJobControl(*this, StatusBar(), context);
  fit_ = new BackgroundFit(this);
  watcher_ = new PointFileWatcher(this);
  points_ = new PointEditor(context, *this, View1(), View2());
  // Unsaved point edits are asked about before the program ends, as when the
  // workspace itself is closed: Нет gives them up, Отмена keeps it running.
  if (context.Quit != nullptr) {
    context.Quit->Add(this, [this] {
      if (!points_->Unsaved()) return true;
      show();
      raise();
      activateWindow();
      return points_->AskToSave() != SaveAnswer::Cancel;
    });
  }
  live_ = new LiveResiduals(this);

  // The edited points with their scene cells, beside the residuals.
  pointTable_ = new PointTableModel(
      points_->Model(), context.Format, [this](int index, EditedPoint point) { points_->SetScene(index, point); },
      this);
  auto* pointGrid = new QTableView(this);
  pointGrid->setObjectName(QStringLiteral("PointGrid"));
  pointGrid->setModel(pointTable_);
  pointGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  pointGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  pointGrid->verticalHeader()->hide();
  pointGrid->verticalHeader()->setDefaultSectionSize(pointGrid->fontMetrics().height() + 6);
  pointGrid->horizontalHeader()->setStretchLastSection(true);
  pointsDock_ = new QDockWidget(QStringLiteral("Точки"), this);
  pointsDock_->setObjectName(QStringLiteral("PointsDock"));
  pointsDock_->setWidget(pointGrid);
  addDockWidget(Qt::BottomDockWidgetArea, pointsDock_);
  tabifyDockWidget(residualDock_, pointsDock_);
  pointsDock_->hide();  // until editing starts
  connect(pointGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid() && current.row() != points_->Selected()) CentreOnPoint(current.row());
          });
  connect(points_, &PointEditor::SelectionChanged, pointGrid, [pointGrid, this](int index) {
    if (index < 0 || index >= pointTable_->rowCount()) return;
    if (pointGrid->currentIndex().row() != index) pointGrid->setCurrentIndex(pointTable_->index(index, 0));
  });

  MakeMenus();
  ConnectFields();

  // Esc stops the fit while it runs; otherwise the job started last.
  jobs_->SetEscapeHandler([this] {
    if (!fit_->Running()) return false;
    fit_->Stop();
    return true;
  });
  connect(fit_, &BackgroundFit::PositionChanged, &StatusBar(), &WorkspaceStatusBar::ShowPosition);
  connect(fit_, &BackgroundFit::Finished, this, &TVisual_Form::FitFinished);
  connect(watcher_, &PointFileWatcher::Changed, this, &TVisual_Form::PointFilesChanged);
  connect(residuals_, &ResidualTable::PointSelected, this, &TVisual_Form::CentreOnPoint);
  connect(points_, &PointEditor::MarksChanged, this, &TVisual_Form::RefreshMarks);
  connect(points_, &PointEditor::MarksChanged, pointTable_, &PointTableModel::Refresh);
  connect(&points_->EditAction(), &QAction::toggled, this, [this](bool on) {
    if (on && !pointsDock_->isVisible()) {
      pointsDock_->show();
      pointsDock_->raise();
      if (!residualsShownOnce_) resizeDocks({pointsDock_}, {std::max(120, height() / 4)}, Qt::Vertical);
    }
  });
  connect(points_, &PointEditor::Edited, this, &TVisual_Form::ScheduleLiveFit);
  connect(points_, &PointEditor::Reloaded, this, [this] {
    // What the panel lists was computed from other points.
    live_->Cancel();
    residuals_->MarkStale(QStringLiteral("точки изменены"));
  });
  connect(live_, &LiveResiduals::Ready, this, &TVisual_Form::ShowLiveResiduals);
  connect(points_, &PointEditor::SelectionChanged, residuals_, &ResidualTable::SelectPoint);
  connect(points_, &PointEditor::FileNamed, this, &TVisual_Form::PointFileNamed);
  // A table editor open on a file the workspace saved shows what was saved,
  // unless it holds edits of its own.
  connect(points_, &PointEditor::ListSaved, this, [this](const std::string& path) {
    watcher_->Watch({Points1Path(), Points2Path(), ScenePath()});
    for (const auto& editor : editors_)
      if (editor->isVisible() && !editor->Modified() && qt::FileNameFromQString(editor->FilePath()) == path)
        editor->OpenTable(editor->FilePath(), TableKind::PointTable);
  });
  connect(points_, &PointEditor::StatusChanged, this, &TVisual_Form::ShowPointStatus);

  // Ctrl+J anywhere in the window, with or without other modifiers.
  auto* expert = new QShortcut(this);
  QList<QKeySequence> keys;
  for (const Qt::KeyboardModifiers extra :
       {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::KeyboardModifiers(Qt::AltModifier),
        Qt::KeyboardModifiers(Qt::MetaModifier), Qt::ShiftModifier | Qt::AltModifier,
        Qt::ShiftModifier | Qt::MetaModifier, Qt::AltModifier | Qt::MetaModifier,
        Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier})
    keys << QKeySequence(QKeyCombination(Qt::ControlModifier | extra, Qt::Key_J));
  expert->setKeys(keys);
  expert->setContext(Qt::WindowShortcut);
  connect(expert, &QShortcut::activated, this, &TVisual_Form::ToggleExpertItems);

  UpdateBuildMenu();
}

// A fit still running is stopped and waited for before anything it reports
// to is gone.
TVisual_Form::~TVisual_Form() {
  points_->StopWatching();
  delete fit_;
}

void TVisual_Form::MakeMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&Файл"));
  file->setObjectName(QStringLiteral("FileMenu"));
  connect(Item(*file, "LoadInputSet", QStringLiteral("Загрузить входной набор")), &QAction::triggered, this,
          [this] { RunGuarded(context_.Messages, [this] { LoadInputSet(); }); });
  connect(Item(*file, "SaveInputSet", QStringLiteral("Сохранить входной набор")), &QAction::triggered, this,
          [this] { RunGuarded(context_.Messages, [this] { SaveInputSet(); }); });
  file->addSeparator();
  connect(Item(*file, "Exit", QStringLiteral("&Выход")), &QAction::triggered, this, &QWidget::close);

  modeMenu_ = menuBar()->addMenu(QStringLiteral("Режим построения"));
  modeMenu_->setObjectName(QStringLiteral("ModeMenu"));
  interpolationGroup_ = new QActionGroup(this);
  QAction* without = Item(*modeMenu_, "WithoutInterpolation", QStringLiteral("Без интерполяции"));
  QAction* with = Item(*modeMenu_, "WithInterpolation", QStringLiteral("С интерполяцией"));
  for (QAction* item : {without, with}) {
    item->setCheckable(true);
    interpolationGroup_->addAction(item);
  }
  with->setChecked(true);
  connect(without, &QAction::triggered, this, [this] { interpolation_ = 1; });
  connect(with, &QAction::triggered, this, [this] { interpolation_ = 2; });
  modeMenu_->menuAction()->setVisible(false);

  buildMenu_ = menuBar()->addMenu(QStringLiteral("Построить"));
  buildMenu_->setObjectName(QStringLiteral("BuildMenu"));
  for (const BuildCommandInfo& info : BuildCommands()) {
    const auto index = static_cast<std::size_t>(info.Command);
    QAction* item = Item(*buildMenu_, kBuildItemNames[index], QString::fromUtf8(info.MenuText));
    buildItems_[index] = item;
    const BuildCommand command = info.Command;
    connect(item, &QAction::triggered, this,
            [this, command] { RunGuarded(context_.Messages, [this, command] { StartBuild(command); }); });
  }
  for (BuildCommand command : kExpertCommands) BuildItem(command).setVisible(false);
  anaglyph_ = new AnaglyphMenu(*menuBar(), this);
  points_->AddMenu(*menuBar());
  addToolBar(Qt::TopToolBarArea, points_->ToolBar());

  QMenu* view = menuBar()->addMenu(QStringLiteral("Вид"));
  view->setObjectName(QStringLiteral("ViewMenu"));
  marksItem_ = Item(*view, "ShowMarks", QStringLiteral("Реперные точки на снимках"));
  marksItem_->setCheckable(true);
  marksItem_->setChecked(true);
  connect(marksItem_, &QAction::toggled, this, &TVisual_Form::RefreshMarks);
  view->addSeparator();
  // For both photographs at once; each view also has these on its own
  // context menu and keys.
  const auto bothViews = [this](void (ImageScrollArea::*command)()) {
    return [this, command] {
      (View1().*command)();
      if (!lock_->Locked()) (View2().*command)();
    };
  };
  connect(Item(*view, "ZoomIn", QStringLiteral("Увеличить")), &QAction::triggered, this,
          bothViews(&ImageScrollArea::ZoomIn));
  connect(Item(*view, "ZoomOut", QStringLiteral("Уменьшить")), &QAction::triggered, this,
          bothViews(&ImageScrollArea::ZoomOut));
  connect(Item(*view, "ActualSize", QStringLiteral("Пиксель в пиксель")), &QAction::triggered, this,
          bothViews(&ImageScrollArea::ActualSize));
  connect(Item(*view, "FitToWindow", QStringLiteral("По размеру окна")), &QAction::triggered, this,
          bothViews(&ImageScrollArea::FitToWindow));
  lockItem_ = Item(*view, "LockViews", QStringLiteral("Связать снимки"));
  lockItem_->setCheckable(true);
  lockItem_->setToolTip(QStringLiteral("Оба снимка прокручиваются и масштабируются вместе"));
  connect(lockItem_, &QAction::toggled, lock_, &ViewLock::SetLocked);
  view->addSeparator();
  QAction* residualsItem = residualDock_->toggleViewAction();
  residualsItem->setObjectName(QStringLiteral("ShowResiduals"));
  view->addAction(residualsItem);

  AddHelpMenu(kReferencePointsManualPage);
}

void TVisual_Form::ConnectFields() {
  for (int k = 1; k <= 2; ++k) {
    Row& row = RowOf(k);
    connect(row.Photo, &FileField::ButtonClicked, this,
            [this, k] { RunGuarded(context_.Messages, [&] { ChoosePhoto(k); }); });
    connect(row.Photo, &FileField::EnterPressed, this,
            [this, k] { RunGuarded(context_.Messages, [&] { TypePhotoName(k); }); });
    connect(row.Points, &FileField::ButtonClicked, this,
            [this, k] { RunGuarded(context_.Messages, [&] { ChoosePointFile(k); }); });
  }
  FileField& scene = header_->Scene();
  connect(&scene, &FileField::ButtonClicked, this,
          [this] { RunGuarded(context_.Messages, [&] { ChooseSceneFile(); }); });
  for (FileField* field : {rows_[0].Points, rows_[1].Points, &scene}) {
    connect(field, &FileField::KeyReleased, this, [this, field] { TypePointFileName(*field); });
    connect(field, &FileField::DoubleClicked, this,
            [this, field] { RunGuarded(context_.Messages, [&] { OpenTableEditor(*field); }); });
  }
  for (FileField* field : {rows_[0].Photo, rows_[1].Photo, rows_[0].Points, rows_[1].Points, &scene}) {
    connect(field, &FileField::TextChanged, this, &TVisual_Form::UpdateBuildMenu);
    // Files dropped onto a field go to the window, which assigns them.
    field->Edit()->setAcceptDrops(false);
  }
}

const std::string& TVisual_Form::Photo1Path() const { return rows_[0].Photo->Path(); }
const std::string& TVisual_Form::Photo2Path() const { return rows_[1].Photo->Path(); }
const std::string& TVisual_Form::Points1Path() const { return rows_[0].Points->Path(); }
const std::string& TVisual_Form::Points2Path() const { return rows_[1].Points->Path(); }
const std::string& TVisual_Form::ScenePath() const { return header_->Scene().Path(); }

int TVisual_Form::IdleFlag() const { return jobs_->IdleFlag(); }
bool TVisual_Form::Fitting() const { return fit_->Running(); }

std::vector<TRedForm*> TVisual_Form::Editors() const {
  std::vector<TRedForm*> editors;
  for (const auto& editor : editors_) editors.push_back(editor.get());
  return editors;
}

// --- Choosing and typing the files -----------------------------------------

bool TVisual_Form::LoadRowPhoto(int k, const std::string& path) {
  Row& row = RowOf(k);
  qt::SharedPhoto photo = LoadPhotoForView(path, context_.Messages);
  if (!photo) {
    // The field goes on naming the photograph the view shows, which is the
    // one a build renders and a saved input set names.
    row.Photo->SetPath(row.Photo->Path());
    return false;
  }
  row.Photo->SetPath(path);
  row.Size = PhotoSize{static_cast<double>(photo->Width()), static_cast<double>(photo->Height())};
  row.View->SetPhoto(std::move(photo));
  return true;
}

void TVisual_Form::AssignPhoto(int k, const std::string& path) {
  Row& row = RowOf(k);
  if (!LoadRowPhoto(k, path)) return;
  const std::string points = CompanionPath(path, "crd");
  // The companion point file replaces the row's list only with the user's
  // consent to drop its unsaved edits.
  if (FileExists(points) && points != row.Points->Path() && MayReplacePoints()) row.Points->SetPath(points);
  ReloadPoints();
}

void TVisual_Form::AssignPointFile(int k, const std::string& path) {
  if (path != RowOf(k).Points->Path() && !MayReplacePoints()) return;
  Row& row = RowOf(k);
  row.Points->SetPath(path);
  ReloadPoints();
  const std::string photo = CompanionPhoto(path);
  if (photo.empty()) return;
  LoadRowPhoto(k, photo);
  ReloadPoints();
}

void TVisual_Form::AssignSceneFile(const std::string& path) {
  if (path != ScenePath() && !MayReplacePoints()) return;
  header_->Scene().SetPath(path);
  ReloadPoints();
}

void TVisual_Form::ChoosePhoto(int k) {
  const QString chosen = context_.Files.OpenFileName(
      this, FileDialogRequest{CurrentFolder(),
                              PhotoFilter(),
                              {},
                              {},
                              k == 1 ? QStringLiteral("Первый снимок") : QStringLiteral("Второй снимок")});
  if (chosen.isEmpty()) return;
  MoveCurrentFolderTo(chosen);
  AssignPhoto(k, qt::FileNameFromQString(chosen));
}

void TVisual_Form::TypePhotoName(int k) {
  Row& row = RowOf(k);
  if (row.Photo->Empty()) return;
  LoadRowPhoto(k, row.Photo->TypedPath());
}

void TVisual_Form::ChoosePointFile(int k) {
  const QStringList chosen =
      context_.Files.OpenFileNames(this, FileDialogRequest{CurrentFolder(),
                                                           kPointFileFilter,
                                                           {},
                                                           {},
                                                           k == 1 ? QStringLiteral("Реперные точки первого снимка")
                                                                  : QStringLiteral("Реперные точки второго снимка")});
  if (chosen.isEmpty()) return;
  MoveCurrentFolderTo(chosen.front());
  AssignPointFile(k, qt::FileNameFromQString(chosen.front()));
}

void TVisual_Form::ChooseSceneFile() {
  const QStringList chosen = context_.Files.OpenFileNames(
      this, FileDialogRequest{CurrentFolder(), kPointFileFilter, {}, {}, QStringLiteral("Реперные точки сцены")});
  if (chosen.isEmpty()) return;
  MoveCurrentFolderTo(chosen.front());
  AssignSceneFile(qt::FileNameFromQString(chosen.front()));
}

void TVisual_Form::TypePointFileName(FileField& field) {
  const std::string before = field.Path();
  const std::string typed = field.Empty() ? std::string() : field.TypedPath();
  if (typed == before) return;
  if (!MayReplacePoints()) {
    // Отмена: the field names the file being edited again.
    field.SetPath(before);
    return;
  }
  field.HoldPath(typed);
  ReloadPoints();
}

void TVisual_Form::OpenTableEditor(FileField& field) {
  // The editor reads the file: it must hold what the workspace shows.
  const PointList list = &field == rows_[0].Points   ? PointList::First
                         : &field == rows_[1].Points ? PointList::Second
                                                     : PointList::Scene;
  if (points_->Model().Changed(list) && points_->AskToSave() == SaveAnswer::Cancel) return;
  auto editor = std::make_unique<TRedForm>(context_);
  if (!editor->OpenTable(qt::FileNameToQString(field.Path()), TableKind::PointTable)) return;
  editor->show();
  editors_.push_back(std::move(editor));
}

// --- The build menu ----------------------------------------------------------

void TVisual_Form::UpdateBuildMenu() {
  const bool filled =
      !rows_[1].Photo->Empty() && !rows_[0].Photo->Empty() && !rows_[0].Points->Empty() && !rows_[1].Points->Empty();
  // While a fit runs the menu waits for it: one build is computed at a time.
  buildMenu_->menuAction()->setEnabled(filled && !fit_->Running());
  if (!filled) return;
  BuildItem(BuildCommand::AnaglyphOnSecond).setEnabled(true);
  BuildItem(BuildCommand::AnaglyphOnFirst).setEnabled(true);
  BuildItem(BuildCommand::AnaglyphOnScene).setEnabled(!header_->Scene().Empty());
}

void TVisual_Form::ToggleExpertItems() {
  for (BuildCommand command : kExpertCommands) BuildItem(command).setVisible(!BuildItem(command).isVisible());
  modeMenu_->menuAction()->setVisible(!modeMenu_->menuAction()->isVisible());
  if (dialogs_.Settings != nullptr) dialogs_.Settings->Edit(settings_);
}

void TVisual_Form::StartBuild(BuildCommand command) {
  if (fit_->Running()) return;
  // Builds read the files: unsaved edits are saved first, or the build takes
  // the files as they are on disk (Нет).
  if (points_->AskToSave() == SaveAnswer::Cancel) return;
  live_->Cancel();
  lastCommand_ = command;
  ReferencePointSetup setup;
  setup.Command = command;
  setup.Interpolation = interpolation_ == 2;
  setup.Points1Path = Points1Path();
  setup.Points2Path = Points2Path();
  setup.ScenePath = ScenePath();
  setup.Format = context_.Format;
  setup.Settings = settings_;
  setup.Photo1 = rows_[0].Size;
  setup.Photo2 = rows_[1].Size;
  setup.Threads = context_.Threads;
  setup.Anaglyph = anaglyph_->Choice();
  auto build = std::make_shared<ReferencePointBuild>(setup);
  mode_ = build->Mode();

  if (auto failure = build->Begin()) {
    ShowBuildFailure(*failure, this);
    return;
  }
  StatusBar().ShowNote(build->Choice().TooManySubsets ? TooManySubsetsNote(build->Points1().Count()) : QString());
  if (build->NeedsBuildArea()) {
    if (dialogs_.BuildArea != nullptr) {
      BindBuildArea();
      dialogs_.BuildArea->exec();
    }
    if (auto failure = build->AcceptBuildArea(BuildArea())) {
      ShowBuildFailure(*failure, this);
      return;
    }
  }
  if (build->Method() == EstimationMethod::Statistics) {
    StatusBar().ShowPosition(0);
    StatusBar().ShowStart(QString::fromUtf8(kComputingParametersStatus));
  }
  BuildArea().AreaCancelled = false;
  // The job renders the photographs whose sizes the fit was given, even
  // when another one is loaded while the fit runs.
  fitPhotos_ = {View1().Photo(), View2().Photo()};
  fitPhotoPaths_ = {Photo1Path(), Photo2Path()};
  fit_->Start(std::move(build));
  UpdateBuildMenu();
}

bool TVisual_Form::InputsReadWith(const NumberFormat& format) const {
  for (const std::string* path : {&Points1Path(), &Points2Path(), &ScenePath()}) {
    if (path->empty()) continue;
    VT_Points points(kOwnsItems);
    if (ReadPointFile(*path, points, format)) return false;
  }
  return true;
}

void TVisual_Form::FitFinished() {
  const std::shared_ptr<ReferencePointBuild> build = fit_->Build();
  const std::optional<BuildFailure> failure = fit_->Failure();
  const std::array<qt::SharedPhoto, 2> photos = std::exchange(fitPhotos_, {});
  UpdateBuildMenu();
  if (failure && failure->How == BuildFailure::Kind::Cancelled) {
    StatusBar().ResetDisplay();
    return;
  }
  if (!build->Outcome().Fits.empty()) {
    lastBuild_ = build;
    ShowResiduals(*build);
  }
  if (failure) {
    // Nothing is being computed any more: the status bar must not say so.
    StatusBar().ResetDisplay();
    ShowBuildFailure(*failure, this);
    return;
  }
  if (build->Method() == EstimationMethod::Statistics) StatusBar().ShowPosition(100);

  RenderRequest request;
  if (auto refused = build->MakeRequest(BuildArea(), request)) {
    StatusBar().ResetDisplay();
    ShowBuildFailure(*refused, this);
    return;
  }
  RunGuarded(context_.Messages,
             [&] { jobs_->Start(std::move(request), photos[0], photos[1], fitPhotoPaths_[0], fitPhotoPaths_[1]); });
}

void TVisual_Form::ShowResiduals(const ReferencePointBuild& build) {
  const BuildResiduals residuals = ResidualsOf(build);
  residuals_->Show(residuals);
  residuals_->SelectPoint(points_->Selected());
  points_->SetOutstanding(OutstandingPoint(residuals));
  ShowResidualDockOnce();
  RefreshMarks();
}

void TVisual_Form::ShowResidualDockOnce() {
  if (residualsShownOnce_) return;
  // Opens by itself once, a strip under the photographs; afterwards the
  // user decides whether it stays.
  residualsShownOnce_ = true;
  residualDock_->show();
  resizeDocks({residualDock_}, {std::max(120, height() / 4)}, Qt::Vertical);
}

void TVisual_Form::ScheduleLiveFit() {
  const PointEditModel& model = points_->Model();
  const BuildCommand command =
      lastCommand_.value_or(ScenePath().empty() ? BuildCommand::AnaglyphOnSecond : BuildCommand::AnaglyphOnScene);
  const BuildMode mode = ModeFor(command, interpolation_ == 2);
  if (model.CompletePairs() < 4) {
    live_->Cancel();
    residuals_->ShowNote(QStringLiteral("Невязки появятся, когда будет не меньше четырёх полных пар точек."));
    points_->SetOutstanding(-1);
    return;
  }
  // Beyond this the copy of the lists per edit would be felt.
  constexpr int kMostLivePairs = 20000;
  if (model.CompletePairs() > kMostLivePairs) {
    live_->Cancel();
    residuals_->MarkStale(QStringLiteral("больше %1 пар точек: невязки после построения").arg(kMostLivePairs));
    return;
  }
  if (PlanNeedsScene(mode)) {
    const std::vector<int> missing = model.MissingScene();
    if (!missing.empty()) {
      live_->Cancel();
      residuals_->ShowNote(
          QStringLiteral("Нет координат сцены у точек %1.").arg(QString::fromStdString(PointNumbers(missing))));
      points_->SetOutstanding(-1);
      return;
    }
  }
  LiveFitRequest request;
  request.Mode = mode;
  request.Settings = settings_;
  request.Photo1 = rows_[0].Size;
  request.Photo2 = rows_[1].Size;
  request.Threads = context_.Threads;
  request.Pairs = model.CompletePairs();
  for (const PointList list : kPointLists) request.Lists[static_cast<std::size_t>(list)] = model.Points(list);
  live_->Schedule(std::move(request));
}

void TVisual_Form::ShowLiveResiduals(const BuildResiduals& residuals) {
  residuals_->Show(residuals);
  residuals_->SelectPoint(points_->Selected());
  points_->SetOutstanding(OutstandingPoint(residuals));
  ShowResidualDockOnce();
}

// --- Input sets ----------------------------------------------------------------

void TVisual_Form::LoadInputSet() {
  const QString chosen = context_.Files.OpenFileName(
      this, FileDialogRequest{CurrentFolder(), kProjectFilter, {}, QStringLiteral("prt"), {}});
  if (chosen.isEmpty()) return;
  MoveCurrentFolderTo(chosen);
  LoadInputSetFrom(qt::FileNameFromQString(chosen));
}

void TVisual_Form::LoadInputSetFrom(const std::string& path) {
  if (!MayReplacePoints()) return;
  ProjectFields stored;
  if (const std::optional<ReadFailure> failure = ReadInputSetProject(path, stored)) {
    // The reader has said why; the input set on the screen stays as it was
    // rather than being emptied by a file that could not be read.
    context_.Messages.Show(nullptr, failure->Message.Icon, QString::fromStdString(failure->Message.Caption),
                           QString::fromStdString(failure->DetailedText()));
    return;
  }
  // Paths stored relative to the project stay pointing where they did, even
  // once another dialog has moved the current folder.
  const ProjectFields fields = ResolveProjectPaths(stored, path);
  rows_[0].Photo->SetPath(fields.Image1);
  rows_[1].Photo->SetPath(fields.Image2);
  rows_[0].Points->SetPath(fields.Image1ReperPoints);
  rows_[1].Points->SetPath(fields.Image2ReperPoints);
  header_->Scene().SetPath(fields.SceneReperPoints);
  ReloadPoints(true);

  // A photograph of the set that cannot be loaded leaves its row empty, field
  // and view alike: showing the previous set's picture under the new set's
  // point files would build from a photograph no field names.
  QString why;  // the first photograph that failed, and how
  const auto loaded = [this, &why](int k) {
    Row& row = RowOf(k);
    qt::PhotoLoad load = qt::LoadPhoto(row.Photo->Path());
    if (!load.Photo) {
      if (why.isEmpty()) why = DescribePhotoFailure(row.Photo->Path(), load);
      row.Photo->SetPath({});
      row.View->SetPhoto(nullptr);
      row.Size = PhotoSize{};
      return false;
    }
    row.Size = PhotoSize{static_cast<double>(load.Photo->Width()), static_cast<double>(load.Photo->Height())};
    row.View->SetPhoto(std::move(load.Photo));
    return true;
  };
  const bool first = loaded(1);
  const bool second = loaded(2);
  if (!first || !second)
    context_.Messages.Show(this, MessageIcon::Error, QString::fromUtf8(kErrorCaption),
                           QString::fromUtf8(kInputSetReadError) + "\n" + why);
}

void TVisual_Form::SaveInputSet() {
  const QString chosen = context_.Files.SaveFileName(
      this, FileDialogRequest{CurrentFolder(), kProjectFilter, {}, QStringLiteral("prt"), {}});
  if (chosen.isEmpty()) return;
  MoveCurrentFolderTo(chosen);
  ProjectFields fields;
  fields.Image1 = Photo1Path();
  fields.Image2 = Photo2Path();
  fields.Image1ReperPoints = Points1Path();
  fields.Image2ReperPoints = Points2Path();
  fields.SceneReperPoints = ScenePath();
  OwnedUserDialogs dialogs(context_.Messages, nullptr);
  WriteProject(qt::FileNameFromQString(chosen), fields, dialogs);
}

// --- Views and marks ------------------------------------------------------------

void TVisual_Form::RefreshMarks() {
  const PointList lists[] = {PointList::First, PointList::Second};
  for (std::size_t k = 0; k < 2; ++k)
    rows_[k].View->SetMarks(marksItem_->isChecked() ? points_->Marks(lists[k]) : std::vector<PhotoMark>{});
}

void TVisual_Form::ReloadPoints(bool all) {
  const std::array<std::string, 3> lists = {Points1Path(), Points2Path(), ScenePath()};
  points_->SetFiles(lists, {Photo1Path(), Photo2Path()}, all);
  watcher_->Watch({lists.begin(), lists.end()});
  RefreshMarks();
}

bool TVisual_Form::MayReplacePoints() { return points_->AskToSave() != SaveAnswer::Cancel; }

// Another program wrote a point file: read again, unless that would drop
// unsaved edits the user wants to keep.
void TVisual_Form::PointFilesChanged(const std::vector<std::string>& paths) {
  for (const PointList list : kPointLists) {
    const std::string& path = points_->Path(list);
    if (path.empty() || std::find(paths.begin(), paths.end(), path) == paths.end()) continue;
    if (points_->Model().Changed(list) &&
        !context_.Messages.AskYesNo(this, QStringLiteral("Предупреждение"),
                                    QStringLiteral("Файл %1 изменён другой программой. Загрузить его, отбросив "
                                                   "несохранённые правки точек?")
                                        .arg(QString::fromStdString(BareName(path)))))
      continue;
    points_->Reload(list);
  }
  RefreshMarks();
}

void TVisual_Form::PointFileNamed(PointList list, const std::string& path) {
  FileField& field = list == PointList::First    ? *rows_[0].Points
                     : list == PointList::Second ? *rows_[1].Points
                                                 : header_->Scene();
  field.SetPath(path);
  watcher_->Watch({Points1Path(), Points2Path(), ScenePath()});
}

void TVisual_Form::ShowPointStatus(const QString& text) {
  // A build's own status stays while it runs.
  if (fit_->Running() || IdleFlag() == 0) return;
  StatusBar().StatusField().setText(text);
}

// The point as the lists hold it. Locked views move together, so the first
// leads.
void TVisual_Form::CentreOnPoint(int index) {
  points_->Select(index);
  const PointList lists[] = {PointList::First, PointList::Second};
  for (int k = 0; k < 2; ++k) {
    if (k == 1 && lock_->Locked()) break;
    const std::vector<EditedPoint>& points = points_->Model().Points(lists[k]);
    if (index < 0 || index >= static_cast<int>(points.size())) continue;
    CentreOn(*rows_[static_cast<std::size_t>(k)].View, *points[static_cast<std::size_t>(index)].X,
             *points[static_cast<std::size_t>(index)].Y);
  }
}

void TVisual_Form::closeEvent(QCloseEvent* event) {
  if (points_->AskToSave() == SaveAnswer::Cancel) {
    event->ignore();
    return;
  }
  WorkspaceWindow::closeEvent(event);
}

void TVisual_Form::showEvent(QShowEvent* event) {
  WorkspaceWindow::showEvent(event);
  if (event->spontaneous()) return;
  header_->LayOut();
  const int half = width() / 2;
  splitter_->setSizes({half, width() - half});
}

// --- Drag and drop ----------------------------------------------------------------

DropTarget TVisual_Form::TargetAt(const QPoint& position) const {
  const QWidget* under = childAt(position);
  if (Inside(under, header_->Scene().Edit()) || Inside(under, header_->Scene().Button())) return DropTarget::Scene;
  for (const QWidget* second :
       std::initializer_list<const QWidget*>{rows_[1].Photo->Edit(), rows_[1].Photo->Button(), rows_[1].Points->Edit(),
                                             rows_[1].Points->Button(), rows_[1].View})
    if (Inside(under, second)) return DropTarget::SecondRow;
  for (const QWidget* first :
       std::initializer_list<const QWidget*>{rows_[0].Photo->Edit(), rows_[0].Photo->Button(), rows_[0].Points->Edit(),
                                             rows_[0].Points->Button(), rows_[0].View})
    if (Inside(under, first)) return DropTarget::FirstRow;
  return position.x() < width() / 2 ? DropTarget::FirstRow : DropTarget::SecondRow;
}

void TVisual_Form::dragEnterEvent(QDragEnterEvent* event) {
  for (const std::string& path : DroppedPaths(*event->mimeData()))
    if (KindOfDroppedFile(path) != DroppedKind::Other) {
      event->acceptProposedAction();
      return;
    }
}

void TVisual_Form::dragMoveEvent(QDragMoveEvent* event) { event->acceptProposedAction(); }

void TVisual_Form::dropEvent(QDropEvent* event) {
  const std::vector<std::string> files = DroppedPaths(*event->mimeData());
  const DropTarget target = TargetAt(event->position().toPoint());
  if (PlanDrop(files, target).Empty()) return;
  event->acceptProposedAction();
  AssignFiles(files, target);
}

void TVisual_Form::AssignFiles(const std::vector<std::string>& files, DropTarget target) {
  const DropPlan plan = PlanDrop(files, target);
  RunGuarded(context_.Messages, [&] {
    if (!plan.Project.empty()) {
      MoveCurrentFolderTo(qt::FileNameToQString(plan.Project));
      LoadInputSetFrom(plan.Project);
      return;
    }
    for (const DropPlan::Assignment& photo : plan.Photos) {
      MoveCurrentFolderTo(qt::FileNameToQString(photo.Path));
      AssignPhoto(photo.Target == DropTarget::SecondRow ? 2 : 1, photo.Path);
    }
    for (const DropPlan::Assignment& points : plan.PointFiles) {
      MoveCurrentFolderTo(qt::FileNameToQString(points.Path));
      if (points.Target == DropTarget::Scene)
        AssignSceneFile(points.Path);
      else
        AssignPointFile(points.Target == DropTarget::SecondRow ? 2 : 1, points.Path);
    }
  });
}

}  // namespace vesk::gui
