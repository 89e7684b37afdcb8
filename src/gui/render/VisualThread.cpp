#include "gui/render/VisualThread.h"

#include <QtConcurrent/QtConcurrentRun>

#include "gui/common/MessageBoxes.h"
#include "gui/render/ResultViewers.h"
#include "gui/render/TForm2.h"
#include "render/RenderMessages.h"

namespace vesk::gui {
namespace {

PictureSize SizeOf(const qt::SharedPhoto& photo) {
  return photo ? PictureSize{photo->Width(), photo->Height()} : PictureSize{};
}

}  // namespace

VisualThread::VisualThread(RenderRequest request, qt::SharedPhoto photo1, qt::SharedPhoto photo2,
                           ResultViewers& viewers, QThreadPool& pool, QObject* parent)
    : QObject(parent), state_(std::make_shared<WorkerState>()), pool_(pool) {
  const PictureSize size1 = SizeOf(photo1);
  const PictureSize size2 = SizeOf(photo2);
  ValidateRenderRequest(request, size1, size2);
  state_->Request = std::move(request);
  state_->Photo1 = std::move(photo1);
  state_->Photo2 = std::move(photo2);

  // PrepareResult: the viewer exists, hidden, before the job runs.
  viewer_ = viewers.Create();
  viewer_->PrepareResult(state_->Request.Mode, ResultSize(state_->Request, size1, size2), state_->Request.Area);

  // The worker emits; the job, living on the user-interface thread, passes
  // the values on there.
  connect(&progress_, &qt::SignalProgress::PositionChanged, this, &VisualThread::PositionChanged, Qt::QueuedConnection);
  connect(&progress_, &qt::SignalProgress::ElapsedTextChanged, this, &VisualThread::ElapsedTextChanged,
          Qt::QueuedConnection);
  connect(&watcher_, &QFutureWatcher<void>::finished, this, &VisualThread::RenderEnded);
}

VisualThread::~VisualThread() {
  if (running_) {
    state_->Cancel.Request();
    watcher_.waitForFinished();
  }
}

void VisualThread::Resume() {
  if (resumed_) return;
  resumed_ = true;
  running_ = true;
  std::shared_ptr<WorkerState> state = state_;
  ProgressSink* progress = &progress_;  // outlives the worker: the destructor waits for it
  const RenderOptions options = options_;
  watcher_.setFuture(QtConcurrent::run(&pool_, [state, progress, options] {
    try {
      static const RgbImage kNoPhoto;
      const RgbImage& photo1 = state->Photo1 ? *state->Photo1 : kNoPhoto;
      const RgbImage& photo2 = state->Photo2 ? *state->Photo2 : kNoPhoto;
      state->Outcome = RenderBuild(state->Request, photo1, photo2, *progress, state->Cancel, options);
      if (state->Outcome.Status == RenderStatus::Failed) state->Failure = kRenderArithmeticFault;
    } catch (...) {
      state->Outcome = RenderOutcome{RenderStatus::Failed, {}};
      state->Failure = DescribeException(std::current_exception()).toStdString();
    }
  }));
}

void VisualThread::RenderEnded() {
  running_ = false;
  const RenderStatus status = state_->Outcome.Status;
  if (viewer_) {
    if (status == RenderStatus::Completed) {
      viewer_->SetResult(std::make_shared<const RgbImage>(std::move(state_->Outcome.Result)));
    } else {
      // Never to be shown: its memory goes now rather than at the end.
      viewer_->deleteLater();
      viewer_ = nullptr;
    }
  }
  // The photographs are not needed any more; the workspace may hold them on.
  state_->Photo1.reset();
  state_->Photo2.reset();
  emit Ended(status, QString::fromStdString(state_->Failure));
  deleteLater();
}

}  // namespace vesk::gui
