#pragma once

#include <QStringList>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "build/BuildCommands.h"
#include "build/BuildFailure.h"
#include "build/OrientationBuild.h"
#include "gui/workspace/WorkspaceWindow.h"
#include "orientation/CameraModel.h"
#include "orientation/OrientationInputs.h"

class QAction;
class QActionGroup;
class QMenu;
class QSplitter;
class QTimer;

namespace vesk::gui {

class FileField;
class PhotoView;
class RenderJobControl;
class TRedForm;

inline constexpr const char* kOrientationWorkspaceTitle = "Построение стереоизображений по ориентации";

inline constexpr const char* kOrientationFilter = "Orientation Files (*.ort);;All Files (*)";
inline constexpr const char* kCameraFilter = "Camera Files (*.cam);;All Files (*)";
inline constexpr const char* kProjectFilter = "Project Files (*.prt);;All Files (*)";
// The name the calibration dialog offers at first.
inline constexpr const char* kProposedCameraName = "Kalibr";

class AnaglyphMenu;

// The orientation workspace: two photographs, each with its shooting
// geometry (.ort) and its camera's calibration (.cam); the build menu
// derives the transformations from them in the chosen coordinate convention
// and starts a rendering job. The rows are numbered 1 and 2 as the window
// labels them.
class TVisual2_Form : public WorkspaceWindow {
  Q_OBJECT

 public:
  TVisual2_Form(const GuiContext& context, const SharedDialogs& dialogs, QWidget* parent = nullptr);
  ~TVisual2_Form() override;

  // Photo1Path, Orientation1Path, Camera1Path for row 1; the same for row 2.
  const std::string& PhotoPath(int row) const;
  const std::string& OrientationPath(int row) const;
  const std::string& CameraPath(int row) const;
  // The pane of the row's photograph (`ScrollBox3`, `ScrollBox4`).
  PhotoView& Pane(int row) const;

  CoordinateConvention Convention() const { return convention_; }
  // 1 without interpolation, 2 with.
  int Interpolation() const { return interpolation_; }
  // IdleFlag, Job and StartTime of this workspace's builds.
  RenderJobControl& Jobs() const { return *jobs_; }
  // The table editors opened from the fields, oldest first.
  std::vector<TRedForm*> Editors() const;

  // The user's operations.
  void ChoosePhoto(int row);
  void ChooseOrientationFile(int row);
  void ChooseCameraFile(int row);
  void TypePhotoName(int row);
  void TypeFileName(FileField& field);
  void EditFile(FileField& field);
  void UpdateBuildMenu();
  void ToggleExtraItems();
  void StartBuild(BuildCommand command);
  void LoadInputSet();
  void SaveInputSet();

  // LoadInputSet after the dialog: the input set of the project at `path`.
  void LoadInputSetFrom(const std::string& path);
  // Files given by a drop (or any other way than their dialogs): each taken
  // by its extension as if chosen in its dialog. One file of a kind goes to
  // `row`; two go to rows 1 and 2 in their order; a project is loaded whole
  // before the rest is taken.
  void AssignFiles(const QStringList& paths, int row);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool InputsReadWith(const NumberFormat& format) const override;

 private:
  // One photograph's row: its three fields and its pane.
  struct Row {
    FileField* Photo = nullptr;
    FileField* Orientation = nullptr;
    FileField* Camera = nullptr;
    PhotoView* Pane = nullptr;
  };

  QWidget* MakeHeader();
  QSplitter* MakePanes();
  void MakeMenus();
  void ConnectRow(int row);
  Row& RowOf(int row);
  const Row& RowOf(int row) const;
  int RowAt(QPoint windowPosition) const;

  // The photograph at `path` into the row's pane; false, after the
  // standard error box, when it cannot be loaded (nothing changes then).
  bool AssignPhoto(int row, const std::string& path, bool withCompanion);
  void AssignOrientation(int row, const std::string& path, bool withCompanion);

  void OrientationBuild(vesk::OrientationBuild& build);
  void ShowInternalError();
  OrientationFilePaths DataPaths() const;
  bool DataFilesNamed() const;

  void SetConvention(CoordinateConvention convention);
  void SetInterpolation(int interpolation);

  // The build area drawn on both photographs, while asked for.
  void PathsChanged();
  void RefreshAreaOutline();
  void DrawAreaOutline(const OrientationInputs& inputs);
  void ClearAreaOutline();

  std::array<Row, 2> rows_;
  RenderJobControl* jobs_ = nullptr;
  CoordinateConvention convention_ = CoordinateConvention::Mathematical;
  int interpolation_ = 2;

  QMenu* buildMenu_ = nullptr;
  AnaglyphMenu* anaglyph_ = nullptr;
  std::vector<QAction*> extraItems_;  // hidden until Ctrl+J, with the separator
  QAction* withoutInterpolation_ = nullptr;
  QAction* withInterpolation_ = nullptr;
  QAction* mathematical_ = nullptr;
  QAction* photogrammetric_ = nullptr;
  QAction* laboratory_ = nullptr;
  QAction* showArea_ = nullptr;
  QTimer* outlineTimer_ = nullptr;
  std::vector<std::unique_ptr<TRedForm>> editors_;
};

}  // namespace vesk::gui
