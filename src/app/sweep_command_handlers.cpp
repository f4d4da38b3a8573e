#include "app/sweep_command_handlers.h"

#include "dialogs/grid_dialog.h"
#include "dialogs/orbit_diagram_dialog.h"
#include "sweeps/grid_window_logic.h"
#include "sweeps/orbit_diagram_view.h"
#include "sweeps/sweep_dialog_memory.h"

namespace orbitra {

void OpenSweepWindow(CommandHost& host, std::unique_ptr<SweepView> view, SweepWindow::Exporter exporter) {
  auto* window = new SweepWindow(std::move(view), host.Prompts(), {}, std::move(exporter), host.DialogParent());
  host.AdoptSweepWindow(*window);
  window->show();
}

Invalidation OnOrbitDiagram(CommandHost& host) {
  OrbitraState& state = host.State();
  SweepDialogMemory* memory = host.SweepDialogs();
  OrbitDiagramDialog dialog(memory ? RecallOrbitDiagramDialog(*memory, state) : PrepareOrbitDiagramDialog(state),
                            state.Model, host.Prompts(), host.DialogParent());
  if (dialog.exec() != QDialog::Accepted) return Invalidation::None;
  if (memory) RememberOrbitDiagramDialog(*memory, state, dialog.Values());
  auto logic = std::make_unique<OrbitDiagramWindowLogic>(state, host.Prompts(), dialog.Values());
  const OrbitDiagramWindowLogic& diagram = *logic;
  OpenSweepWindow(host, std::move(logic),
                  [&diagram](const std::filesystem::path& file) { return diagram.ExportCounts(file); });
  return Invalidation::None;
}

namespace {

Invalidation OpenGridWindow(CommandHost& host, const GridWindowValues& prepared) {
  OrbitraState& state = host.State();
  GridDialog dialog(prepared, state.Model, host.Prompts(), host.DialogParent());
  if (dialog.exec() != QDialog::Accepted) return Invalidation::None;
  if (SweepDialogMemory* memory = host.SweepDialogs()) RememberGridDialog(*memory, state, dialog.Values());
  auto logic = std::make_unique<GridWindowLogic>(state, host.Prompts(), dialog.Values());
  const GridWindowLogic& grid = *logic;
  OpenSweepWindow(host, std::move(logic), [&grid](const std::filesystem::path& file) { return grid.Export(file); });
  return Invalidation::None;
}

}  // namespace

Invalidation OnParameterPlane(CommandHost& host) {
  SweepDialogMemory* memory = host.SweepDialogs();
  return OpenGridWindow(host, memory ? RecallParameterPlaneDialog(*memory, host.State())
                                     : PrepareParameterPlaneDialog(host.State()));
}

Invalidation OnBasins(CommandHost& host) {
  SweepDialogMemory* memory = host.SweepDialogs();
  return OpenGridWindow(host, memory ? RecallBasinsDialog(*memory, host.State()) : PrepareBasinsDialog(host.State()));
}

}  // namespace orbitra
