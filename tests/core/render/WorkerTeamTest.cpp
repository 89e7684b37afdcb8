#include "render/WorkerTeam.h"

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <system_error>

#include "support/ChildProcess.h"

namespace vesk {
namespace {

// Gives `granted` threads, then fails as the system does when it has none left.
WorkerTeam::ThreadStarter StarterGranting(int granted) {
  auto count = std::make_shared<int>(0);
  return [count, granted](std::function<void()> body) {
    if ((*count)++ >= granted) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return std::thread(std::move(body));
  };
}

// Which members ran a task, over several tasks in a row (the barriers turn
// over once per task, so a wrong count would hang the second one).
std::set<int> MembersOverTasks(WorkerTeam& team, int tasks) {
  std::mutex lock;
  std::set<int> members;
  for (int task = 0; task < tasks; ++task) {
    team.Run([&](int member) {
      const std::lock_guard<std::mutex> guard(lock);
      members.insert(member);
    });
  }
  return members;
}

std::set<int> Range(int count) {
  std::set<int> members;
  for (int i = 0; i < count; ++i) members.insert(i);
  return members;
}

TEST(WorkerTeamTest, ShrinksToTheThreadsItGot) {
  for (const int granted : {0, 1, 3, 7}) {
    WorkerTeam team(8, StarterGranting(granted));
    EXPECT_EQ(team.Size(), granted + 1) << granted;
    EXPECT_EQ(MembersOverTasks(team, 5), Range(granted + 1)) << granted;
    // A failing member is still reported.
    EXPECT_THROW(team.Run([&](int member) {
      if (member == team.Size() - 1) throw std::runtime_error("member fails");
    }),
                 std::runtime_error);
    EXPECT_EQ(MembersOverTasks(team, 2), Range(granted + 1)) << granted;
  }
}

TEST(WorkerTeamTest, CountsBeyondReasonAreCut) {
  WorkerTeam team(1 << 30);
  EXPECT_LE(team.Size(), kMaxWorkerTeamMembers);  // fewer where the system has fewer threads to give
  EXPECT_EQ(MembersOverTasks(team, 2), Range(team.Size()));
  WorkerTeam alone(-3);
  EXPECT_EQ(alone.Size(), 1);
}

// The real thing: a process limit that forbids every new thread.
TEST(WorkerTeamTest, ProcessLimitLeavesTheCallerAlone) {
  const test::ChildEnd end = test::RunInChild([] {
    // Root is not held to the limit; an ordinary user is.
    if (!test::BecomeUnprivileged()) return 10;
    const rlimit none{1, 1};
    if (setrlimit(RLIMIT_NPROC, &none) != 0) return 11;
    WorkerTeam team(8);
    if (team.Size() != 1) return 12;
    return MembersOverTasks(team, 3) == Range(1) ? 0 : 13;
  });
  ASSERT_TRUE(end.Exited) << "signal " << end.Signal;
  EXPECT_EQ(end.Status, 0);
}

}  // namespace
}  // namespace vesk
