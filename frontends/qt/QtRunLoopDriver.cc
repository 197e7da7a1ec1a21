#include "qt/QtRunLoopDriver.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>

namespace instala::desktop {

QtRunLoopDriver::QtRunLoopDriver(platform::RunLoop& loop, QObject* parent)
    : QObject(parent), loop_(loop), shared_(std::make_shared<Shared>()) {
  shared_->driver = this;
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { pump(); });
  std::weak_ptr<Shared> weak = shared_;
  loop_.setWakeUpHandler([weak] {
    auto shared = weak.lock();
    if (!shared || shared->queued.exchange(true)) return;
    // The application object outlives every driver; the pump finds the driver (or none) on the Qt thread.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [shared] {
          shared->queued = false;
          if (shared->driver) shared->driver->pump();
        },
        Qt::QueuedConnection);
  });
  // Work queued before the driver existed runs on the first turn.
  QMetaObject::invokeMethod(this, [this] { pump(); }, Qt::QueuedConnection);
}

QtRunLoopDriver::~QtRunLoopDriver() {
  shared_->driver = nullptr;
  loop_.setWakeUpHandler(nullptr);
}

std::size_t QtRunLoopDriver::pump() {
  // A task that spins a nested Qt loop (a modal dialog) must not run the queue inside itself.
  if (pumping_) return 0;
  pumping_ = true;
  const std::size_t ran = loop_.runUntilIdle();
  pumping_ = false;
  armTimer();
  if (ran > 0) emit ranWork();
  return ran;
}

void QtRunLoopDriver::armTimer() {
  const auto deadline = loop_.nextTimerDeadline();
  if (!deadline) {
    timer_.stop();
    return;
  }
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*deadline - loop_.clock().now());
  timer_.start(static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(wait.count(), 0, 24 * 3600 * 1000)));
}

}  // namespace instala::desktop
