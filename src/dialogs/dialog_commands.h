// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs/export_data_dialog.h"
#include "explorer/orbitra_state.h"
#include "platform/invalidation.h"
#include "platform/prompter.h"
#include "plot/plot_box.h"

class QWidget;

namespace orbitra {

// The commands that open a dialog: each builds its dialog over the parent window, shows
// it modally, applies it through the core on "OK" and says how the mapping window must
// repaint. Validation messages and the core's questions go through the prompter.

// "Select Mapping".
Invalidation SelectMappingCommand(QWidget* parent, OrbitraState& state, Prompter& prompter);
// "Initial Conditions".
Invalidation EditInitialConditionsCommand(QWidget* parent, OrbitraState& state, Prompter& prompter);
// The toolbar's "Run new trajectory": "Initial conditions" with its run box ticked.
Invalidation RunNewTrajectoryCommand(QWidget* parent, OrbitraState& state, Prompter& prompter);
// "Controls": repaints whichever button closed it; "reconstruction" rebuilds the buffer.
Invalidation ControlsCommand(QWidget* parent, OrbitraState& state, Prompter& prompter);
// "Define Map...": the user's maps are saved and deleted while it is open; repaints when
// the map in use changed.
Invalidation DefineMapCommand(QWidget* parent, OrbitraState& state, Prompter& prompter);
// "Work/Display ...": "Cancel" does not repaint.
Invalidation DisplayModeCommand(QWidget* parent, OrbitraState& state, Prompter& prompter);
// "GBox settings" on one of the state's boxes; "Cancel" applies nothing but repaints fully
// all the same, as every closing of the dialog does.
Invalidation EditBoxCommand(QWidget* parent, OrbitraState& state, PlotBox& box, Prompter& prompter);
// "Export Data". The chooser stands in for the save-file dialog of "Browse" (tests).
Invalidation ExportDataCommand(QWidget* parent, OrbitraState& state, Prompter& prompter,
                               SaveFileChooser chooser = ChooseExportFile);

}  // namespace orbitra
