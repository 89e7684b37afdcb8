#pragma once

#include <functional>

namespace vesk::test {

// How a child process ended.
struct ChildEnd {
  bool Exited = false;  // by exit() or return
  int Status = 0;       // exit status when Exited
  int Signal = 0;       // the signal that ended it otherwise
};

// Runs `body` in a forked copy of the test process and waits for it: for what
// must not touch the test process itself (limits, another user, signals). The
// child ends with body's result as its exit status; one that is not done
// within `timeoutSeconds` is ended by SIGALRM, so a hang fails the test
// instead of stalling it.
ChildEnd RunInChild(const std::function<int()>& body, unsigned timeoutSeconds = 30);

// Waits for the child `pid` started by the caller.
ChildEnd WaitForChild(int pid);

// The unprivileged user the tests drop to when they run as root.
inline constexpr unsigned kNobody = 65534;

// Drops the calling (child) process to `kNobody` when it runs as root; true
// when it now runs as someone other than root.
bool BecomeUnprivileged();

}  // namespace vesk::test
