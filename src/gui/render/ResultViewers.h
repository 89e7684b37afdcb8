#pragma once

#include <QPointer>
#include <vector>

#include "gui/common/GuiContext.h"

namespace vesk::gui {

class TForm2;

// Owns the result viewers of the application. Each build makes one; a
// viewer the user closes is gone with its result (nothing shows it again),
// and those still open go when the application ends. New viewers cascade:
// each opens a step down and to the right of the one opened before it while
// that one is still open, so that none hides another entirely; the first,
// and any that would leave the screen, start again from the centre or the
// area's top-left corner.
class ResultViewers {
 public:
  explicit ResultViewers(const GuiContext& context) : context_(context) {}
  ~ResultViewers();
  ResultViewers(const ResultViewers&) = delete;
  ResultViewers& operator=(const ResultViewers&) = delete;

  // A new viewer, hidden.
  TForm2* Create();
  // The viewers that exist, shown or still waiting for their job.
  std::vector<TForm2*> Existing() const;

  // How far each viewer opens from the one before it.
  static constexpr int kCascadeStep = 32;

 private:
  void Place(TForm2& viewer);

  const GuiContext& context_;
  std::vector<QPointer<TForm2>> viewers_;
  QPointer<TForm2> placedLast_;
};

}  // namespace vesk::gui
