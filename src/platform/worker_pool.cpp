// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/worker_pool.h"

#include <numeric>
#include <utility>

namespace orbitra {

int WorkerPool::DefaultThreads() noexcept {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int>(n);
}

WorkerPool::WorkerPool(int threads) {
  const int n = threads > 0 ? threads : DefaultThreads();
  threads_.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    threads_.emplace_back([this](std::stop_token stop) { WorkerLoop(stop); });
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
  wake_.notify_all();
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
