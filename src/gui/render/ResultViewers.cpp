#include "gui/render/ResultViewers.h"

#include <algorithm>

#include "gui/render/TForm2.h"

namespace vesk::gui {

ResultViewers::~ResultViewers() {
  for (const QPointer<TForm2>& viewer : viewers_) delete viewer.data();
}

TForm2* ResultViewers::Create() {
  std::erase_if(viewers_, [](const QPointer<TForm2>& viewer) { return viewer.isNull(); });
  auto* viewer = new TForm2(context_);
  viewer->setAttribute(Qt::WA_DeleteOnClose);
  viewers_.emplace_back(viewer);
  return viewer;
}

std::vector<TForm2*> ResultViewers::Existing() const {
  std::vector<TForm2*> existing;
  for (const QPointer<TForm2>& viewer : viewers_)
    if (viewer) existing.push_back(viewer.data());
  return existing;
}

}  // namespace vesk::gui
