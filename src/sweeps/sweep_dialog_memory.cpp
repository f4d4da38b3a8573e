// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweeps/sweep_dialog_memory.h"

namespace orbitra {

OrbitDiagramValues RecallOrbitDiagramDialog(const SweepDialogMemory& memory, const OrbitraState& state) {
  const auto kept = memory.diagrams.find(state.Model.system);
  return kept != memory.diagrams.end() ? kept->second : PrepareOrbitDiagramDialog(state);
}

GridWindowValues RecallParameterPlaneDialog(const SweepDialogMemory& memory, const OrbitraState& state) {
  const auto kept = memory.planes.find(state.Model.system);
  return kept != memory.planes.end() ? kept->second : PrepareParameterPlaneDialog(state);
}

GridWindowValues RecallBasinsDialog(const SweepDialogMemory& memory, const OrbitraState& state) {
  const auto kept = memory.basins.find(state.Model.system);
  return kept != memory.basins.end() ? kept->second : PrepareBasinsDialog(state);
}

void RememberOrbitDiagramDialog(SweepDialogMemory& memory, const OrbitraState& state, const OrbitDiagramValues& values) {
  memory.diagrams[state.Model.system] = values;
}

void RememberGridDialog(SweepDialogMemory& memory, const OrbitraState& state, const GridWindowValues& values) {
  (IsParameterPlane(values.settings.colouring) ? memory.planes : memory.basins)[state.Model.system] = values;
}

}  // namespace orbitra
