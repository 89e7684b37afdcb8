#pragma once

#include <barrier>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

namespace vesk {

// More members than this never pay; a larger count asked for is cut to it.
inline constexpr int kMaxWorkerTeamMembers = 1024;

// A fixed group of threads that run one task together and wait for each
// other: the caller is member 0, the others are started once and reused for
// every task, so that a task per strip of a picture costs no thread start.
// When the system gives fewer threads than asked for (a process limit, a huge
// count), the team is made of those it got, down to the caller alone.
class WorkerTeam {
 public:
  // Starts a thread running `body`; throws (std::system_error) when the
  // system has no thread to give. Tests put a failing one in place.
  using ThreadStarter = std::function<std::thread(std::function<void()> body)>;

  explicit WorkerTeam(int members, const ThreadStarter& startThread = {});
  ~WorkerTeam();
  WorkerTeam(const WorkerTeam&) = delete;
  WorkerTeam& operator=(const WorkerTeam&) = delete;

  // The members the team has, which may be fewer than asked for.
  int Size() const { return members_; }
  // Runs task(member) on every member and returns when all have finished;
  // an exception thrown by any member is rethrown here.
  void Run(const std::function<void(int)>& task);

 private:
  void RunMember(int member);

  int members_;
  std::barrier<> start_;
  std::barrier<> finish_;
  const std::function<void(int)>* task_ = nullptr;
  bool stopping_ = false;
  std::vector<std::exception_ptr> failures_;
  std::vector<std::thread> threads_;
};

// Number of threads the processor runs at once (at least 1).
int AvailableCores();

}  // namespace vesk
