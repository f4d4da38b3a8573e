// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

#include "analysis/grid_values.h"
#include "maps/mapping_model.h"
#include "platform/worker_pool.h"

namespace orbitra {

// Every kCoarseStep-th pixel in both directions (column and row multiples of it) is
// computed first, so that a picture of blocks appears early; the rest follows row by row.
inline constexpr std::int32_t kCoarseStep = 8;

// A row whose pixels are all in (coarse: its coarse pixels, the picture's blocks).
struct GridRowEvent {
  std::int32_t row = 0;
  bool coarse = false;
  friend bool operator==(const GridRowEvent&, const GridRowEvent&) = default;
};

// Which rows of the band may be shown, kept by the thread that shows them: full rows, and
// coarse rows (the rows that are multiples of kCoarseStep) whose blocks are in.
struct GridShown {
  std::vector<std::uint8_t> full;
  std::vector<std::uint8_t> coarse;
};

// The units of a sweep over a band of rows (see GridSweep::Units).
std::int64_t GridSweepUnits(RowBand rows) noexcept;

// A grid computed on a WorkerPool in fixed units: one unit per coarse row, then one per
// row for the pixels the coarse pass left. Every pixel belongs to exactly one unit and its
// numbers depend on nothing else, so the grid is the same on any number of threads, in
// any order, after a Stop and a resume, and tile by tile.
//
// Rows are announced as they finish (TakeFinished), for the thread that shows them;
// they never paint from a worker.
class GridSweep {
 public:
  GridSweep(const MappingModel& model, const GridSettings& settings, RowBand rows);
  ~GridSweep();
  GridSweep(const GridSweep&) = delete;
  GridSweep& operator=(const GridSweep&) = delete;

  // Starts the units not finished yet on the pool (all of them the first time, the rest
  // after a Stop); returns at once. The sweep must outlive the pool's job.
  void Start(WorkerPool& pool);
  // Start, then wait for the job's end.
  void Run(WorkerPool& pool);

  // The units in the order Start runs them (the coarse units first), for a pool job of
  // one's own: unit k computes what Start's k-th unit does, and is announced the same way.
  std::int64_t Units() const noexcept { return static_cast<std::int64_t>(unitDone_.size()); }
  bool ComputeUnit(std::int64_t k, const std::stop_token& stop) { return RunUnit(UnitInOrder(k), stop); }
  // The pixels unit k computes.
  std::int64_t UnitPixels(std::int64_t k) const noexcept;

  // Rows finished since the last call, in the order they finished; marks them in Shown().
  std::vector<GridRowEvent> TakeFinished();
  const GridShown& Shown() const noexcept { return shown_; }

  // Pixels done so far (from any thread), and in all.
  std::int64_t PixelsDone() const noexcept { return pixelsDone_.load(std::memory_order_relaxed); }
  std::int64_t PixelCount() const noexcept;
  bool Complete() const noexcept { return PixelsDone() == PixelCount(); }

  // The numbers; read only rows announced as finished while the job runs.
  const GridValues& Values() const noexcept { return grid_; }

  // The numbers of the units marked in `unitsDone` (in Start's order, as ComputeUnit
  // counts them), every other pixel not done: what may be read while the job runs.
  GridValues FinishedValues(const std::vector<std::uint8_t>& unitsDone) const;
  // Saved numbers of a sweep of the same settings and band take the place of these
  // (before any unit runs): the units marked in `unitsDone` count as finished and their
  // rows as shown, and their pixels and any other pixel marked done are not computed
  // again. False, and nothing changed, when the sizes differ.
  bool Restore(const GridValues& saved, const std::vector<std::uint8_t>& unitsDone);

 private:
  bool RunUnit(std::int64_t unit, const std::stop_token& stop);
  // The row of a unit (in the band's order), whether it is a coarse one, and its columns.
  std::int32_t UnitRow(std::int64_t unit) const noexcept;
  std::vector<std::int32_t> UnitColumns(std::int64_t unit) const;
  std::int64_t UnitInOrder(std::int64_t k) const noexcept {
    return k < coarseRows_ ? grid_.rows.count + k : k - coarseRows_;
  }
  void Finished(std::int32_t row, bool coarse);

  MappingModel model_;
  GridValues grid_;
  std::int32_t coarseRows_ = 0;       // coarse units, after the band's rows
  std::int32_t firstCoarseRow_ = 0;   // the band's lowest row that is a multiple of kCoarseStep
  std::vector<std::uint8_t> unitDone_;
  std::unique_ptr<std::atomic<std::int32_t>[]> rowPartsLeft_;
  std::atomic<std::int64_t> pixelsDone_{0};
  bool oneAtATime_ = false;
  std::mutex evaluate_;  // held by every unit when the map allows one thread at a time
  std::mutex events_;
  std::vector<GridRowEvent> pending_;
  GridShown shown_;
};

}  // namespace orbitra
