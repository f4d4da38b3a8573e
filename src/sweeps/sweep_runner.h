// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/worker_pool.h"
#include "sweeps/sweep_job.h"

namespace orbitra {

// Runs a sweep job on every core and draws what the workers finish: they hand each
// finished unit's number over, and the owner's thread draws it into the picture when it
// polls. Stop ends the job after the units that are running; Resume goes on with the
// units that did not finish, so the picture ends as an unbroken job leaves it.
class SweepRunner {
 public:
  explicit SweepRunner(int threads = 0);
  ~SweepRunner();

  int Threads() const noexcept { return pool_.Threads(); }

  // Draws the job's frame on the picture and starts every unit.
  void Start(std::unique_ptr<SweepJob> job, Canvas& picture);
  void Stop();
  // Starts the units not finished yet; false when there are none (or no job).
  bool Resume();
  // Takes a job whose units marked in `done` hold saved numbers: draws its frame and those
  // units at once and computes nothing; Resume computes the rest. A `done` of another
  // length than the job's units counts as none done.
  void Adopt(std::unique_ptr<SweepJob> job, Canvas& picture, std::vector<std::uint8_t> done);
  // Start and wait, drawing every unit (for a picture made without a window).
  void RunToEnd(std::unique_ptr<SweepJob> job, Canvas& picture);

  bool Working() const { return pool_.Running(); }
  // Draws the units finished since the last call; true when any was drawn.
  bool DrawFinished(Canvas& picture);

  const SweepJob* Job() const noexcept { return job_.get(); }
  const std::vector<std::uint8_t>& UnitsDone() const noexcept { return drawn_; }
  bool Complete() const noexcept;
  // Percent of the items done (of the units drawn), 0 to 100.
  int Percent() const noexcept;
  // "Orbit diagram: 42% of 1200 columns, 1.3 G iterations/s, 12 columns escaped"; when the
  // job has ended, "... done" or "... stopped" in place of the speed.
  std::string StatusText() const;

 private:
  void StartUnits(std::vector<std::int64_t> order);
  // What the speed counts so far: within units when the job says, else finished units.
  std::int64_t RateCount() const noexcept;

  WorkerPool pool_;
  std::unique_ptr<SweepJob> job_;
  std::vector<std::uint8_t> drawn_;  // per unit: finished and drawn
  std::int64_t itemsDone_ = 0;
  std::int64_t iterationsDone_ = 0;
  std::int64_t rateBase_ = 0;  // the job's RateCountSoFar before any unit ran
  double secondsBefore_ = 0.0;  // working time of earlier parts of a resumed job
  std::chrono::steady_clock::time_point started_;
  bool stopped_ = false;

  std::mutex mutex_;
  std::vector<std::int64_t> finished_;  // handed over by the workers, not drawn yet
};

// "1.3 G", "31 M", "950 k" or "12" per second, for the speed of a sweep.
std::string RateText(double perSecond);

}  // namespace orbitra
