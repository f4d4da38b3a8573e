// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/worker_pool.h"

#include "platform/memory_budget.h"

#include <sys/resource.h>

#include <algorithm>
#include <numeric>
#include <system_error>
#include <utility>

namespace orbitra {

int WorkerPool::DefaultThreads() noexcept {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int>(n);
}

namespace {

// Threads whose stacks take at most half the memory the process may have: more would
// leave the work itself none.
int MostThreadsForMemory() noexcept {
  rlimit stack{};
  const std::uint64_t stackBytes =
      ::getrlimit(RLIMIT_STACK, &stack) == 0 && stack.rlim_cur != RLIM_INFINITY && stack.rlim_cur > 0
          ? stack.rlim_cur
          : std::uint64_t{8} << 20;
  const std::uint64_t most = MemoryBudget() / 2 / stackBytes;
  return static_cast<int>(std::clamp<std::uint64_t>(most, 1, 1 << 20));
}

}  // namespace

WorkerPool::WorkerPool(int threads) {
  requested_ = threads > 0 ? threads : DefaultThreads();
  const int n = std::min(requested_, MostThreadsForMemory());
  threads_.reserve(static_cast<std::size_t>(n));
  // The system may refuse threads (a process limit, no memory for their stacks): the pool
  // works with those it got, and with none runs its jobs on the thread that starts them.
  for (int i = 0; i < n; ++i) {
    try {
      threads_.emplace_back([this](std::stop_token stop) { WorkerLoop(stop); });
    } catch (const std::system_error&) {
      break;
    }
  }
}

WorkerPool::~WorkerPool() {
  Stop();
  Wait();
  // The threads use the mutex and the condition variables: join them while those live.
  for (auto& t : threads_) t.request_stop();
  threads_.clear();
}

void WorkerPool::Start(std::int64_t count, Unit unit, std::function<void(std::int64_t)> on_unit_done) {
  std::vector<std::int64_t> order(static_cast<std::size_t>(count > 0 ? count : 0));
  std::iota(order.begin(), order.end(), std::int64_t{0});
  Start(std::move(order), std::move(unit), std::move(on_unit_done));
}

void WorkerPool::Start(std::vector<std::int64_t> order, Unit unit,
                       std::function<void(std::int64_t)> on_unit_done) {
  Stop();
  Wait();
  std::int64_t largest = -1;
  for (const std::int64_t i : order) largest = i > largest ? i : largest;
  {
    const std::lock_guard lock(mutex_);
    order_ = std::move(order);
    unit_ = std::move(unit);
    on_unit_done_ = std::move(on_unit_done);
    finished_.assign(static_cast<std::size_t>(largest + 1), 0);
    unit_count_ = static_cast<std::int64_t>(order_.size());
    job_stop_ = std::stop_source();
    next_.store(0, std::memory_order_relaxed);
    done_.store(0, std::memory_order_relaxed);
    stopped_.store(false, std::memory_order_relaxed);
    busy_workers_ = Threads();
    job_open_ = true;
    ++job_serial_;
  }
  if (threads_.empty()) {
    RunJobHere();
    return;
  }
  wake_.notify_all();
}

void WorkerPool::RunJobHere() {
  const std::stop_token job_stop = job_stop_.get_token();
  for (std::int64_t k = 0; k < unit_count_ && !job_stop.stop_requested(); ++k) {
    next_.store(k + 1, std::memory_order_relaxed);
    const std::int64_t index = order_[static_cast<std::size_t>(k)];
    if (!unit_(index, job_stop)) continue;
    finished_[static_cast<std::size_t>(index)] = 1;
    done_.fetch_add(1, std::memory_order_relaxed);
    if (on_unit_done_) on_unit_done_(index);
  }
  {
    const std::lock_guard lock(mutex_);
    job_open_ = false;
  }
  job_ended_.notify_all();
}

void WorkerPool::Run(std::int64_t count, Unit unit) {
  Start(count, std::move(unit));
  Wait();
}

void WorkerPool::Wait() {
  std::unique_lock lock(mutex_);
  job_ended_.wait(lock, [this] { return !job_open_; });
}

void WorkerPool::Stop() noexcept {
  const std::lock_guard lock(mutex_);
  if (!job_open_) return;
  stopped_.store(true, std::memory_order_relaxed);
  job_stop_.request_stop();
}

bool WorkerPool::Running() const noexcept {
  const std::lock_guard lock(mutex_);
  return job_open_;
}

std::vector<std::int64_t> WorkerPool::FinishedUnits() const {
  const std::lock_guard lock(mutex_);
  std::vector<std::int64_t> out;
  for (std::size_t i = 0; i < finished_.size(); ++i)
    if (finished_[i]) out.push_back(static_cast<std::int64_t>(i));
  return out;
}

void WorkerPool::WorkerLoop(std::stop_token thread_stop) {
  std::uint64_t seen = 0;
  for (;;) {
    std::stop_token job_stop;
    {
      std::unique_lock lock(mutex_);
      if (!wake_.wait(lock, thread_stop, [&] { return job_serial_ != seen; })) return;
      seen = job_serial_;
      job_stop = job_stop_.get_token();
    }
    // order_, unit_ and finished_ stay put while this job is open: Start waits for its end.
    const std::int64_t count = unit_count_;
    for (;;) {
      if (job_stop.stop_requested()) break;
      const std::int64_t k = next_.fetch_add(1, std::memory_order_relaxed);
      if (k >= count) break;
      const std::int64_t index = order_[static_cast<std::size_t>(k)];
      if (!unit_(index, job_stop)) continue;
      finished_[static_cast<std::size_t>(index)] = 1;  // one slot per unit: no two threads share it
      done_.fetch_add(1, std::memory_order_relaxed);
      if (on_unit_done_) on_unit_done_(index);
    }
    {
      const std::lock_guard lock(mutex_);
      if (--busy_workers_ == 0) job_open_ = false;
    }
    job_ended_.notify_all();
  }
}

}  // namespace orbitra
