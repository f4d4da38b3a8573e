// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/group_commands.h"

#include <algorithm>

#include "explorer/point_store_commands.h"
#include "storage/file_io.h"
#include "storage/group_file.h"
#include "storage/text_format.h"

namespace orbitra {

void StartGroupAndNotebookFiles(OrbitraState& state, Prompter& prompter) {
  state.Group.GroupEmpty = true;
  state.Group.GroupCount = 0;
  if (const FileFailure failure = TruncateFile(state.FilePath(kGroupFileName))) prompter.ShowMessage(*failure);
  // The notebook is kept from session to session.
  if (const FileFailure failure = CreateFileIfMissing(state.FilePath(kNotebookFileName))) {
    prompter.ShowMessage(*failure);
  }
}

void AddTrajectory(OrbitraState& state, Prompter& prompter) {
  const RunState& run = state.Run;
  GroupLine line;
  line.X0 = run.InitialPoint.x;
  line.Y0 = run.InitialPoint.y;
  // A continued trajectory keeps its whole length; one never run gets the setting.
  line.iterations = std::max(state.Store.RTN, run.Settings.Iterations);
  line.colour = run.RunColour;
  line.restricted = run.Settings.RestrictToBox != 0 ? 1 : 0;
  const std::string text = FormatGroupLine(line);
  if (const FileFailure failure = AppendToFile(state.FilePath(kGroupFileName), text.data(), text.size())) {
    prompter.ShowMessage(*failure);
    return;
  }
  ++state.Group.GroupCount;
  state.Group.GroupEmpty = false;
  prompter.ShowInformation(FormatCounts(kGroupCountMessage, {state.Group.GroupCount}));
}

void ClearGroup(OrbitraState& state, Prompter& prompter) {
  state.Group.GroupEmpty = true;
  state.Group.GroupCount = 0;
  if (const FileFailure failure = TruncateFile(state.FilePath(kGroupFileName))) prompter.ShowMessage(*failure);
}

void EditGroup(OrbitraState& state, EditorPort& editor) { editor.OpenInEditor(state.FilePath(kGroupFileName)); }

Invalidation RunTrajectoryGroup(OrbitraState& state, Prompter& prompter) {
  if (state.Group.GroupEmpty) return Invalidation::None;
  if (prompter.AskYesNo(kAskRunGroup) != Answer::Yes) return Invalidation::None;
  // Declining this second question keeps the stored points; the group still runs.
  DeleteAll(state, prompter, false);
  state.Run.Settings.StoreInBuffer = 1;
  state.Run.Requests.GroupPending = 1;
  state.Run.Requests.RunPending = 1;
  return Invalidation::WithErase;
}

}  // namespace orbitra
