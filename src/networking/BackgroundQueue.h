#pragma once
// A serial queue on one background thread (batch scheduling, normal nice
// value), for work that must not hold up the main thread (building multipart
// bodies). Tasks run in the order queued; tasks still waiting when the queue
// is destroyed are dropped, the running one is finished.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace instala {

class BackgroundQueue {
 public:
  BackgroundQueue();
  ~BackgroundQueue();
  BackgroundQueue(const BackgroundQueue&) = delete;
  BackgroundQueue& operator=(const BackgroundQueue&) = delete;

  // Safe from any thread.
  void async(std::function<void()> task);

 private:
  void run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace instala
