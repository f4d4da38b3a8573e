// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_handlers.h"

#include "explorer/box_commands.h"
#include "explorer/group_commands.h"
#include "explorer/point_store_commands.h"
#include "explorer/run_commands.h"

namespace orbitra {

Invalidation OnExit(CommandHost& host) {
  host.CloseMainWindow();
  return Invalidation::None;
}

Invalidation OnRefresh(CommandHost& host) { return RefreshView(host.State()); }

Invalidation OnZoomIn(CommandHost& host) {
  OrbitraState& state = host.State();
  return ZoomIn(state.Boxes, state.Run, host.Prompts());
}

Invalidation OnZoomOut(CommandHost& host) {
  OrbitraState& state = host.State();
  return ZoomOut(state.Boxes, state.Model);
}

Invalidation OnZoomOneToOne(CommandHost& host) {
  OrbitraState& state = host.State();
  return ZoomOneToOne(state.Boxes, state.Model, state.Run);
}

Invalidation OnToggleToolbar(CommandHost& host) {
  host.ToggleToolbar();
  return Invalidation::None;
}

Invalidation OnToggleStatusBar(CommandHost& host) {
  host.ToggleStatusBar();
  return Invalidation::None;
}

Invalidation OnToggleOrbitInspector(CommandHost& host) {
  host.ToggleOrbitInspector();
  return Invalidation::None;
}

Invalidation OnFindPeriodicOrbits(CommandHost& host) {
  host.ShowPeriodicOrbits();
  return Invalidation::None;
}

Invalidation OnStartRun(CommandHost& host) { return StartRun(host.State()); }

Invalidation OnContinue(CommandHost& host) { return ContinueTrajectory(host.State()); }

Invalidation OnShowHideAxis(CommandHost& host) { return ShowHideAxis(host.State().Boxes); }

Invalidation OnSetCurrentAsDefault(CommandHost& host) {
  OrbitraState& state = host.State();
  return SetCurrentAsDefault(state.Boxes, state.Model);
}

Invalidation OnRunTrajectoryGroup(CommandHost& host) { return RunTrajectoryGroup(host.State(), host.Prompts()); }

Invalidation OnAddTrajectory(CommandHost& host) {
  AddTrajectory(host.State(), host.Prompts());
  return Invalidation::None;
}

Invalidation OnEditGroup(CommandHost& host) {
  EditGroup(host.State(), host.Editor());
  return Invalidation::None;
}

Invalidation OnClearGroup(CommandHost& host) {
  ClearGroup(host.State(), host.Prompts());
  return Invalidation::None;
}

Invalidation OnNotebookEdit(CommandHost& host) {
  NotebookEdit(host.State(), host.Editor());
  return Invalidation::None;
}

Invalidation OnNotebookAddAndEdit(CommandHost& host) {
  NotebookAddAndEdit(host.State(), host.Prompts(), host.Editor());
  return Invalidation::None;
}

Invalidation OnDeleteLastTrajectory(CommandHost& host) { return DeleteLastTrajectory(host.State(), host.Prompts()); }

Invalidation OnDeleteBuffer(CommandHost& host) { return DeleteBuffer(host.State(), host.Prompts()); }

Invalidation OnDeleteStream(CommandHost& host) { return DeleteStream(host.State(), host.Prompts()); }

Invalidation OnDeleteAll(CommandHost& host) { return DeleteAllCommand(host.State(), host.Prompts()); }

Invalidation OnStoreBufferInStream(CommandHost& host) { return StoreBufferInStream(host.State(), host.Prompts()); }

Invalidation OnDeleteTrajectoryOrPoints(CommandHost& host) {
  return DeleteTrajectoryOrPoints(host.State(), host.Prompts());
}

Invalidation OnAbout(CommandHost& host) {
  host.ShowAboutBox();
  return Invalidation::None;
}

Invalidation OnUserGuide(CommandHost& host) {
  host.ShowUserGuide();
  return Invalidation::None;
}

Invalidation OnStopRun(CommandHost& host) {
  host.StopWork();
  return Invalidation::None;
}

}  // namespace orbitra
