// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/grid_sweep.h"

#include <algorithm>

#include "analysis/grid_pixels.h"

namespace orbitra {

namespace {

// Columns a unit computes between looks at the stop request.
constexpr std::int32_t kColumnsBetweenStopChecks = 64;

bool IsCoarse(std::int32_t v) noexcept { return v % kCoarseStep == 0; }

}  // namespace

std::int64_t GridSweepUnits(RowBand rows) noexcept {
  const std::int32_t firstCoarse = (rows.first + kCoarseStep - 1) / kCoarseStep * kCoarseStep;
  const std::int32_t end = rows.first + rows.count;
  return rows.count + (firstCoarse < end ? (end - firstCoarse + kCoarseStep - 1) / kCoarseStep : 0);
}

GridSweep::GridSweep(const MappingModel& model, const GridSettings& settings, RowBand rows)
    : model_(model), grid_(settings, rows), oneAtATime_(GridNeedsOneThread(model)) {
  firstCoarseRow_ = (rows.first + kCoarseStep - 1) / kCoarseStep * kCoarseStep;
  const std::int32_t end = rows.first + rows.count;
  coarseRows_ = firstCoarseRow_ < end ? (end - firstCoarseRow_ + kCoarseStep - 1) / kCoarseStep : 0;
  unitDone_.assign(static_cast<std::size_t>(rows.count + coarseRows_), 0);
  rowPartsLeft_ = std::make_unique<std::atomic<std::int32_t>[]>(static_cast<std::size_t>(rows.count));
  for (std::int32_t r = 0; r < rows.count; ++r) rowPartsLeft_[static_cast<std::size_t>(r)] = IsCoarse(rows.first + r) ? 2 : 1;
  shown_.full.assign(static_cast<std::size_t>(rows.count), 0);
  shown_.coarse.assign(static_cast<std::size_t>(rows.count), 0);
}

GridSweep::~GridSweep() = default;

std::int64_t GridSweep::PixelCount() const noexcept {
  return static_cast<std::int64_t>(grid_.settings.width) * grid_.rows.count;
}

std::int64_t GridSweep::UnitPixels(std::int64_t k) const noexcept {
  const std::int64_t unit = UnitInOrder(k);
  const std::int64_t width = grid_.settings.width;
  const std::int64_t coarseColumns = (width + kCoarseStep - 1) / kCoarseStep;
  if (unit >= grid_.rows.count) return coarseColumns;
  return width - (IsCoarse(grid_.rows.first + static_cast<std::int32_t>(unit)) ? coarseColumns : 0);
}

void GridSweep::Start(WorkerPool& pool) {
  // Coarse units first, each time: what is missing of the overview comes before detail.
  std::vector<std::int64_t> order;
  for (std::int64_t k = 0; k < Units(); ++k) {
    if (!unitDone_[static_cast<std::size_t>(UnitInOrder(k))]) order.push_back(k);
  }
  pool.Start(std::move(order), [this](std::int64_t k, std::stop_token stop) { return ComputeUnit(k, stop); });
}

void GridSweep::Run(WorkerPool& pool) {
  Start(pool);
  pool.Wait();
}

std::int32_t GridSweep::UnitRow(std::int64_t unit) const noexcept {
  return unit >= grid_.rows.count ? firstCoarseRow_ + static_cast<std::int32_t>(unit - grid_.rows.count) * kCoarseStep
                                  : grid_.rows.first + static_cast<std::int32_t>(unit);
}

std::vector<std::int32_t> GridSweep::UnitColumns(std::int64_t unit) const {
  const bool coarse = unit >= grid_.rows.count;
  const std::int32_t row = UnitRow(unit);
  std::vector<std::int32_t> columns;
  for (std::int32_t c = 0; c < grid_.settings.width; c += coarse ? kCoarseStep : 1) {
    if (coarse == (IsCoarse(c) && IsCoarse(row))) columns.push_back(c);
  }
  return columns;
}

GridValues GridSweep::FinishedValues(const std::vector<std::uint8_t>& unitsDone) const {
  GridValues out(grid_.settings, grid_.rows);
  for (std::int64_t k = 0; k < Units() && static_cast<std::size_t>(k) < unitsDone.size(); ++k) {
    if (unitsDone[static_cast<std::size_t>(k)] == 0) continue;
    const std::int64_t unit = UnitInOrder(k);
    const std::int32_t row = UnitRow(unit);
    for (const std::int32_t c : UnitColumns(unit)) {
      const std::size_t i = grid_.Index(c, row);
      out.value[i] = grid_.value[i];
      if (i < out.lambda1.size()) out.lambda1[i] = grid_.lambda1[i];
      if (i < out.representative.size()) out.representative[i] = grid_.representative[i];
      out.done[i] = 1;
    }
  }
  return out;
}

bool GridSweep::Restore(const GridValues& saved, const std::vector<std::uint8_t>& unitsDone) {
  const auto same = [](const auto& a, const auto& b) { return a.size() == b.size(); };
  if (!same(saved.value, grid_.value) || !same(saved.lambda1, grid_.lambda1) ||
      !same(saved.representative, grid_.representative) || !same(saved.done, grid_.done) ||
      unitsDone.size() != unitDone_.size()) {
    return false;
  }
  grid_.value = saved.value;
  grid_.lambda1 = saved.lambda1;
  grid_.representative = saved.representative;
  std::int64_t pixels = 0;
  for (std::size_t i = 0; i < saved.done.size(); ++i) {
    grid_.done[i] = saved.done[i] != 0 ? 1 : 0;
    pixels += grid_.done[i];
  }
  for (std::int64_t k = 0; k < Units(); ++k) {
    if (unitsDone[static_cast<std::size_t>(k)] == 0) continue;
    const std::int64_t unit = UnitInOrder(k);
    const std::int32_t row = UnitRow(unit);
    const auto r = static_cast<std::size_t>(row - grid_.rows.first);
    unitDone_[static_cast<std::size_t>(unit)] = 1;
    for (const std::int32_t c : UnitColumns(unit)) {
      const std::size_t i = grid_.Index(c, row);
      pixels += grid_.done[i] == 0 ? 1 : 0;
      grid_.done[i] = 1;
    }
    if (unit >= grid_.rows.count) shown_.coarse[r] = 1;
    if (rowPartsLeft_[r].fetch_sub(1) == 1) shown_.full[r] = 1;
  }
  pixelsDone_.store(pixels, std::memory_order_relaxed);
  return true;
}

bool GridSweep::RunUnit(std::int64_t unit, const std::stop_token& stop) {
  const bool coarse = unit >= grid_.rows.count;
  const std::int32_t row = UnitRow(unit);
  // The unit's columns that are not in yet (a stopped unit did some of them).
  std::vector<std::int32_t> columns = UnitColumns(unit);
  std::erase_if(columns, [&](std::int32_t c) { return grid_.done[grid_.Index(c, row)] != 0; });
  std::unique_lock<std::mutex> lock(evaluate_, std::defer_lock);
  if (oneAtATime_) lock.lock();
  for (std::size_t start = 0; start < columns.size(); start += kColumnsBetweenStopChecks) {
    if (stop.stop_requested()) return false;
    const auto count = static_cast<std::int32_t>(std::min<std::size_t>(kColumnsBetweenStopChecks, columns.size() - start));
    ComputeGridPixels(model_, grid_, row, columns.data() + start, count);
    pixelsDone_.fetch_add(count, std::memory_order_relaxed);
  }
  unitDone_[static_cast<std::size_t>(unit)] = 1;  // one slot per unit
  Finished(row, coarse);
  return true;
}

void GridSweep::Finished(std::int32_t row, bool coarse) {
  const std::lock_guard lock(events_);
  if (coarse) pending_.push_back({row, true});
  if (rowPartsLeft_[static_cast<std::size_t>(row - grid_.rows.first)].fetch_sub(1) == 1) pending_.push_back({row, false});
}

std::vector<GridRowEvent> GridSweep::TakeFinished() {
  std::vector<GridRowEvent> events;
  {
    const std::lock_guard lock(events_);
    events.swap(pending_);
  }
  for (const GridRowEvent& e : events) {
    const auto r = static_cast<std::size_t>(e.row - grid_.rows.first);
    (e.coarse ? shown_.coarse : shown_.full)[r] = 1;
  }
  return events;
}

}  // namespace orbitra
