#include "gui/refpoints/LiveResiduals.h"

#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

#include "common/VeskError.h"

namespace vesk::gui {

LiveResiduals::LiveResiduals(QObject* parent) : QObject(parent) {
  timer_.setSingleShot(true);
  timer_.setInterval(kCoalescingMs);
  connect(&timer_, &QTimer::timeout, this, &LiveResiduals::Start);
}

LiveResiduals::~LiveResiduals() {
  Cancel();
  for (QFuture<void>& future : futures_) future.waitForFinished();
}

void LiveResiduals::Schedule(LiveFitRequest request) {
  if (current_) current_->Cancel.Request();
  current_.reset();
  pending_ = std::move(request);
  sinceEdit_.start();
  // A fit at most every interval while edits keep coming (a drag): the
  // panel follows the pointer without a fit per mouse move.
  if (!timer_.isActive()) timer_.start();
}

void LiveResiduals::Cancel() {
  timer_.stop();
  if (current_) current_->Cancel.Request();
  current_.reset();
}

void LiveResiduals::Start() {
  auto job = std::make_shared<Job>();
  current_ = job;
  ++running_;
  futures_.erase(
      std::remove_if(futures_.begin(), futures_.end(), [](const QFuture<void>& f) { return f.isFinished(); }),
      futures_.end());
  QPointer<LiveResiduals> self(this);
  futures_.push_back(QtConcurrent::run([self, job, request = std::move(pending_)] {
    BuildResiduals residuals;
    try {
      VT_Points points1(kOwnsItems);
      VT_Points points2(kOwnsItems);
      VT_Points scene(kOwnsItems);
      ToPointList(request.Lists[0], request.Pairs, points1);
      ToPointList(request.Lists[1], request.Pairs, points2);
      ToPointList(request.Lists[2], request.Pairs, scene);
      // As a build chooses: never a statistical fit of many minutes per edit.
      const MethodChoice choice = ChooseEstimationMethod(request.Mode, points1, points2);
      const EstimationMethod method = choice.Method;
      const BuildFitInput input{request.Mode,     method,         points1,        points2,        scene,
                                request.Settings, request.Photo1, request.Photo2, request.Threads};
      TransformCoefficients primary(kOwnsItems);
      TransformCoefficients second(kOwnsItems);
      const BuildFitOutcome outcome = FitBuildTransformations(input, primary, second, nullptr, &job->Cancel);
      residuals = ResidualsOf(method, input, primary, second, outcome);
      residuals.TooManySubsets = choice.TooManySubsets;
      residuals.PointCount = points1.Count();
    } catch (const VeskError&) {
      residuals = {};
    }
    QMetaObject::invokeMethod(
        self.data(),
        [self, job, residuals = std::move(residuals)] {
          if (!self) return;
          --self->running_;
          // A newer edit has come since: this fit is of points that are gone.
          if (job != self->current_ || job->Cancel.Requested()) return;
          self->current_.reset();
          self->latencyMs_ = self->sinceEdit_.elapsed();
          emit self->Ready(residuals);
        },
        Qt::QueuedConnection);
  }));
}

}  // namespace vesk::gui
