#pragma once
// Where "now" comes from. The run loop's timers and every screen read the time
// through a Clock so that tests can move it by hand.

#include <chrono>
#include <memory>
#include <mutex>

namespace instala::platform {

using TimePoint = std::chrono::system_clock::time_point;
using Duration = std::chrono::system_clock::duration;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual TimePoint now() const = 0;
  // A manual clock never passes by itself: the run loop must not sleep waiting for it.
  virtual bool isManual() const { return false; }
};

class SystemClock final : public Clock {
 public:
  TimePoint now() const override { return std::chrono::system_clock::now(); }
};

class ManualClock final : public Clock {
 public:
  explicit ManualClock(TimePoint start = std::chrono::system_clock::now()) : now_(start) {}
  TimePoint now() const override {
    std::lock_guard lock(mutex_);
    return now_;
  }
  bool isManual() const override { return true; }
  void set(TimePoint to) {
    std::lock_guard lock(mutex_);
    now_ = to;
  }
  void advance(Duration by) {
    std::lock_guard lock(mutex_);
    now_ += by;
  }

 private:
  mutable std::mutex mutex_;
  TimePoint now_;
};

}  // namespace instala::platform
