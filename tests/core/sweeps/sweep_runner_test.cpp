// SPDX-License-Identifier: GPL-3.0-or-later
// The sweep runner's progress while a single heavy unit runs: a unit that has reported part
// of its work and then waits shows that part as percentage and speed before it ends.
#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <memory>
#include <string>
#include <thread>

#include "sweeps/sweep_runner.h"

namespace orbitra {
namespace {

// One unit of 10000 iterations over 50 columns: it counts 4000 of them, says so, and waits
// to be let go before it finishes.
class HeldUnitJob : public SweepJob {
 public:
  HeldUnitJob(std::latch& reported, std::latch& release) : reported_(reported), release_(release) {}

  std::int64_t Units() const override { return 1; }
  bool ComputeUnit(std::int64_t /*unit*/, std::stop_token /*stop*/) override {
    done_.fetch_add(4000, std::memory_order_relaxed);
    reported_.count_down();
    release_.wait();
    done_.fetch_add(6000, std::memory_order_relaxed);
    return true;
  }
  std::int64_t UnitIterations(std::int64_t /*unit*/) const override { return 10000; }
  std::int64_t UnitItems(std::int64_t /*unit*/) const override { return 50; }
  std::int64_t Items() const override { return 50; }
  double WorkDone() const override { return static_cast<double>(done_.load()) / 10000.0; }
  std::int64_t RateCountSoFar() const override { return done_.load(); }
  std::string WorkName() const override { return "Held job"; }
  std::string ItemName() const override { return "columns"; }
  std::string Remarks(const std::vector<std::uint8_t>& /*done*/) const override { return {}; }
  void DrawFrame(Canvas& /*canvas*/) override {}
  void DrawUnit(Canvas& /*canvas*/, std::int64_t /*unit*/) const override {}
  void DrawOverlay(Canvas& /*canvas*/) const override {}
  void DrawAtSize(Canvas& /*canvas*/, const std::vector<std::uint8_t>& /*done*/) const override {}

 private:
  std::latch& reported_;
  std::latch& release_;
  std::atomic<std::int64_t> done_{0};
};

TEST(SweepRunnerProgress, MovesWithinARunningUnitAndEndsAtAHundred) {
  std::latch reported(1), release(1);
  Canvas picture(10, 10);
  SweepRunner runner(2);
  runner.Start(std::make_unique<HeldUnitJob>(reported, release), picture);
  reported.wait();

  // The unit is still running: nothing finished, yet 40% and a speed above zero.
  EXPECT_FALSE(runner.DrawFinished(picture));
  EXPECT_EQ(runner.Percent(), 40);
  const std::string running = runner.StatusText();
  EXPECT_EQ(running.rfind("Held job: 40% of 50 columns, ", 0), 0u) << running;
  EXPECT_EQ(running.find(", 0 iterations/s"), std::string::npos) << running;
  EXPECT_NE(running.find(" iterations/s"), std::string::npos) << running;

  release.count_down();
  while (runner.Working()) std::this_thread::yield();
  runner.DrawFinished(picture);
  EXPECT_EQ(runner.Percent(), 100);
  EXPECT_EQ(runner.StatusText(), "Held job: 100% of 50 columns, done");
}

}  // namespace
}  // namespace orbitra
