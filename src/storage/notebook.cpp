#include <string>

#include "dynamics/mapping_catalogue.h"
#include "storage/file_io.h"
#include "storage/group_commands.h"
#include "storage/text_format.h"

namespace orbitra {

namespace {

// "%s  k1=%f k2=%f k3=%f\n" then "x=%13.12lf  y=%13.12lf \n".
std::string NotebookLines(const OrbitraState& state) {
  const MappingModel& model = state.Model;
  std::string text(CatalogueAt(model.system).name);
  text += "  k1=";
  AppendFixed(text, model.k1, 6);
  text += " k2=";
  AppendFixed(text, model.k2, 6);
  text += " k3=";
  AppendFixed(text, model.k3, 6);
  text += "\nx=";
  AppendFixed(text, state.Run.InitialPoint.x, 12, 13);
  text += "  y=";
  AppendFixed(text, state.Run.InitialPoint.y, 12, 13);
  text += " \n";
  return text;
}

}  // namespace

void NotebookAddAndEdit(OrbitraState& state, Prompter& prompter, EditorPort& editor) {
  const std::string text = NotebookLines(state);
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
