#pragma once

#include <QObject>
#include <QString>
#include <atomic>

#include "progress/ProgressSink.h"

namespace vesk::qt {

// A progress sink for a computation on a worker thread whose progress a
// window shows: each change becomes a signal, which a connection to an
// object of the window's thread delivers there (queued). Only changes are
// signalled, so a render's thousands of column reports cost a hundred
// signals at most.
class SignalProgress : public QObject, public ProgressSink {
  Q_OBJECT

 public:
  explicit SignalProgress(QObject* parent = nullptr) : QObject(parent) {}

  void SetPosition(int position) override;
  void SetElapsedText(const std::string& text) override;

 signals:
  void PositionChanged(int position);
  void ElapsedTextChanged(const QString& text);

 private:
  std::atomic<int> position_{-1};
  std::string elapsed_;  // touched only by the computation's thread
};

}  // namespace vesk::qt
