#pragma once
// Pumps the main run loop until a condition holds, the way a front end would.

#include "platform/RunLoop.h"

#include <chrono>
#include <functional>

namespace instala::testing {

// False when the condition still does not hold after `timeout`.
inline bool pumpMainLoopUntil(const std::function<bool()>& done,
                              std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
  auto& loop = platform::RunLoop::main();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    loop.runUntilIdle();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    loop.waitForWork(std::chrono::milliseconds(50));
  }
}

// Runs what is queued now and what it queues, without waiting for more.
inline void drainMainLoop() { platform::RunLoop::main().runUntilIdle(); }

}  // namespace instala::testing
