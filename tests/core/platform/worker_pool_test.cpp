#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/worker_pool.h"

namespace orbitra {
namespace {

// A unit whose result depends only on its index: a few thousand logistic-map steps.
double UnitValue(std::int64_t index) {
  double x = 0.1 + 0.8 * static_cast<double>(index % 97) / 97.0;
  const double r = 3.6 + 0.4 * static_cast<double>(index % 13) / 13.0;
  for (int i = 0; i < 2000 + static_cast<int>(index % 7); ++i) x = r * x * (1.0 - x);
  return x;
}

TEST(WorkerPool, EveryUnitRunsOnceWithTheSameResultOnAnyNumberOfThreads) {
  constexpr std::int64_t kUnits = 1001;  // odd, and not a multiple of any thread count used
  std::vector<double> reference(kUnits);
  for (std::int64_t i = 0; i < kUnits; ++i) reference[static_cast<std::size_t>(i)] = UnitValue(i);
  for (const int threads : {1, 2, 7}) {
    WorkerPool pool(threads);
    EXPECT_EQ(pool.Threads(), threads);
    std::vector<double> out(kUnits, -1.0);
    std::vector<std::atomic<int>> runs(kUnits);
    pool.Run(kUnits, [&](std::int64_t i, std::stop_token) {
      runs[static_cast<std::size_t>(i)].fetch_add(1);
      out[static_cast<std::size_t>(i)] = UnitValue(i);
      return true;
    });
    EXPECT_EQ(out, reference) << threads << " threads";
    for (const auto& r : runs) ASSERT_EQ(r.load(), 1);
    EXPECT_EQ(pool.DoneCount(), kUnits);
    EXPECT_FALSE(pool.WasStopped());
    EXPECT_EQ(pool.FinishedUnits().size(), static_cast<std::size_t>(kUnits));
  }
}

TEST(WorkerPool, AStoppedJobResumesWithTheUnitsLeftAndEndsAsAnUnbrokenOne) {
  constexpr std::int64_t kUnits = 400;
  WorkerPool pool(3);
  std::vector<double> out(kUnits, -1.0);
  pool.Start(kUnits, [&](std::int64_t i, std::stop_token stop) {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    if (stop.stop_requested()) return false;
    out[static_cast<std::size_t>(i)] = UnitValue(i);
    return true;
  });
  while (pool.DoneCount() < 40) std::this_thread::yield();
  pool.Stop();
  pool.Wait();
  EXPECT_TRUE(pool.WasStopped());
  const std::vector<std::int64_t> finished = pool.FinishedUnits();
  EXPECT_GE(finished.size(), 40u);
  EXPECT_LT(finished.size(), static_cast<std::size_t>(kUnits));
  std::vector<bool> is_done(kUnits, false);
  for (const std::int64_t i : finished) is_done[static_cast<std::size_t>(i)] = true;
  std::vector<std::int64_t> rest;
  for (std::int64_t i = 0; i < kUnits; ++i) {
    if (is_done[static_cast<std::size_t>(i)]) {
      EXPECT_EQ(out[static_cast<std::size_t>(i)], UnitValue(i));
    } else {
      EXPECT_EQ(out[static_cast<std::size_t>(i)], -1.0) << "unit " << i << " wrote but was not counted";
      rest.push_back(i);
    }
  }
  std::atomic<int> reported{0};
  pool.Start(rest, [&](std::int64_t i, std::stop_token) {
    out[static_cast<std::size_t>(i)] = UnitValue(i);
    return true;
  }, [&](std::int64_t) { reported.fetch_add(1); });
  pool.Wait();
  EXPECT_EQ(reported.load(), static_cast<int>(rest.size()));
  EXPECT_EQ(pool.DoneCount(), static_cast<std::int64_t>(rest.size()));
  for (std::int64_t i = 0; i < kUnits; ++i) ASSERT_EQ(out[static_cast<std::size_t>(i)], UnitValue(i));
}

// Units that never look at the stop token (a long computation between checks): after Stop
// no thread takes a new unit, so at most one unit per thread, the ones running, ends
// after it.
TEST(WorkerPool, NoUnitStartsAfterStop) {
  constexpr int kThreads = 3;
  WorkerPool pool(kThreads);
  std::atomic<int> started{0};
  std::atomic<bool> stopped{false};
  std::atomic<int> startedAfterStop{0};
  std::atomic<bool> release{false};
  pool.Start(1000, [&](std::int64_t, std::stop_token) {
    if (stopped.load()) startedAfterStop.fetch_add(1);
    started.fetch_add(1);
    while (!release.load()) std::this_thread::yield();
    return true;
  });
  while (started.load() < kThreads) std::this_thread::yield();  // every thread in a unit
  stopped.store(true);
  pool.Stop();
  release.store(true);
  pool.Wait();
  EXPECT_TRUE(pool.WasStopped());
  EXPECT_LE(startedAfterStop.load(), 0);
  EXPECT_LE(pool.DoneCount(), kThreads);
}

TEST(WorkerPool, AnEmptyJobEndsAndThePoolCanBeDestroyedWhileIdle) {
  WorkerPool pool(2);
  pool.Run(0, [](std::int64_t, std::stop_token) { return true; });
  EXPECT_EQ(pool.DoneCount(), 0);
  EXPECT_FALSE(pool.Running());
  WorkerPool busy(2);
  busy.Start(100000, [](std::int64_t, std::stop_token stop) { return !stop.stop_requested(); });
  // Destroying a pool with a job open stops it and joins its threads.
}

}  // namespace
}  // namespace orbitra
