// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/critical_circle.h"
#include "analysis/periodic_orbits.h"
#include "analysis/plane_map.h"
#include "explorer/orbitra_state.h"

namespace orbitra {

// What the periodic-orbits panel and orbitra-render do with the structure of the state's
// map: search it, pick a saddle, hand an orbit to the explorer. The overlay they fill is
// the explorer's own (explorer/structure_overlay.h), since every repaint draws it.

// The state's map for the analysis: a user's map through a compilation of its own.
PlaneMap AnalysisMapOf(const OrbitraState& state);
// The state's model for work on other threads: a user's map with an evaluator of its own,
// never the one the explorer's runs use.
MappingModel AnalysisModelOf(const OrbitraState& state);

// Whether a list of the map's orbits shows Greene's residues: when the map preserves area
// over the region (see PreservesArea).
bool ListsResidues(const OrbitraState& state, const WorldRange& region);

// A rotation type p/q as typed: "p/q", whole numbers with 0 <= p and 1 <= q <=
// kLargestTypePeriod, blanks around them allowed. Nothing otherwise.
struct OrbitType {
  int p = 0;
  int q = 1;
};
inline constexpr int kLargestTypePeriod = 100000;
std::optional<OrbitType> ParseOrbitType(const std::string& text);

inline constexpr const char* kTypeNeedsWrap =
    "The map's x does not wrap: its orbits have no rotation type p/q and its circles no rotation number.";
inline constexpr const char* kTypeTextWanted =
    "The type needs p/q, whole numbers with 0 <= p and 1 <= q <= 100000 (such as 1/3).";

// The orbits of one type p/q in a region (FindOrbitsOfType), as one unit of work, so that
// the panel runs it off its window's thread; a stop ends it early, keeping nothing.
class OrbitTypeSearch {
 public:
  OrbitTypeSearch(PlaneMap map, OrbitType type, WorldRange region);
  bool RunUnit(std::int64_t index, const std::stop_token& stop);
  // The orbits found; empty until the unit has run.
  const std::vector<PeriodicOrbit>& Orbits() const noexcept { return orbits_; }

 private:
  PlaneMap map_;
  OrbitType type_;
  WorldRange region_;
  std::vector<PeriodicOrbit> orbits_;
};

// The critical parameter of a circle (FindCriticalCircle) as one unit of work, which a stop
// ends early, keeping nothing. The model is taken as AnalysisModelOf gives it.
class CriticalCircleSearch {
 public:
  CriticalCircleSearch(MappingModel model, CriticalCircleSettings settings);
  bool RunUnit(std::int64_t index, const std::stop_token& stop);
  // The table; empty until the unit has run.
  const CriticalCircle& Result() const noexcept { return circle_; }

 private:
  MappingModel model_;
  CriticalCircleSettings settings_;
  CriticalCircle circle_;
};

// The rotation number asked for a circle: strictly between 0 and 1 (its fractional part is
// all that counts for a map whose x wraps).
std::optional<double> ParseCircleRotation(const std::string& text);
inline constexpr const char* kCircleRotationWanted = "The rotation number needs a number between 0 and 1.";

// Periods 1 to maxPeriod in `region`, by default the X-Y box's range.
PeriodicOrbitSearch SearchOf(const OrbitraState& state, int maxPeriod, std::optional<WorldRange> region = {});

// The saddle of `period` with a point nearest to `near`; null when there is none.
const PeriodicOrbit* NearestSaddle(const std::vector<PeriodicOrbit>& orbits, int period, WorldPoint near);

// The orbit's first point becomes the initial point of the next run and the picked point.
void UseAsInitialPoint(OrbitraState& state, const PeriodicOrbit& orbit);

}  // namespace orbitra
