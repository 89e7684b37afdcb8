#include "gui/refpoints/BackgroundFit.h"

#include <QtConcurrent/QtConcurrentRun>
#include <stdexcept>

#include "build/ReferencePointBuild.h"
#include "gui/common/MessageBoxes.h"

namespace vesk::gui {

BackgroundFit::BackgroundFit(QObject* parent) : QObject(parent), state_(std::make_shared<WorkerState>()) {
  connect(&watcher_, &QFutureWatcher<void>::finished, this, [this] {
    running_ = false;
    emit Finished();
  });
}

BackgroundFit::~BackgroundFit() {
  if (running_) {
    state_->Cancel.Request();
    watcher_.waitForFinished();
  }
}

void BackgroundFit::Start(std::shared_ptr<ReferencePointBuild> build) {
  if (running_) throw std::logic_error("BackgroundFit: a fit is already running");
  build_ = std::move(build);
  state_ = std::make_shared<WorkerState>();
  // A sink per fit: its "last position" starts afresh.
  progress_ = std::make_unique<qt::SignalProgress>();
  connect(progress_.get(), &qt::SignalProgress::PositionChanged, this, &BackgroundFit::PositionChanged,
          Qt::QueuedConnection);
  running_ = true;
  std::shared_ptr<WorkerState> state = state_;
  std::shared_ptr<ReferencePointBuild> fitted = build_;
  ProgressSink* progress = progress_.get();  // outlives the worker: the destructor waits for it
  watcher_.setFuture(QtConcurrent::run([state, fitted, progress] {
    try {
      state->Failure = fitted->Fit(progress, &state->Cancel);
    } catch (...) {
      state->Failure =
          BuildFailure{BuildFailure::Kind::StandardError,
                       UserMessage{MessageIcon::Error, {}, DescribeException(std::current_exception()).toStdString()},
                       std::nullopt,
                       {}};
    }
  }));
}

void BackgroundFit::Stop() {
  if (running_) state_->Cancel.Request();
}

}  // namespace vesk::gui
