#include "gui/render/RenderJobs.h"

#include <algorithm>

#include "gui/render/TForm2.h"

namespace vesk::gui {
namespace {

// Jobs never wait for each other: a worker each, however many run.
constexpr int kMostJobsAtOnce = 256;

}  // namespace

RenderJobs::RenderJobs(const GuiContext& context) : viewers_(context) {
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

int RenderJobs::Count() const {
  return static_cast<int>(std::count_if(jobs_.begin(), jobs_.end(), [](const auto& job) { return !job.isNull(); }));
}

}  // namespace vesk::gui
