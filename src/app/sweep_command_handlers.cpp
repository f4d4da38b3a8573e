// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sweep_command_handlers.h"

#include "dialogs/grid_dialog.h"
#include "dialogs/orbit_diagram_dialog.h"
#include "dialogs/rotation_profile_dialog.h"
#include "sweeps/grid_window_logic.h"
#include "sweeps/orbit_diagram_view.h"
#include "sweeps/phase_space_view.h"
#include "sweeps/rotation_profile_view.h"
#include "sweeps/structure_commands.h"
#include "sweeps/sweep_dialog_memory.h"

#include <QInputDialog>

namespace orbitra {

void OpenSweepWindow(CommandHost& host, std::unique_ptr<SweepView> view, SweepWindow::Exporter exporter) {
  auto* window = new SweepWindow(std::move(view), host.Prompts(), {}, std::move(exporter), host.DialogParent());
  host.AdoptSweepWindow(*window);
  window->show();
}

void OpenSavedSweepWindow(CommandHost& host, const SavedSweepView& saved) {
  std::unique_ptr<SweepView> view = MakeSavedView(host.State(), host.Prompts(), saved);
  if (!view) {
    host.Prompts().ShowMessage("A window of the session was not opened: its map \"" + saved.map.name +
                               "\" is not among your maps.");
    return;
  }
  SweepWindow::Exporter exporter;
  if (const auto* diagram = dynamic_cast<const OrbitDiagramWindowLogic*>(view.get())) {
    exporter = [diagram](const std::filesystem::path& file) { return diagram->ExportCounts(file); };
  } else if (const auto* grid = dynamic_cast<const GridWindowLogic*>(view.get())) {
    exporter = [grid](const std::filesystem::path& file) { return grid->Export(file); };
  }
  auto* window = new SweepWindow(std::move(view), host.Prompts(), {}, std::move(exporter), host.DialogParent());
  host.AdoptSweepWindow(*window);
  window->ShowSaved(QSize(SavedWidth(saved), SavedHeight(saved)));
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

Invalidation OnPhaseSpace(CommandHost& host) {
  const QStringList names = {QStringLiteral("MEGNO"), QStringLiteral("FLI"), QStringLiteral("Lyapunov exponent"),
                             QStringLiteral("Rotation number")};
  bool chosen = false;
  const QString name = QInputDialog::getItem(host.DialogParent(), QStringLiteral("Phase Space"),
                                             QStringLiteral("Colour by:"), names, 0, false, &chosen);
  if (!chosen) return Invalidation::None;
  const PhaseColouring colourings[] = {PhaseColouring::Megno, PhaseColouring::Fli, PhaseColouring::Lyapunov,
                                       PhaseColouring::Rotation};
  OrbitraState& state = host.State();
  WorkerPool pool(1);
  const PhaseSpaceSettings settings =
      PhaseSpaceSettingsFor(GridViewMapOf(state), colourings[names.indexOf(name)], pool);
  auto logic = std::make_unique<PhaseSpaceWindowLogic>(state, host.Prompts(), settings, 0);
  const PhaseSpaceWindowLogic& view = *logic;
  OpenSweepWindow(host, std::move(logic), [&view](const std::filesystem::path& file) { return view.Export(file); });
  return Invalidation::None;
}

Invalidation OnRotationProfile(CommandHost& host) {
  host.PickSegment([&host](WorldPoint a, WorldPoint b) { OpenRotationProfile(host, a, b); });
  return Invalidation::None;
}

void OpenRotationProfile(CommandHost& host, WorldPoint a, WorldPoint b) {
  OrbitraState& state = host.State();
  SweepDialogMemory* memory = host.SweepDialogs();
  RotationProfileDialog dialog(memory && memory->profile ? *memory->profile : RotationProfileValues{}, host.Prompts(),
                               host.DialogParent());
  if (dialog.exec() != QDialog::Accepted) return;
  if (memory) memory->profile = dialog.Values();
  std::string problem;
  const std::optional<RotationProfileSettings> settings = RotationProfileSettingsFor(
      AnalysisMapOf(state), state.Boxes.XYBox.GetRange(), a, b, dialog.Values(), problem);
  if (!settings) {
    host.Prompts().ShowMessage(problem);
    return;
  }
  auto logic = std::make_unique<RotationProfileWindowLogic>(state, host.Prompts(), *settings, 0);
  const RotationProfileWindowLogic& view = *logic;
  OpenSweepWindow(host, std::move(logic), [&view](const std::filesystem::path& file) { return view.Export(file); });
}

}  // namespace orbitra
