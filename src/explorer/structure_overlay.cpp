// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/structure_overlay.h"

#include "plot/structure_drawing.h"

namespace orbitra {

void DrawStructure(const StructureOverlay& overlay, const PlotBox& xyBox, Canvas& canvas) {
  for (const ManifoldBranch& branch : overlay.Manifolds) {
    const Colour colour = branch.kind == ManifoldKind::Unstable ? kUnstableManifoldColour : kStableManifoldColour;
    DrawWorldPolyline(canvas, xyBox, branch.points, colour, overlay.Wrap);
  }
  if (!overlay.MarkersShown) return;
  const int half = static_cast<int>(canvas.Scaled(3));
  for (const PeriodicOrbit& orbit : overlay.Orbits) {
    for (const WorldPoint p : orbit.points) DrawOrbitMarker(canvas, xyBox, p, orbit.stability.kind, half);
  }
}

}  // namespace orbitra
