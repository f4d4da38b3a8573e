// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

#include "maps/world_geometry.h"
#include "plot/plot_box.h"
#include "plot/plot_boxes.h"

namespace orbitra {

// A new horizontal range for a box. The box's own vertical range is submitted again with
// it, so with RoundScales set it is rounded once more (which can widen it).
void SetXRange(PlotBox& box, double xmin, double xmax);

// The phase plane takes the default range; the evolution boxes take [0, iterations]
// horizontally and the default x (XBox) or y (YBox) range vertically. Each box rounds by
// its own RoundScales. The GBox is not touched.
void ResetRangesToDefault(PlotBoxes& boxes, const WorldRange& defaultRange, int iterations);

// The screen percentages, tick settings and labels the three drawn boxes get at start-up;
// the phase plane is titled with the mapping's name. Ranges and flags are left alone.
void ApplyStartUpBoxSettings(PlotBoxes& boxes, std::string_view mappingName);

}  // namespace orbitra
