#include "platform/RunLoop.h"

#include <algorithm>

namespace instala::platform {

void Timer::invalidate() {
  if (loop_) loop_->cancelTimer(id_);
}

bool Timer::isValid() const { return loop_ && loop_->isTimerActive(id_); }

RunLoop::RunLoop(std::shared_ptr<Clock> clock) : clock_(std::move(clock)) {}

RunLoop::~RunLoop() {
  // Handles may outlive the loop; they must not reach back into it.
  for (auto& [id, entry] : timers_) entry.timer->loop_ = nullptr;
}

RunLoop& RunLoop::main() {
  static RunLoop loop;
  return loop;
}

void RunLoop::async(Task task) {
  std::function<void()> wakeUp;
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    wakeUp = wakeUp_;
  }
  posted_.notify_all();
  if (wakeUp) wakeUp();
}

std::shared_ptr<Timer> RunLoop::scheduleTimer(Duration interval, bool repeats, std::function<void(Timer&)> tick) {
  std::function<void()> wakeUp;
  std::shared_ptr<Timer> timer;
  {
    std::lock_guard lock(mutex_);
    const std::uint64_t id = nextTimerId_++;
    timer.reset(new Timer(this, id, interval, repeats));
    timers_.emplace(id, TimerEntry{timer, clock_->now() + interval, std::move(tick)});
    wakeUp = wakeUp_;
  }
  if (wakeUp) wakeUp();
  return timer;
}

void RunLoop::setClock(std::shared_ptr<Clock> clock) {
  std::lock_guard lock(mutex_);
  clock_ = std::move(clock);
}

void RunLoop::cancelTimer(std::uint64_t id) {
  std::lock_guard lock(mutex_);
  timers_.erase(id);
}

bool RunLoop::isTimerActive(std::uint64_t id) const {
  std::lock_guard lock(mutex_);
  return timers_.count(id) != 0;
}

std::optional<RunLoop::Task> RunLoop::popTask() {
  std::lock_guard lock(mutex_);
  if (tasks_.empty()) return std::nullopt;
  Task task = std::move(tasks_.front());
  tasks_.pop_front();
  return task;
}

bool RunLoop::runOneDueTimer() {
  std::shared_ptr<Timer> timer;
  std::function<void(Timer&)> tick;
  {
    std::lock_guard lock(mutex_);
    const TimePoint now = clock_->now();
    auto due = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
      if (it->second.deadline <= now && (due == timers_.end() || it->second.deadline < due->second.deadline)) {
        due = it;
      }
    }
    if (due == timers_.end()) return false;
    timer = due->second.timer;
    tick = due->second.tick;
    if (timer->repeats()) {
      // Catch up one interval at a time, so a clock moved by 5 s ticks 5 times.
      due->second.deadline += std::max(timer->interval(), Duration(1));
    } else {
      timers_.erase(due);
    }
  }
  tick(*timer);
  return true;
}

std::size_t RunLoop::runUntilIdle() {
  std::size_t ran = 0;
  for (;;) {
    if (auto task = popTask()) {
      (*task)();
      ++ran;
      continue;
    }
    if (runOneDueTimer()) {
      ++ran;
      continue;
    }
    return ran;
  }
}

bool RunLoop::waitForWork(Duration timeout) {
  std::unique_lock lock(mutex_);
  TimePoint until = std::chrono::system_clock::now() + timeout;
  if (!clock_->isManual()) {
    for (const auto& [id, entry] : timers_) until = std::min(until, entry.deadline);
  }
  posted_.wait_until(lock, until, [this] { return !tasks_.empty(); });
  if (!tasks_.empty()) return true;
  const TimePoint now = clock_->now();
  return std::any_of(timers_.begin(), timers_.end(), [now](const auto& entry) { return entry.second.deadline <= now; });
}

bool RunLoop::hasPendingTasks() const {
  std::lock_guard lock(mutex_);
  return !tasks_.empty();
}

std::optional<TimePoint> RunLoop::nextTimerDeadline() const {
  std::lock_guard lock(mutex_);
  std::optional<TimePoint> next;
  for (const auto& [id, entry] : timers_) {
    if (!next || entry.deadline < *next) next = entry.deadline;
  }
  return next;
}

std::size_t RunLoop::activeTimerCount() const {
  std::lock_guard lock(mutex_);
  return timers_.size();
}

void RunLoop::setWakeUpHandler(std::function<void()> handler) {
  std::lock_guard lock(mutex_);
  wakeUp_ = std::move(handler);
}

}  // namespace instala::platform
