#pragma once

#include <barrier>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

namespace vesk {

// A fixed group of threads that run one task together and wait for each
// other: the caller is member 0, the others are started once and reused for
// every task, so that a task per strip of a picture costs no thread start.
class WorkerTeam {
 public:
  explicit WorkerTeam(int members);
  ~WorkerTeam();
  WorkerTeam(const WorkerTeam&) = delete;
  WorkerTeam& operator=(const WorkerTeam&) = delete;

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
