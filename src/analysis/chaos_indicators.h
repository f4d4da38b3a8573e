// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string_view>
#include <vector>

#include "analysis/grid_settings.h"
#include "maps/coordinate_wrap.h"
#include "maps/mapping_model.h"
#include "maps/world_geometry.h"
#include "platform/worker_pool.h"

namespace orbitra {

// What a pixel of the phase-space picture shows of the orbit that starts there. The
// tangent vector w_0 = (0.6, 0.8) (along no axis, so that neither a shear nor a
// diagonal Jacobian keeps it in place) is carried by the Jacobians: w_k = J(z_(k-1)) w_(k-1).
//
// Lyapunov: finite-time largest exponent, ln|w_N| / N.
// Fli: the fast Lyapunov indicator (Froeschle, Lega and Gonczi 1997), log10 of the largest
//   |w_k| reached, k <= N. About log10 N on regular orbits (tangent vectors grow linearly),
//   growing like lambda N / ln 10 in chaos, near 0 on a stable periodic orbit.
// Megno: the mean exponential growth of nearby orbits (Cincotta and Simo 2000) in its
//   discrete form for maps: Y(n) = (2/n) sum_(k=1..n) k ln(|w_k| / |w_(k-1)|) and
//   <Y>(N) = (1/N) sum_(n=1..N) Y(n). Tends to 2 on quasi-periodic orbits, to 0 on stable
//   periodic ones, and grows like lambda N / 2 in chaos.
// Rotation: the rotation number (see RotationNumber): lifted where x wraps, otherwise
//   winding about the centre.
// Every value counts the `iterations` after the `transient`; an orbit that leaves the
// escape disc (x*x + y*y > escape) or the finite numbers has none (not a number).
enum class PhaseColouring : std::int8_t { Fli, Megno, Lyapunov, Rotation };

std::string_view PhaseColouringName(PhaseColouring c) noexcept;  // "fli", "megno", ...
std::optional<PhaseColouring> PhaseColouringNamed(std::string_view name) noexcept;

// Everything a phase-space picture's numbers depend on besides the map. Pixel (i, r)
// stands for the centre of its cell, rows from the bottom, as in GridSettings.
struct PhaseSpaceSettings {
  PhaseColouring colouring = PhaseColouring::Megno;
  WorldRange range{-1.0, 1.0, -1.0, 1.0};
  std::int32_t width = 400;
  std::int32_t height = 300;
  std::int32_t transient = 0;
  std::int32_t iterations = 1000;
  double escape = 1e8;
  WorldPoint centre;          // Rotation about a centre: where
  CoordinateWrap wrap;        // the map's wraps (Rotation lifts x when wrap.x > 0)

  friend bool operator==(const PhaseSpaceSettings&, const PhaseSpaceSettings&) = default;
};

// The numbers of a band of rows, one per pixel, row after row from the band's lowest.
struct PhaseSpaceValues {
  PhaseSpaceSettings settings;
  RowBand rows;
  std::vector<double> value;
  std::vector<std::uint8_t> done;

  PhaseSpaceValues() = default;
  PhaseSpaceValues(const PhaseSpaceSettings& s, RowBand band);
  std::size_t Index(std::int32_t column, std::int32_t row) const noexcept {
    return static_cast<std::size_t>(row - rows.first) * static_cast<std::size_t>(settings.width) +
           static_cast<std::size_t>(column);
  }
  bool HasRow(std::int32_t row) const noexcept { return row >= rows.first && row < rows.first + rows.count; }
};

// One row of the values for the model's map, eight pixels at a time; a pixel's value
// depends on nothing but the settings, the model and the pixel. `pixelsDone`, if given,
// grows by each group of pixels as it is done, for progress within the row.
void ComputePhaseSpaceRow(const MappingModel& model, PhaseSpaceValues& values, std::int32_t row,
                          std::atomic<std::int64_t>* pixelsDone = nullptr);

// The value of one initial point, by the same code as a pixel's.
double PhaseSpaceValueAt(const MappingModel& model, const PhaseSpaceSettings& settings, WorldPoint from);

// The settings' wraps and, for a rotation number about a centre, the centre: the elliptic
// fixed point in the range nearest its middle (the range's middle when there is none).
void TakeMapGeometry(const MappingModel& model, PhaseSpaceSettings& settings, WorkerPool& pool);

// The picture as fixed units of work (one row each) on a WorkerPool: the same bits on any
// number of threads, after a stop and a resume, and tile by tile.
class PhaseSpaceSweep {
 public:
  PhaseSpaceSweep(const MappingModel& model, const PhaseSpaceSettings& settings, RowBand rows);

  void Start(WorkerPool& pool);  // the rows not done yet; returns at once
  void Run(WorkerPool& pool);    // Start, then wait

  std::int64_t RowsDone() const noexcept { return rowsDone_.load(std::memory_order_relaxed); }
  bool Complete() const noexcept { return RowsDone() == values_.rows.count; }
  // Rows finished since the last call, for the thread that shows them.
  std::vector<std::int32_t> TakeFinished();
  // Read only finished rows while the job runs.
  const PhaseSpaceValues& Values() const noexcept { return values_; }

 private:
  bool RunUnit(std::int64_t unit, const std::stop_token& stop);

  MappingModel model_;
  PhaseSpaceValues values_;
  std::vector<std::uint8_t> rowDone_;
  std::atomic<std::int64_t> rowsDone_{0};
  bool oneAtATime_ = false;
  std::mutex evaluate_;
  std::mutex events_;
  std::vector<std::int32_t> finished_;
};

}  // namespace orbitra
