// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweeps/structure_commands.h"

#include <cmath>
#include <utility>

#include "analysis/area_preservation.h"
#include "analysis/residue.h"
#include "maps/user_map_evaluator.h"
#include "storage/text_format.h"

namespace orbitra {

PlaneMap AnalysisMapOf(const OrbitraState& state) {
  const UserMap* user = state.UserMaps.OfSystem(state.Model.system);
  return PlaneMapOf(state.Model, user ? &user->definition : nullptr);
}

MappingModel AnalysisModelOf(const OrbitraState& state) {
  MappingModel model = state.Model;
  if (const UserMap* user = state.UserMaps.OfSystem(state.Model.system)) {
    UserMapCompilation compiled = CompileUserMap(user->definition);
    if (compiled.evaluator) model.userMap = std::move(compiled.evaluator);
  }
  return model;
}

bool ListsResidues(const OrbitraState& state, const WorldRange& region) {
  return PreservesArea(AnalysisMapOf(state), region);
}

namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

}  // namespace

std::optional<OrbitType> ParseOrbitType(const std::string& text) {
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return std::nullopt;
  std::int32_t p = 0, q = 0;
  if (!ParseInt32(Trimmed(text.substr(0, slash)), p) || !ParseInt32(Trimmed(text.substr(slash + 1)), q)) {
    return std::nullopt;
  }
  if (p < 0 || q < 1 || q > kLargestTypePeriod) return std::nullopt;
  return OrbitType{p, q};
}

std::optional<double> ParseCircleRotation(const std::string& text) {
  double omega = 0.0;
  if (!ParseDouble(Trimmed(text), omega) || !(omega > 0.0 && omega < 1.0)) return std::nullopt;
  return omega;
}

OrbitTypeSearch::OrbitTypeSearch(PlaneMap map, OrbitType type, WorldRange region)
    : map_(std::move(map)), type_(type), region_(region) {}

bool OrbitTypeSearch::RunUnit(std::int64_t /*index*/, const std::stop_token& stop) {
  std::vector<PeriodicOrbit> found = FindOrbitsOfType(map_, type_.p, type_.q, region_, stop);
  if (stop.stop_requested()) return false;  // a part of the search is no list
  orbits_ = std::move(found);
  return true;
}

CriticalCircleSearch::CriticalCircleSearch(MappingModel model, CriticalCircleSettings settings)
    : model_(std::move(model)), settings_(settings) {}

bool CriticalCircleSearch::RunUnit(std::int64_t /*index*/, const std::stop_token& stop) {
  CriticalCircle circle = FindCriticalCircle(model_, settings_, stop);
  if (stop.stop_requested()) return false;  // its last rows would be cut short
  circle_ = std::move(circle);
  return true;
}

PeriodicOrbitSearch SearchOf(const OrbitraState& state, int maxPeriod, std::optional<WorldRange> region) {
  PeriodicOrbitSearch search;
  search.maxPeriod = maxPeriod;
  search.region = region.value_or(state.Boxes.XYBox.GetRange());
  return search;
}

const PeriodicOrbit* NearestSaddle(const std::vector<PeriodicOrbit>& orbits, int period, WorldPoint near) {
  const PeriodicOrbit* best = nullptr;
  double bestDistance = HUGE_VAL;
  for (const PeriodicOrbit& orbit : orbits) {
    if (orbit.period != period || !IsSaddle(orbit.stability.kind)) continue;
    for (const WorldPoint p : orbit.points) {
      const double d = std::hypot(p.x - near.x, p.y - near.y);
      if (d < bestDistance) {
        bestDistance = d;
        best = &orbit;
      }
    }
  }
  return best;
}

void UseAsInitialPoint(OrbitraState& state, const PeriodicOrbit& orbit) {
  RunState& run = state.Run;
  run.MousePoint.x = orbit.points.front().x;
  run.MousePoint.y = orbit.points.front().y;
  run.MousePoint.colour = run.RunColour;
  run.InitialPoint = run.MousePoint;
  run.CurrentPoint = run.MousePoint;
}

}  // namespace orbitra
