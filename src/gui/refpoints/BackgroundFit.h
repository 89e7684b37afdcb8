#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <memory>
#include <optional>

#include "build/BuildFailure.h"
#include "progress/ProgressSink.h"
#include "qt/SignalProgress.h"

namespace vesk {
class ReferencePointBuild;
}

namespace vesk::gui {

// Runs the fit step of a reference-point build on a worker thread, so that
// the window goes on repainting and its progress bar advances while the
// statistical method works through its subsets. One fit at a time.
class BackgroundFit : public QObject {
  Q_OBJECT

 public:
  explicit BackgroundFit(QObject* parent = nullptr);
  // A fit still running is asked to stop and waited for.
  ~BackgroundFit() override;

  // Starts `build`'s Fit; the build must not be touched until Finished.
  void Start(std::shared_ptr<ReferencePointBuild> build);
  bool Running() const { return running_; }
  // Asks the running fit to stop: it ends as cancelled, nothing fitted.
  void Stop();

  // After Finished: the build and what its fit returned.
  const std::shared_ptr<ReferencePointBuild>& Build() const { return build_; }
  const std::optional<BuildFailure>& Failure() const { return state_->Failure; }

 signals:
  // The progress position 0..100, on this object's thread.
  void PositionChanged(int position);
  // The fit has ended, on this object's thread.
  void Finished();

 private:
  // What the worker writes; kept alive by whichever side ends last.
  struct WorkerState {
    CancelToken Cancel;
    std::optional<BuildFailure> Failure;
  };

  std::shared_ptr<ReferencePointBuild> build_;
  std::shared_ptr<WorkerState> state_;
  std::unique_ptr<qt::SignalProgress> progress_;
  QFutureWatcher<void> watcher_;
  bool running_ = false;
};

}  // namespace vesk::gui
