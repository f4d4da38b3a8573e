// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "explorer/orbitra_state.h"
#include "platform/editor_port.h"
#include "platform/invalidation.h"
#include "platform/prompter.h"
#include "storage/group_file.h"
#include "storage/notebook.h"

namespace orbitra {

inline constexpr const char* kGroupCountMessage = "Group contains %d trajectories";
inline constexpr const char* kAskRunGroup = "Previous data will be deleted, proceed?";

// Start-up: the group file is emptied (and the group known empty); the notebook is created
// empty when it is missing and otherwise kept. Failures are reported.
void StartGroupAndNotebookFiles(OrbitraState& state, Prompter& prompter);

// "Add trajectory": appends the current trajectory (initial point, the larger of RTN and
// "Iterations", the run colour, the restriction) and shows the group's size. A failed write
// is reported and leaves the file and the count as they were.
void AddTrajectory(OrbitraState& state, Prompter& prompter);

// "Clear Group": the group file is emptied, without a question.
void ClearGroup(OrbitraState& state, Prompter& prompter);

// "Edit Group": the group file in the editor; returns when the editor is closed.
void EditGroup(OrbitraState& state, EditorPort& editor);

// "Run Trajectory Group": after the user agreed and the stored points were offered for
// deletion, requests the group run in a full repaint. Nothing at all for an empty group.
Invalidation RunTrajectoryGroup(OrbitraState& state, Prompter& prompter);

// Notebook "Add and Edit": appends the mapping with k1 to k3 and the initial point, then
// opens the notebook in the editor (not when the append failed: that is reported).
void NotebookAddAndEdit(OrbitraState& state, Prompter& prompter, EditorPort& editor);

// Notebook "Edit".
void NotebookEdit(OrbitraState& state, EditorPort& editor);

}  // namespace orbitra
