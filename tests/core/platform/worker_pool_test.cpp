// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

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

// Run in a child whose address space allows `extra` bytes more than it has: thread stacks
// soon do not fit. The job's 200 units all run, on the threads that could be started.
int ThreadsUnderLimit(std::uint64_t extra) {
  const pid_t child = fork();
  if (child == 0) {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    unsigned long long pages = 0;
    if (statm == nullptr || std::fscanf(statm, "%llu", &pages) != 1) _exit(100);
    std::fclose(statm);
    const rlimit limit{static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + extra),
                       static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + extra)};
    setrlimit(RLIMIT_AS, &limit);
    WorkerPool pool(1000);
    std::vector<std::uint8_t> seen(200, 0);
    pool.Run(200, [&](std::int64_t i, std::stop_token) {
      ++seen[static_cast<std::size_t>(i)];
      return true;
    });
    for (const std::uint8_t s : seen) {
      if (s != 1) _exit(101);
    }
    if (pool.DoneCount() != 200 || pool.RequestedThreads() != 1000) _exit(102);
    _exit(std::min(pool.Threads(), 99));
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(WorkerPool, ThreadsTheSystemRefusesAreDoneWithoutAndTheJobStillRuns) {
  // Room for some threads' stacks (8 MB each by default), far from a thousand.
  const int some = ThreadsUnderLimit(std::uint64_t{200} << 20);
  EXPECT_GE(some, 1);
  EXPECT_LT(some, 99);
  // Room for hardly any (stacks kept from earlier threads may still serve a few; with
  // none, the job runs on the thread that started it).
  const int few = ThreadsUnderLimit(std::uint64_t{1} << 20);
  EXPECT_GE(few, 0);
  EXPECT_LT(few, 99);
}

}  // namespace
}  // namespace orbitra
