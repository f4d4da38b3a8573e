#include <chrono>

#include <gtest/gtest.h>

#include "platform/frame_rate_gate.h"

namespace orbitra {
namespace {

TEST(FrameRateGate, LetsTheFirstRefreshThroughThenAtMostOncePerFrame) {
  FrameRateGate hourly(std::chrono::hours(1));
  EXPECT_TRUE(hourly.RefreshVisibleNow());
  int yes = 0;
  for (int i = 0; i < 1000; ++i) yes += hourly.RefreshVisibleNow();
  EXPECT_EQ(yes, 0);

  // With no frame time at all, the clock is still consulted only on every 16th question.
  FrameRateGate always(std::chrono::nanoseconds(0));
  yes = 0;
  for (int i = 0; i < 160; ++i) yes += always.RefreshVisibleNow();
  EXPECT_EQ(yes, 10);
}

}  // namespace
}  // namespace orbitra
