#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;

namespace vesk::gui {

inline constexpr const char* kStartElapsedText = "0 : 0 : 0";
// Shown once a build the user stopped has ended and nothing else runs.
inline constexpr const char* kBuildCancelledStatus = "Построение отменено";

// The status bar of a workspace: the status text on the left (`Edit3`), the
// progress bar in the middle (`ProgressBar1`, 0 to 100) and the elapsed time
// on the right (`Edit2`); both texts bold and read-only. A build's fit and
// its rendering jobs report here.
class WorkspaceStatusBar : public QWidget {
  Q_OBJECT

 public:
  explicit WorkspaceStatusBar(QWidget* parent = nullptr);

  QLineEdit& StatusField() { return *status_; }
  QProgressBar& ProgressBar() { return *progress_; }
  QLineEdit& TimeField() { return *time_; }

  // A remark on how the last build was made, beside the fields until the
  // next one replaces it (empty: none).
  void ShowNote(const QString& note);
  QLabel& Note() { return *note_; }
  // A build starts: "0 : 0 : 0" and the status text, painted at once.
  void ShowStart(const QString& status);
  void ShowPosition(int percent);
  void ShowElapsed(const QString& text);
  // The end of a completed job before its result is shown: fields empty,
  // the bar full.
  void ShowFinish();
  // Bar at 0, both fields empty.
  void ResetDisplay();

 private:
  QLabel* note_;
  QLineEdit* status_;
  QProgressBar* progress_;
  QLineEdit* time_;
};

}  // namespace vesk::gui
