#pragma once

#include <optional>
#include <vector>

#include "analysis/invariant_manifold.h"
#include "analysis/periodic_orbits.h"
#include "analysis/plane_map.h"
#include "maps/coordinate_wrap.h"
#include "platform/canvas.h"
#include "plot/plot_box.h"

namespace orbitra {

struct OrbitraState;

// The structure shown over the picture: the periodic orbits last found (marked when the
// panel says so) and the manifolds grown, both kept and redrawn by every repaint until
// cleared.
struct StructureOverlay {
  std::vector<PeriodicOrbit> Orbits;
  bool MarkersShown = false;
  std::vector<ManifoldBranch> Manifolds;
  CoordinateWrap Wrap;  // of the map the manifolds belong to
};

inline constexpr Colour kUnstableManifoldColour = Colour::FromRgb(220, 40, 0);
inline constexpr Colour kStableManifoldColour = Colour::FromRgb(0, 80, 230);

// Manifolds first, the orbits' markers over them.
void DrawStructure(const StructureOverlay& overlay, const PlotBox& xyBox, Canvas& canvas);

// The state's map for the analysis: a user's map through a compilation of its own.
PlaneMap AnalysisMapOf(const OrbitraState& state);

// Periods 1 to maxPeriod in `region`, by default the X-Y box's range.
PeriodicOrbitSearch SearchOf(const OrbitraState& state, int maxPeriod, std::optional<WorldRange> region = {});

// The saddle of `period` with a point nearest to `near`; null when there is none.
const PeriodicOrbit* NearestSaddle(const std::vector<PeriodicOrbit>& orbits, int period, WorldPoint near);

// The orbit's first point becomes the initial point of the next run and the picked point.
void UseAsInitialPoint(OrbitraState& state, const PeriodicOrbit& orbit);

}  // namespace orbitra
