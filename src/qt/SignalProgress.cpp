#include "qt/SignalProgress.h"

namespace vesk::qt {

void SignalProgress::SetPosition(int position) {
  if (position_.exchange(position) == position) return;
  emit PositionChanged(position);
}

void SignalProgress::SetElapsedText(const std::string& text) {
  if (text == elapsed_) return;
  elapsed_ = text;
  emit ElapsedTextChanged(QString::fromStdString(text));
}

}  // namespace vesk::qt
