#include "render/WorkerTeam.h"

#include <algorithm>

namespace vesk {

WorkerTeam::WorkerTeam(int members, const ThreadStarter& startThread)
    : members_(std::clamp(members, 1, kMaxWorkerTeamMembers)),
      start_(members_),
      finish_(members_),
      failures_(static_cast<std::size_t>(members_)) {
  const int asked = members_;
  // Room for every thread first: a thread that could not be stored would
  // end the program.
  threads_.reserve(static_cast<std::size_t>(asked - 1));
  int started = 1;  // the caller
  for (int member = 1; member < asked; ++member) {
    std::function<void()> body = [this, member] {
      for (;;) {
        start_.arrive_and_wait();
        if (stopping_) return;
        RunMember(member);
        finish_.arrive_and_wait();
      }
    };
    try {
      threads_.push_back(startThread ? startThread(std::move(body)) : std::thread(std::move(body)));
    } catch (...) {
      // No more threads to be had: the team works with those it has.
      break;
    }
    ++started;
  }
  // The barriers were made for every member asked for; each one that could
  // not be started leaves them, so that from the first task on they wait for
  // exactly the threads there are. (A drop counts as that member's arrival in
  // the first phase, which the started threads may already be waiting in.)
  for (int missing = started; missing < asked; ++missing) {
    (void)start_.arrive_and_drop();
    (void)finish_.arrive_and_drop();
  }
  members_ = started;
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
