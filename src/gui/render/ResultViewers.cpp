#include "gui/render/ResultViewers.h"

#include <algorithm>

#include "gui/common/WindowPlacement.h"
#include "gui/render/TForm2.h"

namespace vesk::gui {

ResultViewers::~ResultViewers() {
  for (const QPointer<TForm2>& viewer : viewers_) delete viewer.data();
}

TForm2* ResultViewers::Create() {
  std::erase_if(viewers_, [](const QPointer<TForm2>& viewer) { return viewer.isNull(); });
  auto* viewer = new TForm2(context_);
  viewer->setAttribute(Qt::WA_DeleteOnClose);
  viewer->SetPlacement([this](TForm2& shown) { Place(shown); });
  viewers_.emplace_back(viewer);
  return viewer;
}

void ResultViewers::Place(TForm2& viewer) {
  TForm2* last = placedLast_.data();
  placedLast_ = &viewer;
  if (last == nullptr || last == &viewer || !last->isVisible()) {
    CentreOnScreen(viewer);
    return;
  }
  const QRect area = AvailableArea(viewer);
  const QPoint next = last->frameGeometry().topLeft() + QPoint(kCascadeStep, kCascadeStep);
  const QRect frame(next, viewer.frameGeometry().size());
  PlaceOnScreen(viewer, area.contains(frame) ? next : area.topLeft());
}

std::vector<TForm2*> ResultViewers::Existing() const {
  std::vector<TForm2*> existing;
  for (const QPointer<TForm2>& viewer : viewers_)
    if (viewer) existing.push_back(viewer.data());
  return existing;
}

}  // namespace vesk::gui
