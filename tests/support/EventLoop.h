#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <functional>

namespace vesk::test {

// Runs the event loop until `done` holds or `timeoutMs` have passed; true
// when it holds. For waiting on work of other threads without guessing how
// long it takes.
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (!done()) QThread::yieldCurrentThread();
  }
  return true;
}

}  // namespace vesk::test
