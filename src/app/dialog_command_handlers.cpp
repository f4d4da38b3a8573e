// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialog_command_handlers.h"

#include "dialogs/dialog_commands.h"
#include "explorer/orbitra_state.h"

namespace orbitra {

Invalidation OnSelectMapping(CommandHost& host) {
  return SelectMappingCommand(host.DialogParent(), host.State(), host.Prompts());
}

Invalidation OnDefineMap(CommandHost& host) {
  return DefineMapCommand(host.DialogParent(), host.State(), host.Prompts());
}

Invalidation OnWorkDisplay(CommandHost& host) {
  return DisplayModeCommand(host.DialogParent(), host.State(), host.Prompts());
}

Invalidation OnExportData(CommandHost& host) {
  return ExportDataCommand(host.DialogParent(), host.State(), host.Prompts());
}

Invalidation OnInitialConditions(CommandHost& host) {
  return EditInitialConditionsCommand(host.DialogParent(), host.State(), host.Prompts());
}

Invalidation OnRunNewTrajectory(CommandHost& host) {
  return RunNewTrajectoryCommand(host.DialogParent(), host.State(), host.Prompts());
}

Invalidation OnControls(CommandHost& host) {
  return ControlsCommand(host.DialogParent(), host.State(), host.Prompts());
}

Invalidation OnEditXYBox(CommandHost& host) {
  return EditBoxCommand(host.DialogParent(), host.State(), host.State().Boxes.XYBox, host.Prompts());
}

Invalidation OnEditXBox(CommandHost& host) {
  return EditBoxCommand(host.DialogParent(), host.State(), host.State().Boxes.XBox, host.Prompts());
}

Invalidation OnEditYBox(CommandHost& host) {
  return EditBoxCommand(host.DialogParent(), host.State(), host.State().Boxes.YBox, host.Prompts());
}

Invalidation OnEditGBox(CommandHost& host) {
  return EditBoxCommand(host.DialogParent(), host.State(), host.State().Boxes.GBox, host.Prompts());
}

}  // namespace orbitra
