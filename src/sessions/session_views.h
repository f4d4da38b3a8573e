// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "explorer/orbitra_state.h"
#include "maps/user_map_definition.h"
#include "platform/prompter.h"
#include "storage/session_view_records.h"
#include "sweeps/grid_window_logic.h"
#include "sweeps/orbit_diagram_view.h"
#include "sweeps/sweep_view.h"

namespace orbitra {

// The map a window of a sweep was opened on: a built-in map by its number, or a typed
// one by its name and definition, with the parameters it had then.
struct SavedViewMap {
  int system = 1;
  std::string name;
  double k[4] = {};
  std::optional<UserMapDefinition> typed;
};

// One window of a sweep as a session keeps it.
struct SavedSweepView {
  SavedViewMap map;
  std::variant<SavedDiagramWindow, SavedGridWindow> window;
};

// What a session keeps beside the explorer: the open windows of sweeps, in order, and
// the structure drawn over the picture (periodic orbits, their markers, manifolds).
struct SavedViews {
  std::vector<SavedSweepView> sweeps;
  StructureOverlay structure;
};

// `/views` of a session: the windows given (orbit diagrams, parameter planes, basins;
// any other view is passed over) and the state's structure.
SessionViews GatherViews(const OrbitraState& state, std::span<const SweepView* const> views);

// The records of `/views`, checked against each other and against what the windows
// compute (a grid of the picture's size, the units of that grid, usable settings), or
// the reason they cannot be what this program wrote.
struct ViewsDecoding {
  std::optional<SavedViews> views;
  std::string problem;
};
ViewsDecoding DecodeViews(const SessionViews& stored);

// The view of a saved window, on the state's maps (after the session is in place): its
// picture shows the saved units as soon as it is resized to the saved size. Null when
// its map is none of the state's (a typed map the user no longer has).
std::unique_ptr<SweepView> MakeSavedView(OrbitraState& state, Prompter& prompter, const SavedSweepView& saved);

// The picture's size a saved window had.
int SavedWidth(const SavedSweepView& saved);
int SavedHeight(const SavedSweepView& saved);
// Whether a saved window computes its numbers with an export of them (diagram counts or
// grid values).
bool IsSavedDiagram(const SavedSweepView& saved);

}  // namespace orbitra
