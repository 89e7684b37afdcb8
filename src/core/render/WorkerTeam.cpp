#include "render/WorkerTeam.h"

namespace vesk {

WorkerTeam::WorkerTeam(int members)
    : members_(members < 1 ? 1 : members), start_(members_), finish_(members_), failures_(members_) {
  for (int member = 1; member < members_; ++member) {
    threads_.emplace_back([this, member] {
      for (;;) {
        start_.arrive_and_wait();
        if (stopping_) return;
        RunMember(member);
        finish_.arrive_and_wait();
      }
    });
  }
}

WorkerTeam::~WorkerTeam() {
  stopping_ = true;
  if (members_ > 1) start_.arrive_and_wait();
  for (std::thread& thread : threads_) thread.join();
}

void WorkerTeam::RunMember(int member) {
  try {
    (*task_)(member);
  } catch (...) {
    failures_[static_cast<std::size_t>(member)] = std::current_exception();
  }
}

void WorkerTeam::Run(const std::function<void(int)>& task) {
  task_ = &task;
  if (members_ > 1) start_.arrive_and_wait();
  RunMember(0);
  if (members_ > 1) finish_.arrive_and_wait();
  task_ = nullptr;
  for (std::exception_ptr& failure : failures_) {
    if (!failure) continue;
    std::exception_ptr first = failure;
    for (std::exception_ptr& other : failures_) other = nullptr;
    std::rethrow_exception(first);
  }
}

int AvailableCores() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

}  // namespace vesk
