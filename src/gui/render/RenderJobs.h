#pragma once

#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <vector>

#include "gui/common/GuiContext.h"

class QWidget;
#include "gui/render/ResultViewers.h"
#include "gui/render/VisualThread.h"

namespace vesk::gui {

// The application's rendering jobs and their viewers. Jobs run side by side,
// each on a worker of its own; when the application ends, jobs still running
// are stopped and waited for before any viewer goes.
class RenderJobs : public QObject {
  Q_OBJECT

 public:
  explicit RenderJobs(const GuiContext& context);
  ~RenderJobs() override;

  // A new job for `request`, checked and with its viewer prepared; started
  // by its Resume. Raises the request's refusal (VeskError).
  VisualThread* Create(RenderRequest request, qt::SharedPhoto photo1, qt::SharedPhoto photo2);

  ResultViewers& Viewers() { return viewers_; }
  // Jobs that exist: made and not yet ended.
  int Count() const;

  // Before the program ends: while jobs run or results are unsaved, one
  // question owned by `owner`. With unsaved results Да saves each in turn
  // (a save not made keeps the program running), Нет gives them up; with
  // builds running only, Да stops them. Отмена keeps everything running.
  // True when the program may end.
  bool MayQuit(QWidget* owner);

 private:
  const GuiContext& context_;
  QThreadPool pool_;
  ResultViewers viewers_;
  std::vector<QPointer<VisualThread>> jobs_;
};

}  // namespace vesk::gui
