#pragma once
// The answers a RecordingServer's handler gives, in order, the last one
// repeating. While held, each answer waits (on the server's connection
// thread) until released, so a test can look at an exchange in mid-flight.

#include "support/RecordingServer.h"

#include <condition_variable>
#include <mutex>
#include <vector>

namespace instala::testing {

class ReplyScript {
 public:
  explicit ReplyScript(std::vector<Reply> replies) : replies_(std::move(replies)) {}

  void set(std::vector<Reply> replies) {
    std::lock_guard lock(mutex_);
    replies_ = std::move(replies);
  }
  void hold() {
    std::lock_guard lock(mutex_);
    holding_ = true;
  }
  void release() {
    std::lock_guard lock(mutex_);
    holding_ = false;
    released_.notify_all();
  }
  // For the handler.
  Reply next() {
    std::unique_lock lock(mutex_);
    Reply reply = replies_.size() > 1 ? replies_.front() : replies_.back();
    if (replies_.size() > 1) replies_.erase(replies_.begin());
    released_.wait(lock, [this] { return !holding_; });
    return reply;
  }

 private:
  std::mutex mutex_;
  std::condition_variable released_;
  std::vector<Reply> replies_;
  bool holding_ = false;
};

}  // namespace instala::testing
