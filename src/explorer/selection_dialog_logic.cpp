// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/selection_dialog_logic.h"

#include "explorer/orbitra_state.h"
#include "explorer/point_store_commands.h"
#include "plot/box_ranges.h"

namespace orbitra {

SelectionDialogValues PrepareSelectionDialog(const OrbitraState& state) {
  const MappingModel& model = state.Model;
  const SystemText entry = SystemTextAt(state.UserMaps, model.system);
  SelectionDialogValues values;
  values.listPosition = model.system - kFirstSystem;
  values.k1 = model.k1;
  values.k2 = model.k2;
  values.k3 = model.k3;
  values.k4 = model.k4;
  values.systemNumber = model.system;
  values.useDefaultRange = state.UseDefaultRange;
  values.formulaLine1 = std::string(entry.formulaLine1);
  values.formulaLine2 = std::string(entry.formulaLine2);
  values.systemAtOpening = model.system;
  values.userMaps = state.UserMaps;
  return values;
}

std::vector<std::string> SystemListNames(const SelectionDialogValues& values) {
  std::vector<std::string> names;
  for (int t = kFirstSystem; t <= LastSystem(values.userMaps); ++t) {
    names.emplace_back(SystemName(values.userMaps, t));
  }
  return names;
}

void PickSystemInList(SelectionDialogValues& values, int position) {
  const int t = position + kFirstSystem;
  if (position < 0 || t > LastSystem(values.userMaps)) return;
  const SystemDefaults defaults = LoadSystemDefaults(values.userMaps, t);
  const SystemText entry = SystemTextAt(values.userMaps, t);
  values.listPosition = position;
  values.k1 = defaults.k1;
  values.k2 = defaults.k2;
  values.k3 = defaults.k3;
  values.k4 = defaults.k4;
  values.systemNumber = t;
  values.formulaLine1 = std::string(entry.formulaLine1);
  values.formulaLine2 = std::string(entry.formulaLine2);
  values.pending = PendingSelection{defaults.routine, defaults.DefaultRange, defaults.userMap};
}

Invalidation ApplySelectionDialog(OrbitraState& state, Prompter& prompter, const SelectionDialogValues& values) {
  CommitSelection(state.Model, state.Boxes.XYBox.Label, values.userMaps, values.systemNumber, values.k1, values.k2,
                  values.k3, values.k4, values.pending);
  state.CompiledMaps.StartCompiling(state.Model, SystemName(state.UserMaps, state.Model.system));
  DeleteAll(state, prompter, /*force=*/state.Model.system != values.systemAtOpening);
  state.UseDefaultRange = values.useDefaultRange;
  if (state.UseDefaultRange != 0) {
    ResetRangesToDefault(state.Boxes, state.Model.DefaultRange, state.Run.Settings.Iterations);
  }
  return Invalidation::WithErase;
}

}  // namespace orbitra
