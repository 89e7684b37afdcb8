#include "support/ChildProcess.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace vesk::test {

ChildEnd WaitForChild(int pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return ChildEnd{false, 0, -1};
  }
  if (WIFEXITED(status)) return ChildEnd{true, WEXITSTATUS(status), 0};
  return ChildEnd{false, 0, WIFSIGNALED(status) ? WTERMSIG(status) : -1};
}

ChildEnd RunInChild(const std::function<int()>& body, unsigned timeoutSeconds) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return ChildEnd{false, 0, -1};
  if (pid == 0) {
    alarm(timeoutSeconds);
    int status = 125;
    try {
      status = body();
    } catch (...) {
    }
    std::fflush(nullptr);
    _exit(status);
  }
  return WaitForChild(pid);
}

bool BecomeUnprivileged() {
  if (geteuid() != 0) return true;
  return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0 && geteuid() != 0;
}

}  // namespace vesk::test
