// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "analysis/invariant_manifold.h"
#include "analysis/periodic_orbits.h"
#include "maps/coordinate_wrap.h"
#include "platform/canvas.h"
#include "plot/plot_box.h"

namespace orbitra {

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

}  // namespace orbitra
