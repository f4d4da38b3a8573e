// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/plane_map.h"
#include "maps/world_geometry.h"

namespace orbitra {

// Whether a map preserves area, from its Jacobian (exact for the built-in maps, and by
// dual numbers for typed ones): |det J| = 1 at every point of a 16 x 16 grid of cell
// centres over `box`, within 1e-12 of the scale of det J's two products (so that a
// determinant that cancels at a huge parameter still counts). The absolute value lets
// maps that reverse orientation somewhere (the Fermi maps, where abs flips a sign) count.
// Points where the Jacobian is not finite are left out; a box where none is finite says no.
bool PreservesArea(const PlaneMap& map, const WorldRange& box);

// The verdict for the model's map over its default range.
bool PreservesArea(const MappingModel& model);

}  // namespace orbitra
