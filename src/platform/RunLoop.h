#pragma once
// The main run loop: a queue of tasks and a set of timers, all run on the main
// thread. Other threads only post with async(). Headless drivers (tests, the
// console) pump it with runUntilIdle()/waitForWork(); the Qt front end installs
// a wake-up handler and pumps it from Qt's event loop.

#include "platform/Clock.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace instala::platform {

class RunLoop;

// A scheduled timer. Like the phone's timers, the loop keeps it alive until it is
// invalidated (or, when it does not repeat, until it has fired).
class Timer {
 public:
  void invalidate();
  bool isValid() const;
  Duration interval() const { return interval_; }
  bool repeats() const { return repeats_; }

 private:
  friend class RunLoop;
  Timer(RunLoop* loop, std::uint64_t id, Duration interval, bool repeats)
      : loop_(loop), id_(id), interval_(interval), repeats_(repeats) {}
  RunLoop* loop_;
  std::uint64_t id_;
  Duration interval_;
  bool repeats_;
};

class RunLoop {
 public:
  using Task = std::function<void()>;

  explicit RunLoop(std::shared_ptr<Clock> clock = std::make_shared<SystemClock>());
  ~RunLoop();
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  // The process's main loop, created on first use with the system clock.
  static RunLoop& main();

  // Queues a task for the main thread. Safe from any thread.
  void async(Task task);

  // Main thread only. The first tick comes one interval after scheduling.
  std::shared_ptr<Timer> scheduleTimer(Duration interval, bool repeats, std::function<void(Timer&)> tick);

  const Clock& clock() const { return *clock_; }
  std::shared_ptr<Clock> sharedClock() const { return clock_; }
  // Tests swap in a ManualClock; pending timers keep their deadlines.
  void setClock(std::shared_ptr<Clock> clock);

  // Runs every queued task and every timer that is due now, including work that
  // this work queues. Returns how many tasks and ticks ran.
  std::size_t runUntilIdle();
  // Blocks until a task is posted, a timer falls due (real clock only) or the
  // time-out passes. Returns whether there is work to run.
  bool waitForWork(Duration timeout);
  bool hasPendingTasks() const;
  std::optional<TimePoint> nextTimerDeadline() const;
  std::size_t activeTimerCount() const;

  // Called from any thread whenever new work is queued (Qt front end).
  void setWakeUpHandler(std::function<void()> handler);

 private:
  friend class Timer;
  struct TimerEntry {
    std::shared_ptr<Timer> timer;
    TimePoint deadline;
    std::function<void(Timer&)> tick;
  };
  void cancelTimer(std::uint64_t id);
  bool isTimerActive(std::uint64_t id) const;
  std::optional<Task> popTask();
  bool runOneDueTimer();

  std::shared_ptr<Clock> clock_;
  mutable std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<Task> tasks_;
  std::map<std::uint64_t, TimerEntry> timers_;
  std::uint64_t nextTimerId_ = 1;
  std::function<void()> wakeUp_;
};

}  // namespace instala::platform
