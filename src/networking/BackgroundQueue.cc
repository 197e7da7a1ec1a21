#include "networking/BackgroundQueue.h"

#include <pthread.h>
#include <sched.h>

namespace instala {

BackgroundQueue::BackgroundQueue() : thread_([this] { run(); }) {}

BackgroundQueue::~BackgroundQueue() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void BackgroundQueue::async(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void BackgroundQueue::run() {
  // The batch policy gives way to the interface at each wake-up but keeps a
  // normal share of the processor, as do the threads a task starts (they
  // inherit it). A raised nice value would stay with those threads for good:
  // without privileges it cannot be lowered again, and CPU-bound work started
  // from here (the photos of a submission) would starve behind any busy process.
  sched_param parameters{};
  pthread_setschedparam(pthread_self(), SCHED_BATCH, &parameters);
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
      if (stopping_) return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}

}  // namespace instala
