#include "networking/BackgroundQueue.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <thread>
#include <vector>

namespace instala {
namespace {

struct Scheduling {
  int nice = 0;
  int policy = 0;
};

Scheduling currentThread() {
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
  EXPECT_EQ(errno, 0);
  return {nice, sched_getscheduler(0)};
}

TEST(BackgroundQueue, RunsTasksInTheOrderQueued) {
  std::vector<int> order;
  std::promise<void> done;
  {
    BackgroundQueue queue;
    for (int i = 0; i < 5; ++i) queue.async([&order, i] { order.push_back(i); });
    queue.async([&done] { done.set_value(); });
    done.get_future().wait();
  }
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

// Threads that a task starts (the photo transcoding of a submission) compete
// for the processor like the process's other threads: same nice value, and a
// policy with a normal share (not SCHED_IDLE).
TEST(BackgroundQueue, ThreadsStartedByATaskGetANormalShare) {
  const Scheduling process = currentThread();
  std::promise<std::pair<Scheduling, Scheduling>> seen;
  BackgroundQueue queue;
  queue.async([&seen] {
    Scheduling task = currentThread(), started;
    std::thread([&started] { started = currentThread(); }).join();
    seen.set_value({task, started});
  });
  const auto [task, started] = seen.get_future().get();
  for (const Scheduling& thread : {task, started}) {
    EXPECT_EQ(thread.nice, process.nice);
    EXPECT_TRUE(thread.policy == SCHED_OTHER || thread.policy == SCHED_BATCH) << thread.policy;
  }
}

}  // namespace
}  // namespace instala
