#include "app/sweep_command_handlers.h"

#include <memory>

#include "app/sweep_window.h"
#include "dialogs/orbit_diagram_dialog.h"
#include "explorer/orbit_diagram_view.h"

namespace orbitra {

Invalidation OnOrbitDiagram(CommandHost& host) {
  OrbitraState& state = host.State();
  OrbitDiagramDialog dialog(PrepareOrbitDiagramDialog(state), state.Model, host.Prompts(), host.DialogParent());
  if (dialog.exec() != QDialog::Accepted) return Invalidation::None;
  auto logic = std::make_unique<OrbitDiagramWindowLogic>(state, host.Prompts(), dialog.Values());
  const OrbitDiagramWindowLogic& diagram = *logic;
  auto* window = new SweepWindow(
      std::move(logic), host.Prompts(), {},
      [&diagram](const std::filesystem::path& file) { return diagram.ExportCounts(file); }, host.DialogParent());
  host.AdoptSweepWindow(*window);
  window->show();
  return Invalidation::None;
}

}  // namespace orbitra
