// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/grid_values.h"

namespace orbitra {

// The attractors of a basin grid coloured by attractor, numbered 1, 2, ... in the order
// they first appear in the grid's rows (bottom up, each left to right): pixels whose orbits
// found the same period and whose cycle representatives lie within kAttractorMatch of the
// grid's range of each other share a number. -1 for an escaped orbit, 0 for one without
// a period (a chaotic or not yet settled orbit), and 0 for pixels not done yet.
//
// The numbers depend on the whole grid alone: the same for any threads, and for tiles
// merged before they are numbered.
std::vector<std::int32_t> LabelAttractors(const GridValues& grid);
// The same over the cells `counted` marks (one flag per cell), the others left 0: what a
// view numbers while workers still write the rows it does not show yet.
std::vector<std::int32_t> LabelAttractors(const GridValues& grid, const std::vector<std::uint8_t>& counted);

// Two representatives of one attractor lie within this part of the range's width (in x)
// and height (in y): far above the period test's tolerance, far below a pixel.
inline constexpr double kAttractorMatch = 1e-4;

}  // namespace orbitra
