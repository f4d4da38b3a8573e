// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweeps/sweep_runner.h"

#include <algorithm>

#include <cmath>
#include <cstdio>
#include <utility>

namespace orbitra {

SweepRunner::SweepRunner(int threads) : pool_(threads) {}

SweepRunner::~SweepRunner() {
  pool_.Stop();
  pool_.Wait();
}

void SweepRunner::Start(std::unique_ptr<SweepJob> job, Canvas& picture) {
  pool_.Stop();
  pool_.Wait();
  {
    const std::lock_guard lock(mutex_);
    finished_.clear();
  }
  job_ = std::move(job);
  drawn_.assign(static_cast<std::size_t>(job_ ? job_->Units() : 0), 0);
  itemsDone_ = 0;
  iterationsDone_ = 0;
  secondsBefore_ = 0.0;
  stopped_ = false;
  if (!job_) return;
  rateBase_ = std::max<std::int64_t>(job_->RateCountSoFar(), 0);
  job_->DrawFrame(picture);
  std::vector<std::int64_t> order(drawn_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::int64_t>(i);
  StartUnits(std::move(order));
}

void SweepRunner::Adopt(std::unique_ptr<SweepJob> job, Canvas& picture, std::vector<std::uint8_t> done) {
  pool_.Stop();
  pool_.Wait();
  {
    const std::lock_guard lock(mutex_);
    finished_.clear();
  }
  job_ = std::move(job);
  const auto units = static_cast<std::size_t>(job_ ? job_->Units() : 0);
  if (done.size() != units) done.assign(units, 0);
  drawn_ = std::move(done);
  itemsDone_ = 0;
  iterationsDone_ = 0;
  secondsBefore_ = 0.0;
  if (!job_) return;
  rateBase_ = std::max<std::int64_t>(job_->RateCountSoFar(), 0);
  job_->DrawFrame(picture);
  for (std::size_t u = 0; u < drawn_.size(); ++u) {
    if (drawn_[u] == 0) continue;
    job_->DrawUnit(picture, static_cast<std::int64_t>(u));
    itemsDone_ += job_->UnitItems(static_cast<std::int64_t>(u));
  }
  stopped_ = !Complete();
}

void SweepRunner::StartUnits(std::vector<std::int64_t> order) {
  started_ = std::chrono::steady_clock::now();
  SweepJob* const job = job_.get();
  pool_.Start(
      std::move(order), [job](std::int64_t unit, std::stop_token stop) { return job->ComputeUnit(unit, stop); },
      [this](std::int64_t unit) {
        const std::lock_guard lock(mutex_);
        finished_.push_back(unit);
      });
}

void SweepRunner::Stop() {
  if (!pool_.Running()) return;
  pool_.Stop();
  pool_.Wait();
  stopped_ = true;
  secondsBefore_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
}

bool SweepRunner::Resume() {
  if (!job_ || pool_.Running()) return false;
  std::vector<std::int64_t> rest;
  {
    // Units finished but not drawn yet count as done too.
    const std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> done = drawn_;
    for (const std::int64_t u : finished_) done[static_cast<std::size_t>(u)] = 1;
    for (std::size_t i = 0; i < done.size(); ++i) {
      if (done[i] == 0) rest.push_back(static_cast<std::int64_t>(i));
    }
  }
  if (rest.empty()) return false;
  stopped_ = false;
  StartUnits(std::move(rest));
  return true;
}

void SweepRunner::RunToEnd(std::unique_ptr<SweepJob> job, Canvas& picture) {
  Start(std::move(job), picture);
  pool_.Wait();
  DrawFinished(picture);
}

bool SweepRunner::DrawFinished(Canvas& picture) {
  std::vector<std::int64_t> units;
  {
    const std::lock_guard lock(mutex_);
    units.swap(finished_);
  }
  for (const std::int64_t u : units) {
    job_->DrawUnit(picture, u);
    drawn_[static_cast<std::size_t>(u)] = 1;
    itemsDone_ += job_->UnitItems(u);
    iterationsDone_ += job_->UnitIterations(u);
  }
  return !units.empty();
}

bool SweepRunner::Complete() const noexcept {
  for (const std::uint8_t d : drawn_) {
    if (d == 0) return false;
  }
  return job_ != nullptr;
}

int SweepRunner::Percent() const noexcept {
  const std::int64_t items = job_ ? job_->Items() : 0;
  const int whole = items > 0 ? static_cast<int>(itemsDone_ * 100 / items) : 0;
  if (!job_ || whole >= 100) return whole;
  // Within units too, so that heavy units show progress from the start; 100 only once all
  // units are in.
  const double part = job_->WorkDone();
  const int within = part > 0.0 ? static_cast<int>(std::min(part, 0.99) * 100.0) : 0;
  return std::max(whole, within);
}

std::int64_t SweepRunner::RateCount() const noexcept {
  const std::int64_t within = job_ ? job_->RateCountSoFar() : -1;
  return within < 0 ? iterationsDone_ : std::max(iterationsDone_, within - rateBase_);
}

std::string RateText(double perSecond) {
  struct Prefix {
    double factor;
    const char* name;
  };
  constexpr Prefix kPrefixes[] = {{1e9, " G"}, {1e6, " M"}, {1e3, " k"}};
  char text[48];
  for (const Prefix& p : kPrefixes) {
    if (perSecond >= p.factor) {
      std::snprintf(text, sizeof text, "%.1f%s", perSecond / p.factor, p.name);
      return text;
    }
  }
  std::snprintf(text, sizeof text, "%.0f", perSecond);
  return text;
}

std::string SweepRunner::StatusText() const {
  if (!job_) return {};
  std::string text = job_->WorkName() + ": " + std::to_string(Percent()) + "% of " + std::to_string(job_->Items()) +
                     " " + job_->ItemName();
  if (Working()) {
    const double seconds =
        secondsBefore_ + std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    if (seconds > 0.0) text += ", " + RateText(static_cast<double>(RateCount()) / seconds) + " " + job_->RateName() + "/s";
  } else {
    text += Complete() ? ", done" : ", stopped";
  }
  const std::string remarks = job_->Remarks(drawn_);
  if (!remarks.empty()) text += ", " + remarks;
  return text;
}

}  // namespace orbitra
