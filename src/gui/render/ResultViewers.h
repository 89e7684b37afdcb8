#pragma once

#include <QPointer>
#include <vector>

#include "gui/common/GuiContext.h"

namespace vesk::gui {

class TForm2;

// Owns the result viewers of the application. Each build makes one; a
// viewer the user closes is gone with its result (nothing shows it again),
// and those still open go when the application ends.
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

 private:
  const GuiContext& context_;
  std::vector<QPointer<TForm2>> viewers_;
};

}  // namespace vesk::gui
