// The audio-thread meter: a call that waits for a lock another thread holds
// counts as a call that slept, one that only computes does not.
#include "host/RenderMeter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

TEST(RenderMeter, CountsTheCallsInWhichTheThreadWaitedForALock)
{
  RenderMeter meter(16, 10.0);
  volatile double sink = 0.0;
  for (int i = 0; i < 5; ++i)
    meter.measure([&] {
      for (int k = 0; k < 20000; ++k)
        sink = sink + std::sqrt(static_cast<double>(k));
    });
  RenderMeter::Summary s = meter.summary();
  EXPECT_EQ(s.calls, 5u);
  EXPECT_EQ(s.slept, 0u);
  EXPECT_GT(s.max, 0.0);

  std::mutex m;
  std::unique_lock<std::mutex> held(m);
  std::thread holder([&held] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    held.unlock();
  });
  meter.measure([&m] { std::lock_guard<std::mutex> wait(m); });
  holder.join();

  s = meter.summary();
  EXPECT_EQ(s.calls, 6u);
  EXPECT_EQ(s.slept, 1u);
  EXPECT_GE(s.switches, 1);
  // The wait itself was the longest call.
  EXPECT_GE(s.longestSleepMs, 20.0);
  EXPECT_EQ(s.longestSleepMs, s.max);
  EXPECT_GE(s.late, 1u);
}
