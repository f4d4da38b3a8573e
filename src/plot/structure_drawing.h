// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "analysis/orbit_stability.h"
#include "maps/coordinate_wrap.h"
#include "maps/world_geometry.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "plot/plot_box.h"

namespace orbitra {

// The colour of each class's marker: none of them the picked point's dark red.
Colour OrbitClassColour(OrbitClass kind) noexcept;

// A periodic orbit's point as a small symbol of its class, `half` pixels from its centre
// to its edge: a saddle an X, a flip saddle an X with a bar, a sink a filled diamond, a
// source a hollow square, an elliptic orbit a hollow diamond, a parabolic one a plus.
// Only points inside the box's range are marked; the symbol is clipped to the canvas.
void DrawOrbitMarker(Canvas& canvas, const PlotBox& box, WorldPoint point, OrbitClass kind, int half);

// A polyline in `colour`, each segment drawn whole where both its ends lie inside the
// box's range. A segment that crosses the cut of a coordinate the map reduces (its ends
// lie more than half a period apart) is left out.
void DrawWorldPolyline(Canvas& canvas, const PlotBox& box, const std::vector<WorldPoint>& points, Colour colour,
                       CoordinateWrap wrap);

}  // namespace orbitra
