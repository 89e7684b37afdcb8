#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

#include "gui/common/GuiContext.h"
#include "gui/render/VisualThread.h"
#include "model/VT_Points.h"
#include "progress/ElapsedTime.h"
#include "qt/ImageFiles.h"
#include "render/RenderRequest.h"

class QWidget;

namespace vesk::gui {

class WorkspaceStatusBar;

// What a workspace hands to a rendering job: its two coefficient lists in
// stored order (the second is read by the scene-based anaglyphs only), its
// two photographs, the build mode, its build area (0 until the build-area
// dialog was first accepted) and, for orientation builds, the image planes
// of the photographs.
struct JobOrder {
  const VT_Points& List1;
  const VT_Points& List2;
  qt::SharedPhoto Photo1;
  qt::SharedPhoto Photo2;
  BuildMode Mode = BuildMode::SecondToFirst;
  BuildArea Area;
  ImagePlane Plane1;
  ImagePlane Plane2;
  Origin From = Origin::FromReferencePoints;
};

// A workspace's side of its rendering jobs: starts them the way both
// workspaces do, shows their progress in the workspace's status bar, shows
// each result when its job completes, and stops the job started last on
// Esc anywhere in the workspace window.
class RenderJobControl : public QObject {
  Q_OBJECT

 public:
  // `workspace` is the window whose Esc stops the job; `context.Jobs` must
  // be set.
  RenderJobControl(QWidget& workspace, WorkspaceStatusBar& status, const GuiContext& context);

  // Marks the workspace busy (idle flag 0), shows "0 : 0 : 0" and
  // "Построение изображения", makes the job (its viewer prepared, hidden)
  // and starts it; the job started last is the one Esc stops. A request
  // that cannot be rendered raises its error (a coefficient list shorter
  // than eight, the request's refusal): no job is made and the status bar
  // is cleared; the idle flag stays 0.
  VisualThread* Start(const JobOrder& order);
  // The same for a request a core build has made already, with the
  // workspace's two photographs; their paths name them in the viewer's
  // caption.
  VisualThread* Start(RenderRequest request, qt::SharedPhoto photo1, qt::SharedPhoto photo2,
                      const std::string& photo1Path = {}, const std::string& photo2Path = {});

  // The terminate request of the job started last, while the idle flag is
  // 0 and that job still runs; nothing otherwise.
  void Stop();

  // Work of the workspace's own that Esc stops before any job (a fit that
  // runs in the background): Esc asks `handler` first, and when it returns
  // true the key is spent and no job is stopped.
  void SetEscapeHandler(std::function<bool()> handler) { escapeFirst_ = std::move(handler); }

  // 0 from a start until a job of this workspace completes; a cancelled or
  // failed job leaves it at 0.
  int IdleFlag() const { return idleFlag_; }
  // The job started last while it runs; null once it has ended.
  VisualThread* Job() const { return job_; }
  // When the last build started.
  const TimeOfDay& StartTime() const { return startTime_; }

 signals:
  // A job of this workspace has ended; after Completed its viewer is shown.
  void JobEnded(vesk::RenderStatus status);

 private:
  VisualThread* StartMade(const std::function<RenderRequest()>& makeRequest, qt::SharedPhoto photo1,
                          qt::SharedPhoto photo2, const std::string& photo1Path, const std::string& photo2Path);
  void FinishJob(VisualThread& job);
  void JobStopped(VisualThread& job, RenderStatus status, const QString& failure);

  WorkspaceStatusBar& status_;
  const GuiContext& context_;
  int idleFlag_ = 1;
  QPointer<VisualThread> job_;
  TimeOfDay startTime_;
  std::function<bool()> escapeFirst_;
};

}  // namespace vesk::gui
