// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "analysis/lyapunov_accumulator.h"
#include "analysis/orbit_period.h"
#include "analysis/rotation_number.h"
#include "maps/coordinate_wrap.h"
#include "maps/mapping_model.h"
#include "maps/world_geometry.h"

namespace orbitra {

// What a run feeds the inspector per iterate. The run loop gets it from
// OrbitInspector::BeginRun and keeps it in a local, so that its fields stay in registers
// however the loop writes memory; it calls Observe for every iterate it accepts (the ones
// RTN counts), Escaped when the orbit escapes, and hands it back with Commit.
class OrbitObserver {
 public:
  // (x, y) the point, image its image under `step`; any step type with a Jacobian.
  template <typename Step>
  void Observe(const Step& step, double x, double y, MapImage image) noexcept(noexcept(step.Jacobian(x, y))) {
    lyapunov_.Add(step.Jacobian(x, y));
    ring_[count_ & (kRecentCapacity - 1)] = WorldPoint{image.x, image.y};
    ++count_;
  }
  void Escaped() noexcept { escaped_ = true; }

 private:
  friend class OrbitInspector;
  LyapunovAccumulator lyapunov_;
  WorldPoint* ring_ = nullptr;
  std::uint64_t count_ = 0;  // points written, the initial one included
  bool escaped_ = false;
};

// The trajectory the inspector follows: its map and parameters, its initial point, the
// running Lyapunov sums and its newest points. Whether the panel is shown is kept here
// too, so that a run pays for the inspector only while somebody can see it.
class OrbitInspector {
 public:
  OrbitInspector();

  bool Shown() const noexcept { return shown_; }
  void SetShown(bool shown) noexcept { shown_ = shown; }

  // Before a run (or a part of one) from `from` with the model's map. A continuation
  // carries the followed trajectory on when it stopped exactly at `from` with the same map
  // and parameters; otherwise, or for a new run, a trajectory starts at `from`. So runs
  // made while the inspector was hidden never mix into what it shows.
  OrbitObserver BeginRun(const MappingModel& model, WorldPoint from, bool continuing);
  void Commit(const OrbitObserver& observer) noexcept;

  bool Following() const noexcept { return following_; }
  int System() const noexcept { return system_; }
  const std::array<double, 4>& Parameters() const noexcept { return k_; }  // k1 to k4
  WorldPoint InitialPoint() const noexcept { return initial_; }
  // The newest point: the initial one before the first iterate.
  WorldPoint CurrentPoint() const noexcept;
  std::int64_t Iterations() const noexcept { return lyapunov_.Steps(); }
  // The exponents; for a map that preserves area (PreservesArea) lambda2 is -lambda1 and
  // the mean of log|det J| is 0, whatever rounding did to det J at the iterates.
  LyapunovEstimate Exponents() const noexcept;
  bool AreaPreserving() const noexcept { return areaPreserving_; }
  // The rotation number over the newest points kept (see RotationNumber): winding about
  // the chosen centre if there is one; otherwise lifted where the map's x wraps, else
  // winding about the elliptic fixed point nearest the points' mean, if Newton's method
  // finds one there (not a number otherwise).
  RotationNumber Rotation() const;
  // The centre the user chose for the rotation number; none for the automatic choice.
  // Kept across runs and maps until changed.
  void ChooseCentre(std::optional<WorldPoint> centre) noexcept { chosenCentre_ = centre; }
  std::optional<WorldPoint> ChosenCentre() const noexcept { return chosenCentre_; }
  bool Escaped() const noexcept { return escaped_; }
  // Period search over the newest points, with the tolerance taken from the points.
  PeriodFinding Period() const noexcept;

 private:
  bool SameMap(const MappingModel& model) const noexcept;
  RecentPoints Recent() const noexcept { return RecentPoints{ring_.get(), count_}; }

  bool shown_ = false;
  bool following_ = false;
  int system_ = 0;
  IterationRoutine routine_ = nullptr;
  std::shared_ptr<const UserMapEvaluator> userMap_;  // a user's map: the very formulas compiled
  std::array<double, 4> k_{};
  CoordinateWrap wrap_;
  MappingModel model_;           // the map followed, for the rotation number's centre
  CoordinateWrap analysisWrap_;  // its wraps as the analysis reads them (typed maps' mod too)
  bool areaPreserving_ = false;
  WorldPoint initial_;
  LyapunovAccumulator lyapunov_;
  std::unique_ptr<WorldPoint[]> ring_;  // kRecentCapacity points, allocated once
  std::uint64_t count_ = 0;
  bool escaped_ = false;
  std::optional<WorldPoint> chosenCentre_;
};

}  // namespace orbitra
