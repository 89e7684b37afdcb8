#include "gui/workspace/RenderJobControl.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QProgressBar>
#include <QShortcut>
#include <stdexcept>

#include "gui/common/MessageBoxes.h"
#include "gui/render/RenderJobs.h"
#include "gui/render/TForm2.h"
#include "gui/workspace/WorkspaceStatusBar.h"
#include "render/RenderMessages.h"

namespace vesk::gui {

RenderJobControl::RenderJobControl(QWidget& workspace, WorkspaceStatusBar& status, const GuiContext& context)
    : QObject(&workspace), status_(status), context_(context) {
  if (context.Jobs == nullptr) throw std::logic_error("RenderJobControl needs the application's rendering jobs");
  // Esc anywhere in the window, whichever field has the focus.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &workspace);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, [this] {
    if (escapeFirst_ && escapeFirst_()) return;
    Stop();
  });
}

VisualThread* RenderJobControl::Start(const JobOrder& order) {
  return StartMade(
      [&order] {
        return MakeRenderRequest(order.List1, order.List2, order.Mode, order.Area, order.Plane1, order.Plane2,
                                 order.From);
      },
      order.Photo1, order.Photo2, {}, {});
}

VisualThread* RenderJobControl::Start(RenderRequest request, qt::SharedPhoto photo1, qt::SharedPhoto photo2,
                                      const std::string& photo1Path, const std::string& photo2Path) {
  return StartMade([&request] { return std::move(request); }, std::move(photo1), std::move(photo2), photo1Path,
                   photo2Path);
}

VisualThread* RenderJobControl::StartMade(const std::function<RenderRequest()>& makeRequest, qt::SharedPhoto photo1,
                                          qt::SharedPhoto photo2, const std::string& photo1Path,
                                          const std::string& photo2Path) {
  idleFlag_ = 0;
  startTime_ = CurrentTimeOfDay();
  status_.ShowStart(QString::fromUtf8(kBuildingImageStatus));

  VisualThread* job = nullptr;
  try {
    job = context_.Jobs->Create(makeRequest(), std::move(photo1), std::move(photo2));
  } catch (...) {
    // Nothing is being built: the status bar must not say otherwise.
    status_.ResetDisplay();
    throw;
  }

  if (TForm2* viewer = job->Viewer()) viewer->SetSourcePhotos(photo1Path, photo2Path);
  connect(job, &VisualThread::PositionChanged, &status_, &WorkspaceStatusBar::ShowPosition);
  connect(job, &VisualThread::ElapsedTextChanged, &status_, &WorkspaceStatusBar::ShowElapsed);
  connect(job, &VisualThread::Ended, this, [this, job](RenderStatus status, const QString& failure) {
    if (status == RenderStatus::Completed)
      FinishJob(*job);
    else
      JobStopped(*job, status, failure);
    if (job_ == job) job_ = nullptr;
    emit JobEnded(status);
  });
  status_.ShowPosition(0);
  job->SetStartTime(startTime_);
  job->SetThreads(context_.Threads);
  job->Resume();
  job_ = job;
  return job;
}

void RenderJobControl::Stop() {
  if (idleFlag_ == 0 && job_) job_->RequestStop();
}

void RenderJobControl::FinishJob(VisualThread& job) {
  idleFlag_ = 1;
  status_.ShowFinish();
  if (TForm2* viewer = job.Viewer()) {
    viewer->show();
    viewer->raise();
  }
  status_.ResetDisplay();
}

void RenderJobControl::JobStopped(VisualThread&, RenderStatus status, const QString& failure) {
  status_.ResetDisplay();
  // A stop the user asked for needs no words; a render that broke down does.
  if (status == RenderStatus::Failed) ShowStandardError(context_.Messages, failure);
}

}  // namespace vesk::gui
