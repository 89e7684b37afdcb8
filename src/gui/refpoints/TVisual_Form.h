#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "build/BuildCommands.h"
#include "editing/PointEditModel.h"
#include "estimation/BuildFit.h"
#include "gui/workspace/WorkspaceWindow.h"
#include "qt/ImageFiles.h"

class QAction;
class QActionGroup;
class QDockWidget;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMenu;
class QSplitter;

namespace vesk {
class ReferencePointBuild;
struct BuildFailure;
}  // namespace vesk

namespace vesk::gui {

class BackgroundFit;
class FileField;
class PhotoView;
class LiveResiduals;
class PointEditor;
class PointTableModel;
class PointFileWatcher;
class PointFilesHeader;
class RenderJobControl;
class ResidualTable;
struct BuildResiduals;
class TRedForm;
class ViewLock;
enum class DropTarget;

inline constexpr const char* kReferencePointWorkspaceTitle = "Построение стереоизображений по реперным точкам";
inline constexpr const char* kComputingParametersStatus = "Вычисление параметров";

class AnaglyphMenu;

// The reference-point workspace: two photographs side by side, the point
// files of both and of the scene, and the build menu. A build reads the
// point files, asks for the build area when its mode needs one, fits the
// transformations (the statistical method in the background, the window
// repainting and its bar advancing) and hands them to a rendering job,
// whose result opens in a viewer of its own. The reference points are drawn
// on the photographs, and after every build the residuals of its fit are
// listed in a panel.
class TVisual_Form : public WorkspaceWindow {
  Q_OBJECT

 public:
  TVisual_Form(const GuiContext& context, const SharedDialogs& dialogs, QWidget* parent = nullptr);
  ~TVisual_Form() override;

  // The whole paths the fields hold.
  const std::string& Photo1Path() const;
  const std::string& Photo2Path() const;
  const std::string& Points1Path() const;
  const std::string& Points2Path() const;
  const std::string& ScenePath() const;
  // Photo1Width x Photo1Height and Photo2Width x Photo2Height, as recorded
  // when each photograph was last loaded into its view; 0 x 0 before.
  PhotoSize Photo1Size() const { return rows_[0].Size; }
  PhotoSize Photo2Size() const { return rows_[1].Size; }

  // SigmaCount, MinAngle and MinDistance, edited in the settings dialog.
  StatisticalSettings& Settings() { return settings_; }
  // 1 "Без интерполяции", 2 "С интерполяцией".
  int Interpolation() const { return interpolation_; }
  // The mode of the build being made, or of the last one.
  BuildMode Mode() const { return mode_; }
  // 0 while a rendering job started here runs.
  int IdleFlag() const;
  // True while the fit of a build runs in the background.
  bool Fitting() const;
  // The last build whose fit ran to its end (its points and fitted sets);
  // null before the first.
  const ReferencePointBuild* LastBuild() const { return lastBuild_.get(); }

  PhotoView& View1() { return *rows_[0].View; }
  PhotoView& View2() { return *rows_[1].View; }
  ResidualTable& Residuals() { return *residuals_; }
  PointEditor& Points() { return *points_; }
  QDockWidget& ResidualDock() { return *residualDock_; }
  QDockWidget& PointsDock() { return *pointsDock_; }
  RenderJobControl& Jobs() { return *jobs_; }
  QMenu& BuildMenu() { return *buildMenu_; }
  QMenu& ModeMenu() { return *modeMenu_; }
  QAction& BuildItem(BuildCommand command) { return *buildItems_[static_cast<std::size_t>(command)]; }
  // The editors opened by double clicks, in order.
  std::vector<TRedForm*> Editors() const;

  // One operation per user action; row 1 or 2.
  void ChoosePhoto(int row);
  void TypePhotoName(int row);
  void ChoosePointFile(int row);
  void ChooseSceneFile();
  void TypePointFileName(FileField& field);
  void UpdateBuildMenu();
  void ToggleExpertItems();
  void StartBuild(BuildCommand command);
  void LoadInputSet();
  void SaveInputSet();
  // The input set of the project file at `path` (after its dialog, or
  // dropped onto the window).
  void LoadInputSetFrom(const std::string& path);
  // Files dropped on `target` (or given any other way than their dialogs),
  // taken as PlanDrop says, each as if chosen in its dialog.
  void AssignFiles(const std::vector<std::string>& files, DropTarget target);
  void OpenTableEditor(FileField& field);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool InputsReadWith(const NumberFormat& format) const override;

 private:
  // One photograph with its point file and its view.
  struct Row {
    FileField* Photo = nullptr;
    FileField* Points = nullptr;
    PhotoView* View = nullptr;
    PhotoSize Size;
  };

  void MakeMenus();
  void ConnectFields();
  // What the choose buttons and drops do once a file is chosen.
  void AssignPhoto(int row, const std::string& path);
  void AssignPointFile(int row, const std::string& path);
  void AssignSceneFile(const std::string& path);
  // Loads the photograph at `path` into the row's view, records its size and
  // makes it the row's photograph; false (the standard error box told why)
  // when it cannot be loaded: the path, the field, the view and the size
  // stay as they were.
  bool LoadRowPhoto(int row, const std::string& path);
  void FitFinished();
  void ShowResiduals(const ReferencePointBuild& build);
  void RefreshMarks();
  // The point files the fields name, into the point editor: a list whose
  // path changed (every list with `all`) is read again.
  void ReloadPoints(bool all = false);
  // Before the point files are replaced: false when the user chose Отмена
  // at "Точки изменены. Сохранить?".
  bool MayReplacePoints();
  void PointFilesChanged(const std::vector<std::string>& paths);
  void PointFileNamed(PointList list, const std::string& path);
  void ShowPointStatus(const QString& text);
  // The fit of the build choice over the points as they stand, in the
  // background; its residuals replace the panel's.
  void ScheduleLiveFit();
  void ShowLiveResiduals(const BuildResiduals& residuals);
  void ShowResidualDockOnce();
  void CentreOnPoint(int index);
  DropTarget TargetAt(const QPoint& position) const;
  Row& RowOf(int row) { return rows_[row == 2 ? 1 : 0]; }

  std::array<Row, 2> rows_;
  PointFilesHeader* header_;
  QSplitter* splitter_;
  ViewLock* lock_;
  RenderJobControl* jobs_;
  BackgroundFit* fit_;
  PointFileWatcher* watcher_;
  PointEditor* points_;
  LiveResiduals* live_;
  // The build command the live residuals are of: the one started last.
  std::optional<BuildCommand> lastCommand_;
  ResidualTable* residuals_;
  QDockWidget* residualDock_;
  PointTableModel* pointTable_;
  QDockWidget* pointsDock_;
  bool residualsShownOnce_ = false;

  QMenu* modeMenu_ = nullptr;
  QMenu* buildMenu_ = nullptr;
  AnaglyphMenu* anaglyph_ = nullptr;
  QActionGroup* interpolationGroup_ = nullptr;
  std::array<QAction*, 7> buildItems_{};
  QAction* marksItem_ = nullptr;
  QAction* lockItem_ = nullptr;

  StatisticalSettings settings_;
  int interpolation_ = 2;
  BuildMode mode_ = BuildMode::SecondToFirst;
  std::shared_ptr<ReferencePointBuild> lastBuild_;
  std::array<qt::SharedPhoto, 2> fitPhotos_;  // of the build whose fit runs
  std::array<std::string, 2> fitPhotoPaths_;  // their names, for the viewer's caption
  std::vector<std::unique_ptr<TRedForm>> editors_;
};

}  // namespace vesk::gui
