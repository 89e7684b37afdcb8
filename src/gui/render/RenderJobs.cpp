#include "gui/render/RenderJobs.h"

#include <algorithm>

#include <QStringList>

#include "common/UserDialogs.h"
#include "gui/common/MessageBoxes.h"
#include "gui/render/TForm2.h"

namespace vesk::gui {
namespace {

// Jobs never wait for each other: a worker each, however many run.
constexpr int kMostJobsAtOnce = 256;

}  // namespace

RenderJobs::RenderJobs(const GuiContext& context) : context_(context), viewers_(context) {
  pool_.setMaxThreadCount(kMostJobsAtOnce);
  pool_.setObjectName(QStringLiteral("RenderJobs"));
}

RenderJobs::~RenderJobs() {
  for (const QPointer<VisualThread>& job : jobs_) delete job.data();
  pool_.waitForDone();
}

VisualThread* RenderJobs::Create(RenderRequest request, qt::SharedPhoto photo1, qt::SharedPhoto photo2) {
  std::erase_if(jobs_, [](const QPointer<VisualThread>& job) { return job.isNull(); });
  auto* job = new VisualThread(std::move(request), std::move(photo1), std::move(photo2), viewers_, pool_, this);
  jobs_.emplace_back(job);
  return job;
}

bool RenderJobs::MayQuit(QWidget* owner) {
  const int running = Count();
  std::vector<QPointer<TForm2>> unsaved;
  for (TForm2* viewer : viewers_.Existing())
    if (viewer->Unsaved()) unsaved.emplace_back(viewer);
  if (running == 0 && unsaved.empty()) return true;

  QStringList lines;
  if (running == 1) lines << QStringLiteral("Идёт построение изображения.");
  if (running > 1) lines << QStringLiteral("Идёт построение изображений: %1.").arg(running);
  if (!unsaved.empty()) lines << QStringLiteral("Есть несохранённые результаты: %1.").arg(unsaved.size());
  lines << (unsaved.empty() ? QStringLiteral("Прервать построение и выйти?")
                            : QStringLiteral("Сохранить результаты перед выходом?"));
  const MessageBoxes::Answer answer =
      context_.Messages.AskYesNoCancel(owner, QString::fromUtf8(kWarningCaption), lines.join('\n'));
  if (answer == MessageBoxes::Answer::Cancel) return false;
  if (unsaved.empty()) return answer == MessageBoxes::Answer::Yes;
  if (answer == MessageBoxes::Answer::No) return true;
  for (const QPointer<TForm2>& viewer : unsaved) {
    if (!viewer || !viewer->Unsaved()) continue;
    viewer->show();
    viewer->raise();
    if (!viewer->ToolButton10Click()) return false;
  }
  return true;
}

int RenderJobs::Count() const {
  return static_cast<int>(std::count_if(jobs_.begin(), jobs_.end(), [](const auto& job) { return !job.isNull(); }));
}

}  // namespace vesk::gui
