// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "analysis/chaos_indicators.h"
#include "analysis/grid_settings.h"

namespace orbitra {

// A whole-plane picture asked of orbitra-render: a parameter plane or basins (the grid's
// size follows from the picture's), one tile of it, or the merge of tiles.
struct GridRequest {
  GridSettings settings;
  bool fromGiven = false;  // parameter plane: --from; the map's X0, Y0 otherwise
  std::optional<std::int32_t> tileIndex;  // --tile i/N
  std::int32_t tileCount = 1;
  std::vector<std::filesystem::path> mergeFiles;  // --merge-tiles: the tiles, nothing else computed
  // --phase-space coloured by a chaos indicator or the rotation number (escape and
  // attractor are basins): its settings come from `settings` (range, transient, iterations
  // as escapeIterations, escape).
  std::optional<PhaseColouring> phaseColouring;
  std::optional<WorldPoint> centre;  // --centre: the rotation number's
};

}  // namespace orbitra
