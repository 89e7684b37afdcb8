#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

#include "gui/render/TForm2.h"
#include "progress/ElapsedTime.h"
#include "progress/ProgressSink.h"
#include "qt/ImageFiles.h"
#include "qt/SignalProgress.h"
#include "render/RenderEngine.h"
#include "render/RenderRequest.h"

class QThreadPool;

namespace vesk::gui {

class ResultViewers;

// One rendering job: a build's render run on a worker thread. The job holds
// its request and its two photographs (shared with the workspace, so that
// loading another photograph while it runs frees nothing it reads), and the
// viewer made for its result, hidden until the job completes. Everything
// that touches a window runs on the user-interface thread: the worker only
// computes, and its progress arrives there through queued signals.
//
// A job frees itself once it has ended; hold it by QPointer.
class VisualThread : public QObject {
  Q_OBJECT

 public:
  // Refuses an undefined request (VeskError with the user's message) before
  // any window is made; then prepares the hidden viewer: its title for the
  // mode, its size, its picture sized to the result.
  // Made by RenderJobs, which owns the job until it frees itself.
  VisualThread(RenderRequest request, qt::SharedPhoto photo1, qt::SharedPhoto photo2, ResultViewers& viewers,
               QThreadPool& pool, QObject* parent);
  // A job still running is asked to stop and waited for.
  ~VisualThread() override;

  // When the build started (the elapsed time counts from it); threads the
  // render may use (0: every core). Both before Resume.
  void SetStartTime(const TimeOfDay& start) { options_.StartTime = start; }
  void SetThreads(int threads) { options_.Threads = threads; }

  // Starts the render on a worker thread.
  void Resume();
  // The terminate request: the render stops at the start of its next column.
  void RequestStop() { state_->Cancel.Request(); }
  bool StopRequested() const { return state_->Cancel.Requested(); }
  bool Running() const { return running_; }

  const RenderRequest& Request() const { return state_->Request; }
  // The job's viewer; null once it has been released.
  TForm2* Viewer() const { return viewer_; }

 signals:
  void PositionChanged(int position);
  void ElapsedTextChanged(const QString& text);
  // Once, when the render has ended. After Completed the viewer holds the
  // result, still hidden; after Cancelled or Failed the viewer is gone
  // (never shown), and `failure` says why a failed job failed.
  void Ended(vesk::RenderStatus status, const QString& failure);

 private:
  // What the worker reads and writes; kept alive by whichever side ends
  // last.
  struct WorkerState {
    RenderRequest Request;
    qt::SharedPhoto Photo1;
    qt::SharedPhoto Photo2;
    CancelToken Cancel;
    RenderOutcome Outcome;
    std::string Failure;
  };

  void RenderEnded();

  std::shared_ptr<WorkerState> state_;
  RenderOptions options_;
  QThreadPool& pool_;
  QPointer<TForm2> viewer_;
  qt::SignalProgress progress_;
  QFutureWatcher<void> watcher_;
  bool resumed_ = false;
  bool running_ = false;
};

}  // namespace vesk::gui
