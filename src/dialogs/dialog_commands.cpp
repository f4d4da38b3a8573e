// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/dialog_commands.h"

#include "dialogs/box_settings_dialog.h"
#include "dialogs/controls_dialog.h"
#include "dialogs/define_map_dialog.h"
#include "dialogs/display_mode_dialog.h"
#include "dialogs/initial_conditions_dialog.h"
#include "dialogs/mapping_selection_dialog.h"
#include "explorer/export_command.h"
#include "explorer/point_store_commands.h"

namespace orbitra {

Invalidation SelectMappingCommand(QWidget* parent, OrbitraState& state, Prompter& prompter) {
  MappingSelectionDialog dialog(PrepareSelectionDialog(state), prompter, parent);
  if (dialog.exec() != QDialog::Accepted) return Invalidation::None;
  return ApplySelectionDialog(state, prompter, dialog.Values());
}

Invalidation DefineMapCommand(QWidget* parent, OrbitraState& state, Prompter& prompter) {
  DefineMapDialog dialog(state, prompter, parent);
  dialog.exec();
  return dialog.Repaint();
}

Invalidation EditInitialConditionsCommand(QWidget* parent, OrbitraState& state, Prompter& prompter) {
  InitialConditionsDialog dialog(PrepareInitialConditionsDialog(state), prompter, parent);
  const bool confirmed = dialog.exec() == QDialog::Accepted;
  InitialConditionsDialogClosed(state);
  if (!confirmed) return Invalidation::None;
  return ApplyInitialConditionsDialog(state, dialog.Values());
}

Invalidation RunNewTrajectoryCommand(QWidget* parent, OrbitraState& state, Prompter& prompter) {
  state.RunOnOk = 1;
  return EditInitialConditionsCommand(parent, state, prompter);
}

Invalidation ControlsCommand(QWidget* parent, OrbitraState& state, Prompter& prompter) {
  ControlsDialog dialog(PrepareControlsDialog(state), prompter, parent);
  dialog.SetReconstructHandler([&] {
    ReconstructBuffer(state, prompter, [&] { return dialog.ReadCapacityFromControls(); });
    dialog.ShowStoreSizes(StreamFileKb(state), BufferMemoryKb(state.Store));
  });
  if (dialog.exec() == QDialog::Accepted) ApplyControlsDialog(state, dialog.Values());
  return kControlsDialogClosed;
}

Invalidation DisplayModeCommand(QWidget* parent, OrbitraState& state, Prompter& prompter) {
  DisplayModeDialog dialog(PrepareDisplayModeDialog(state), prompter, parent);
  if (dialog.exec() != QDialog::Accepted) return Invalidation::None;
  return ApplyDisplayModeDialog(state, dialog.Values());
}

Invalidation EditBoxCommand(QWidget* parent, OrbitraState& /*state*/, PlotBox& box, Prompter& prompter) {
  BoxSettingsDialog dialog(ReadBoxSettings(box), prompter, parent);
  if (dialog.exec() != QDialog::Accepted) return kBoxDialogClosed;
  return ApplyBoxSettings(box, dialog.Values());
}

Invalidation ExportDataCommand(QWidget* parent, OrbitraState& state, Prompter& prompter, SaveFileChooser chooser) {
  ExportDataDialog dialog(PrepareExportDialog(state), prompter, parent, std::move(chooser));
  if (dialog.exec() == QDialog::Accepted) ApplyExportDialog(state, prompter, dialog.Values());
  return Invalidation::None;
}

}  // namespace orbitra
