#include "gui/workspace/RenderJobControl.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QProgressBar>
#include <QShortcut>
#include <QStringList>
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
  notice_.clear();
  startTime_ = CurrentTimeOfDay();
  status_.ShowStart(QString::fromUtf8(kBuildingImageStatus));

  VisualThread* job = nullptr;
  try {
    job = context_.Jobs->Create(makeRequest(), std::move(photo1), std::move(photo2));
  } catch (...) {
    // Nothing more is being built: the status bar must not say otherwise.
    ShowRunning();
    throw;
  }

  if (TForm2* viewer = job->Viewer()) viewer->SetSourcePhotos(photo1Path, photo2Path);
  running_.push_back(Running{job, 0, QString::fromLatin1(kStartElapsedText)});
  connect(job, &VisualThread::PositionChanged, this, [this, job](int position) {
    if (Running* entry = Find(job)) entry->Percent = position;
    ShowRunning();
  });
  connect(job, &VisualThread::ElapsedTextChanged, this, [this, job](const QString& text) {
    if (Running* entry = Find(job)) entry->Elapsed = text;
    ShowRunning();
  });
  connect(job, &VisualThread::Ended, this, [this, job](RenderStatus status, const QString& failure) {
    OnJobEnded(*job, status, failure);
    emit JobEnded(status);
  });
  job->SetStartTime(startTime_);
  job->SetThreads(context_.Threads);
  job->Resume();
  ShowRunning();
  return job;
}

VisualThread* RenderJobControl::Job() const {
  for (auto it = running_.rbegin(); it != running_.rend(); ++it)
    if (it->Job) return it->Job;
  return nullptr;
}

RenderJobControl::Running* RenderJobControl::Find(const VisualThread* job) {
  for (Running& entry : running_)
    if (entry.Job == job) return &entry;
  return nullptr;
}

void RenderJobControl::Stop() {
  for (auto it = running_.rbegin(); it != running_.rend(); ++it)
    if (it->Job && it->Job->Running() && !it->Job->StopRequested()) {
      it->Job->RequestStop();
      return;
    }
}

void RenderJobControl::OnJobEnded(VisualThread& job, RenderStatus status, const QString& failure) {
  std::erase_if(running_, [&job](const Running& entry) { return entry.Job == &job || entry.Job.isNull(); });
  switch (status) {
    case RenderStatus::Completed:
      if (running_.empty()) status_.ShowFinish();
      if (TForm2* viewer = job.Viewer()) {
        viewer->show();
        viewer->raise();
      }
      break;
    case RenderStatus::Cancelled:
      // A stop the user asked for needs no box, only a word that it happened.
      notice_ = QString::fromUtf8(kBuildCancelledStatus);
      break;
    case RenderStatus::Failed:
      ShowStandardError(context_.Messages, failure);
      break;
  }
  ShowRunning();
}

void RenderJobControl::ShowRunning() {
  std::erase_if(running_, [](const Running& entry) { return entry.Job.isNull(); });
  if (running_.empty()) {
    status_.ResetDisplay();
    status_.ProgressBar().setToolTip({});
    if (!notice_.isEmpty()) status_.StatusField().setText(notice_);
    return;
  }
  int sum = 0;
  QStringList each;
  for (const Running& entry : running_) {
    sum += entry.Percent;
    each << QStringLiteral("%1 %").arg(entry.Percent);
  }
  const int count = static_cast<int>(running_.size());
  status_.ShowPosition(sum / count);
  status_.ProgressBar().setToolTip(each.join(QStringLiteral(", ")));
  const QString text =
      count == 1 ? QString::fromUtf8(kBuildingImageStatus) : QStringLiteral("Построение изображений: %1").arg(count);
  if (status_.StatusField().text() != text) status_.StatusField().setText(text);
  // The time of the job running longest: how long the workspace has been busy.
  status_.ShowElapsed(running_.front().Elapsed);
}

}  // namespace vesk::gui
