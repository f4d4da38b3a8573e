// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace orbitra {

// Runs a fixed number of work units on a set of threads. Units are numbered 0..count-1
// and are fixed by the work (columns, rows, tiles), never by the number of threads, so a
// sweep that writes each unit's result into its own slot gives the same bits on 1, 2 or
// 16 threads. Threads take the next unit from an atomic counter; nothing busy-waits.
//
// A job runs until every unit is done or Stop() is asked for; a stopped job leaves the
// units that finished complete and the others untouched (a unit that has started is
// finished unless the unit itself watches the stop token), and FinishedUnits() tells
// which ones finished so a later job can resume with the rest.
class WorkerPool {
 public:
  // unit(index, stop) computes one unit; it may return early when stop is requested,
  // and then returns false so that the unit is not counted as finished.
  using Unit = std::function<bool(std::int64_t index, std::stop_token stop)>;

  // threads <= 0 means one per core of the machine.
  explicit WorkerPool(int threads = 0);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // The threads running, and those asked for: fewer when the system refused some (a
  // pool without any runs each job on the thread that starts it, to the end).
  int Threads() const noexcept { return static_cast<int>(threads_.size()); }
  int RequestedThreads() const noexcept { return requested_; }
  static int DefaultThreads() noexcept;

  // Starts a job over the units in `order` (every index once); returns at once. A job that
  // is still running is stopped and waited for first. on_unit_done, when given, is called
  // on the worker thread right after a unit finished (hand results to another thread
  // from there; never paint from it).
  void Start(std::vector<std::int64_t> order, Unit unit,
             std::function<void(std::int64_t index)> on_unit_done = {});
  // Convenience: units 0..count-1 in order.
  void Start(std::int64_t count, Unit unit, std::function<void(std::int64_t index)> on_unit_done = {});

  // Blocks until the job has ended (every unit done, or stopped and the running units back).
  void Wait();
  // Asks the job to end after the units that are running; does not wait.
  void Stop() noexcept;
  bool Running() const noexcept;

  // Units finished by the current or last job, and how many there are to do.
  std::int64_t DoneCount() const noexcept { return done_.load(std::memory_order_relaxed); }
  std::int64_t UnitCount() const noexcept { return unit_count_; }
  // Which units of the last job finished (valid once the job has ended).
  std::vector<std::int64_t> FinishedUnits() const;
  bool WasStopped() const noexcept { return stopped_.load(std::memory_order_relaxed); }

  // Runs a whole job on the calling thread's pool and waits: the plain form for a sweep
  // that has nothing to show while it runs (the renderer, tests).
  void Run(std::int64_t count, Unit unit);

 private:
  void WorkerLoop(std::stop_token thread_stop);
  void RunJobHere();

  std::vector<std::jthread> threads_;
  int requested_ = 0;
  mutable std::mutex mutex_;
  std::condition_variable_any wake_;
  std::condition_variable job_ended_;

  // The current job, guarded by mutex_ except for the atomics.
  std::uint64_t job_serial_ = 0;
  std::vector<std::int64_t> order_;
  Unit unit_;
  std::function<void(std::int64_t)> on_unit_done_;
  std::vector<std::uint8_t> finished_;
  std::int64_t unit_count_ = 0;
  int busy_workers_ = 0;
  std::stop_source job_stop_;
  std::atomic<std::int64_t> next_{0};
  std::atomic<std::int64_t> done_{0};
  std::atomic<bool> stopped_{false};
  bool job_open_ = false;
};

}  // namespace orbitra
