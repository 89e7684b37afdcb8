#include "TerminalProgress.h"

#include <algorithm>

namespace vesk::cli {

namespace {
constexpr int kBarWidth = 40;
}

TerminalProgress::TerminalProgress(std::ostream& err, bool showBar, std::string label)
    : err_(err), showBar_(showBar), label_(std::move(label)) {}

void TerminalProgress::SetPosition(int position) {
  position = std::clamp(position, 0, 100);
  if (position == position_) return;
  position_ = position;
  Draw();
}

void TerminalProgress::SetElapsedText(const std::string& text) {
  if (text == elapsed_) return;
  elapsed_ = text;
  Draw();
}

void TerminalProgress::Draw() {
  if (!showBar_ || position_ < 0) return;
  const int filled = position_ * kBarWidth / 100;
  err_ << "\r" << label_ << " [" << std::string(static_cast<std::size_t>(filled), '#')
       << std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') << "] " << position_ << "%";
  if (!elapsed_.empty()) err_ << "  " << elapsed_;
  err_ << std::flush;
  drawn_ = true;
}

void TerminalProgress::Close() {
  if (drawn_) err_ << "\n" << std::flush;
  drawn_ = false;
}

}  // namespace vesk::cli
