// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <optional>

#include "explorer/orbitra_state.h"
#include "sweeps/grid_window_logic.h"
#include "sweeps/orbit_diagram_view.h"
#include "sweeps/rotation_profile_view.h"

namespace orbitra {

// What the orbit diagram, parameter plane and basins dialogs were last accepted with, per
// map (the explorer's system), for the program's run: a dialog opens as it was left for
// that map, ranges included, instead of at its defaults. The rotation profile's points,
// transient and iterations, which depend on no map, are kept once for all.
struct SweepDialogMemory {
  std::map<int, OrbitDiagramValues> diagrams;
  std::map<int, GridWindowValues> planes;
  std::map<int, GridWindowValues> basins;
  std::optional<RotationProfileValues> profile;
};

// The dialog as it opens: the values accepted last for the explorer's map, or the
// defaults (PrepareOrbitDiagramDialog and the like) for a map not seen yet.
OrbitDiagramValues RecallOrbitDiagramDialog(const SweepDialogMemory& memory, const OrbitraState& state);
GridWindowValues RecallParameterPlaneDialog(const SweepDialogMemory& memory, const OrbitraState& state);
GridWindowValues RecallBasinsDialog(const SweepDialogMemory& memory, const OrbitraState& state);

// Keeps accepted values for the explorer's map.
void RememberOrbitDiagramDialog(SweepDialogMemory& memory, const OrbitraState& state, const OrbitDiagramValues& values);
void RememberGridDialog(SweepDialogMemory& memory, const OrbitraState& state, const GridWindowValues& values);

}  // namespace orbitra
