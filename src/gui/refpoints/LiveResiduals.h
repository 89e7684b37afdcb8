#pragma once

#include <QElapsedTimer>
#include <QFuture>
#include <QObject>
#include <QTimer>
#include <array>
#include <memory>
#include <vector>

#include "editing/PointEditModel.h"
#include "estimation/BuildFit.h"
#include "gui/refpoints/ResidualTable.h"
#include "progress/ProgressSink.h"

namespace vesk::gui {

// What a live fit is made of: the edited lists as they stood, and the build
// choice whose fit it is.
struct LiveFitRequest {
  BuildMode Mode = BuildMode::AnaglyphOnSecond;
  StatisticalSettings Settings;
  PhotoSize Photo1;
  PhotoSize Photo2;
  int Threads = 0;
  int Pairs = 0;  // the complete pairs: the first this many points of each list take part
  std::array<std::vector<EditedPoint>, 3> Lists;
};

// Fits the edited points in the background after every edit, so that the
// residuals follow the user's clicks: edits arriving within the coalescing
// delay make one fit, and a fit still running when a newer edit comes is
// cancelled and its result dropped. The caller never waits.
class LiveResiduals : public QObject {
  Q_OBJECT

 public:
  static constexpr int kCoalescingMs = 100;

  explicit LiveResiduals(QObject* parent = nullptr);
  // Cancels what runs and waits for it.
  ~LiveResiduals() override;

  void Schedule(LiveFitRequest request);
  // Drops what is scheduled or running (the inputs are gone).
  void Cancel();
  bool Busy() const { return timer_.isActive() || running_ > 0; }
  // Milliseconds from the last edit of a delivered fit to its delivery.
  qint64 LastLatencyMs() const { return latencyMs_; }

 signals:
  void Ready(const BuildResiduals& residuals);

 private:
  struct Job {
    CancelToken Cancel;
  };
  void Start();

  QTimer timer_;
  LiveFitRequest pending_;
  std::shared_ptr<Job> current_;
  std::vector<QFuture<void>> futures_;
  int running_ = 0;
  QElapsedTimer sinceEdit_;
  qint64 latencyMs_ = -1;
};

}  // namespace vesk::gui
