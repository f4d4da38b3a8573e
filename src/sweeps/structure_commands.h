// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <vector>

#include "analysis/periodic_orbits.h"
#include "analysis/plane_map.h"
#include "explorer/orbitra_state.h"

namespace orbitra {

// What the periodic-orbits panel and orbitra-render do with the structure of the state's
// map: search it, pick a saddle, hand an orbit to the explorer. The overlay they fill is
// the explorer's own (explorer/structure_overlay.h), since every repaint draws it.

// The state's map for the analysis: a user's map through a compilation of its own.
PlaneMap AnalysisMapOf(const OrbitraState& state);

// Periods 1 to maxPeriod in `region`, by default the X-Y box's range.
PeriodicOrbitSearch SearchOf(const OrbitraState& state, int maxPeriod, std::optional<WorldRange> region = {});

// The saddle of `period` with a point nearest to `near`; null when there is none.
const PeriodicOrbit* NearestSaddle(const std::vector<PeriodicOrbit>& orbits, int period, WorldPoint near);

// The orbit's first point becomes the initial point of the next run and the picked point.
void UseAsInitialPoint(OrbitraState& state, const PeriodicOrbit& orbit);

}  // namespace orbitra
