#pragma once

#include <algorithm>
#include <cmath>
#include <ctime>
#include <string>

#include "progress/ElapsedTime.h"
#include "progress/ProgressSink.h"

namespace vesk::render_detail {

// The job's progress display: whole percent after every column, the elapsed
// time since the start. The time of day is decoded only when the second
// changes, which is all the text shows.
class ProgressDisplay {
 public:
  ProgressDisplay(ProgressSink& reporter, const TimeOfDay& start) : reporter_(reporter), start_(start) {}

  // Percent added per walked column.
  void SetStep(double step) { step_ = step; }

  void ColumnDone() {
    sum_ += step_;
    Show(static_cast<int>(std::clamp(std::trunc(sum_), 0.0, 100.0)));
  }
  void Finish() { Show(100); }

 private:
  void Show(int percent) {
    reporter_.SetPosition(percent);
    const std::time_t now = std::time(nullptr);
    if (now != shownSecond_) {
      shownSecond_ = now;
      text_ = ElapsedTimeText(start_, CurrentTimeOfDay());
    }
    reporter_.SetElapsedText(text_);
  }

  ProgressSink& reporter_;
  double step_ = 0;
  double sum_ = 0;
  TimeOfDay start_;
  std::time_t shownSecond_ = -1;
  std::string text_;
};

}  // namespace vesk::render_detail
