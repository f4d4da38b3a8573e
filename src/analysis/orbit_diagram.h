// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

#include "maps/mapping_model.h"
#include "maps/native_user_map.h"
#include "maps/user_map_definition.h"
#include "maps/world_geometry.h"

namespace orbitra {

// What an orbit diagram shows: one parameter of the map across, one coordinate of the
// orbit up, and how long each column's orbit runs before and while it is counted.
struct OrbitDiagramView {
  int parameter = 0;  // 0 to 3: k1 to k4
  double parameterMin = 0.0;
  double parameterMax = 1.0;
  int coordinate = 0;  // 0: x, 1: y
  double coordinateMin = -1.0;
  double coordinateMax = 1.0;
  std::int32_t transient = 1000;
  std::int32_t points = 1000;
  friend bool operator==(const OrbitDiagramView&, const OrbitDiagramView&) = default;
};

// Everything a diagram's numbers depend on besides the map.
struct OrbitDiagramSettings {
  OrbitDiagramView view;
  WorldPoint initial;
  // Each column starts from the previous column's last point (inside a chain, see
  // kDiagramChainColumns) instead of from the initial point.
  bool carry = true;
  double infinity = 10000.0;  // escape bound of x*x + y*y, as in a run
  // The lanes' code for any processor even where a faster one would run (tests: both give
  // the same bits).
  bool anyProcessorCode = false;
};

// The map of a diagram: the model (system, parameters, routine, evaluator) and, for a
// user's map, its definition, from which each unit compiles an evaluator of its own (the
// expression library keeps its variables inside one, so threads cannot share it). A
// user's map given without its definition runs through the model's evaluator, one unit
// at a time.
struct DiagramMap {
  MappingModel model;
  std::optional<UserMapDefinition> definition;
  // A user's map's lanes in machine code, on their way or there (null when they cannot be
  // had): once there, they take over from the model's code, one call advancing every lane
  // of a unit.
  NativeLanesFuture lanes;
};

// Columns advanced together in one loop (independent orbits, so the processor overlaps
// their chains of dependent operations and the compiler may put them in vector lanes).
inline constexpr int kDiagramLanes = 16;
// With carry-over, a chain of this many neighbouring columns passes its point from one
// column to the next; each chain starts from the initial point with twice the transient.
// Chains are fixed by the grid, never by the threads, so the counts are the same on any
// number of threads.
inline constexpr int kDiagramChainColumns = 8;
// A unit of work: kDiagramLanes chains side by side, 128 neighbouring columns.
inline constexpr int kDiagramUnitColumns = kDiagramLanes * kDiagramChainColumns;

// The counts of an orbit diagram on a grid of columns (one per parameter value, the
// pixel's centre) by rows (row 0 at the bottom). Units are computed independently, on any
// thread, each writing only its own columns; a unit cut short by a stop is computed whole
// again when asked again.
class OrbitDiagram {
 public:
  OrbitDiagram(DiagramMap map, OrbitDiagramSettings settings, int columns, int rows);

  int Columns() const noexcept { return columns_; }
  int Rows() const noexcept { return rows_; }
  const OrbitDiagramSettings& Settings() const noexcept { return settings_; }
  const DiagramMap& Map() const noexcept { return map_; }

  // None for a grid without rows (a picture too small for a plot area).
  std::int64_t Units() const noexcept {
    return rows_ == 0 ? 0 : (columns_ + kDiagramUnitColumns - 1) / kDiagramUnitColumns;
  }
  int FirstColumn(std::int64_t unit) const noexcept { return static_cast<int>(unit) * kDiagramUnitColumns; }
  int EndColumn(std::int64_t unit) const noexcept;
  // Iterations a unit performs (its columns' transients and points).
  std::int64_t UnitIterations(std::int64_t unit) const noexcept;

  // Computes one unit; false when `stop` ended it first (its columns are then undefined).
  bool ComputeUnit(std::int64_t unit, std::stop_token stop = {});

  // The centre of a column's and of a row's pixel.
  double ParameterAt(int column) const noexcept;
  double CoordinateAt(int row) const noexcept;
  // The column of a parameter value, with its fraction; may lie outside the grid.
  double ColumnOf(double parameter) const noexcept;

  std::uint32_t Count(int column, int row) const noexcept {
    return counts_[static_cast<std::size_t>(column) * static_cast<std::size_t>(rows_) + static_cast<std::size_t>(row)];
  }
  const std::uint32_t* Column(int column) const noexcept {
    return counts_.data() + static_cast<std::size_t>(column) * static_cast<std::size_t>(rows_);
  }
  // The column's orbit escaped (x*x + y*y beyond the bound, or not a number): it is empty.
  bool Escaped(int column) const noexcept { return escaped_[static_cast<std::size_t>(column)] != 0; }
  const std::vector<std::uint32_t>& Counts() const noexcept { return counts_; }
  const std::vector<std::uint8_t>& EscapedColumns() const noexcept { return escaped_; }
  // Counts and escapes saved from a diagram of the same grid take the place of these
  // (before any unit runs); false, and nothing changed, when their sizes differ.
  bool Restore(const std::vector<std::uint32_t>& counts, const std::vector<std::uint8_t>& escaped);
  // Iterations of the columns' orbits run so far by any thread, within units not finished
  // too (every piece of a transient and block of points adds its own as it ends).
  std::int64_t IterationsRun() const noexcept { return iterationsRun_.load(std::memory_order_relaxed); }

 private:
  template <class Step, class MakeStep>
  bool ComputeWith(std::int64_t unit, std::stop_token stop, const MakeStep& make);

  DiagramMap map_;
  OrbitDiagramSettings settings_;
  int columns_;
  int rows_;
  double rowScale_;
  std::vector<std::uint32_t> counts_;  // column after column, rows bottom to top
  std::vector<std::uint8_t> escaped_;
  std::atomic<std::int64_t> iterationsRun_{0};
  std::mutex sharedEvaluator_;  // held by a unit that runs through the model's evaluator
};

// Whether the view can be computed: finite ranges with min below max, the parameter and
// the coordinate in range, a transient of 0 up and at least one point.
bool DiagramViewUsable(const OrbitDiagramView& view) noexcept;

}  // namespace orbitra
