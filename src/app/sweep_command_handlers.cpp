#include "app/sweep_command_handlers.h"

#include "dialogs/orbit_diagram_dialog.h"
#include "explorer/orbit_diagram_view.h"

namespace orbitra {

void OpenSweepWindow(CommandHost& host, std::unique_ptr<SweepView> view, SweepWindow::Exporter exporter) {
  auto* window = new SweepWindow(std::move(view), host.Prompts(), {}, std::move(exporter), host.DialogParent());
  host.AdoptSweepWindow(*window);
  window->show();
}

Invalidation OnOrbitDiagram(CommandHost& host) {
  OrbitraState& state = host.State();
  OrbitDiagramDialog dialog(PrepareOrbitDiagramDialog(state), state.Model, host.Prompts(), host.DialogParent());
  if (dialog.exec() != QDialog::Accepted) return Invalidation::None;
  auto logic = std::make_unique<OrbitDiagramWindowLogic>(state, host.Prompts(), dialog.Values());
  const OrbitDiagramWindowLogic& diagram = *logic;
  OpenSweepWindow(host, std::move(logic),
                  [&diagram](const std::filesystem::path& file) { return diagram.ExportCounts(file); });
  return Invalidation::None;
}

}  // namespace orbitra
