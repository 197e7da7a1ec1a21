#pragma once
// Runs the model's main run loop on Qt's event loop. The run loop's wake-up
// handler (called from any thread whenever a task is queued or a timer is
// scheduled) posts one pump to the Qt thread; a single-shot QTimer waits for
// the next timer deadline. After every pump that ran something the driver
// says so, and the window redraws on the next turn.

#include "platform/RunLoop.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstddef>
#include <memory>

namespace instala::desktop {

class QtRunLoopDriver : public QObject {
  Q_OBJECT

 public:
  // Installs itself as the loop's wake-up handler; QCoreApplication must exist.
  explicit QtRunLoopDriver(platform::RunLoop& loop, QObject* parent = nullptr);
  ~QtRunLoopDriver() override;

  // Runs every queued task and every due timer now, then waits for the next deadline.
  std::size_t pump();
  platform::RunLoop& loop() { return loop_; }
  // Milliseconds until the next timer is due, when one is scheduled.
  bool isWaitingForTimer() const { return timer_.isActive(); }

 signals:
  // A pump ran tasks or timers: the model may have changed.
  void ranWork();

 private:
  struct Shared {
    std::atomic<bool> queued{false};
    // Read and written on the Qt thread only.
    QtRunLoopDriver* driver = nullptr;
  };
  void armTimer();

  platform::RunLoop& loop_;
  std::shared_ptr<Shared> shared_;
  QTimer timer_;
  bool pumping_ = false;
};

}  // namespace instala::desktop
