#include "platform/RunLoop.h"

#include <gtest/gtest.h>

#include <thread>

namespace instala::platform {
namespace {

using namespace std::chrono_literals;

struct ManualLoop {
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
  RunLoop loop{clock};
};

TEST(RunLoop, TasksRunInOrderOnlyWhenPumped) {
  RunLoop loop;
  std::vector<int> order;
  loop.async([&] { order.push_back(1); });
  loop.async([&] {
    order.push_back(2);
    loop.async([&] { order.push_back(3); });
  });
  EXPECT_TRUE(order.empty());
  EXPECT_EQ(loop.runUntilIdle(), 3u);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(RunLoop, TaskPostedFromAnotherThreadWakesTheLoop) {
  RunLoop loop;
  bool ran = false;
  std::thread worker([&] { loop.async([&] { ran = true; }); });
  EXPECT_TRUE(loop.waitForWork(5s));
  worker.join();
  loop.runUntilIdle();
  EXPECT_TRUE(ran);
}

TEST(RunLoop, RepeatingTimerFirstTicksOneIntervalAfterScheduling) {
  ManualLoop m;
  int ticks = 0;
  auto timer = m.loop.scheduleTimer(1s, true, [&](Timer&) { ++ticks; });
  m.loop.runUntilIdle();
  EXPECT_EQ(ticks, 0);
  m.clock->advance(999ms);
  m.loop.runUntilIdle();
  EXPECT_EQ(ticks, 0);
  m.clock->advance(1ms);
  m.loop.runUntilIdle();
  EXPECT_EQ(ticks, 1);
  m.clock->advance(3s);
  m.loop.runUntilIdle();
  EXPECT_EQ(ticks, 4);
  timer->invalidate();
  EXPECT_FALSE(timer->isValid());
  m.clock->advance(5s);
  m.loop.runUntilIdle();
  EXPECT_EQ(ticks, 4);
}

TEST(RunLoop, OneShotTimerFiresOnceAndLeavesTheLoop) {
  ManualLoop m;
  int ticks = 0;
  auto timer = m.loop.scheduleTimer(2s, false, [&](Timer&) { ++ticks; });
  m.clock->advance(10s);
  m.loop.runUntilIdle();
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(timer->isValid());
  EXPECT_EQ(m.loop.activeTimerCount(), 0u);
}

TEST(RunLoop, LoopKeepsATimerAliveWithoutAHandle) {
  ManualLoop m;
  int ticks = 0;
  m.loop.scheduleTimer(1s, true, [&](Timer&) { ++ticks; });
  m.clock->advance(2s);
  m.loop.runUntilIdle();
  EXPECT_EQ(ticks, 2);
}

TEST(RunLoop, TimerCanStopItselfFromItsTick) {
  ManualLoop m;
  int ticks = 0;
  m.loop.scheduleTimer(1s, true, [&](Timer& timer) {
    if (++ticks == 2) timer.invalidate();
  });
  m.clock->advance(10s);
  m.loop.runUntilIdle();
  EXPECT_EQ(ticks, 2);
}

TEST(RunLoop, RealClockTimerWakesAWaitingLoop) {
  RunLoop loop;
  bool fired = false;
  loop.scheduleTimer(20ms, false, [&](Timer&) { fired = true; });
  while (!fired) {
    loop.waitForWork(5s);
    loop.runUntilIdle();
  }
  EXPECT_TRUE(fired);
}

TEST(RunLoop, HandleOutlivingItsLoopIsHarmless) {
  std::shared_ptr<Timer> timer;
  {
    ManualLoop m;
    timer = m.loop.scheduleTimer(1s, true, [](Timer&) {});
  }
  EXPECT_FALSE(timer->isValid());
  timer->invalidate();
}

}  // namespace
}  // namespace instala::platform
