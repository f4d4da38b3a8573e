// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/group_commands.h"
#include "maps/system_catalogue.h"
#include "storage/file_io.h"

namespace orbitra {

void NotebookAddAndEdit(OrbitraState& state, Prompter& prompter, EditorPort& editor) {
  const MappingModel& model = state.Model;
  const std::string text = NotebookEntry(SystemName(state.UserMaps, model.system), model.k1, model.k2, model.k3,
                                         state.Run.InitialPoint.x, state.Run.InitialPoint.y);
  const std::filesystem::path notebook = state.FilePath(kNotebookFileName);
  if (const FileFailure failure = AppendToFile(notebook, text.data(), text.size())) {
    prompter.ShowMessage(*failure);
    return;
  }
  editor.OpenInEditor(notebook);
}

void NotebookEdit(OrbitraState& state, EditorPort& editor) {
  editor.OpenInEditor(state.FilePath(kNotebookFileName));
}

}  // namespace orbitra
