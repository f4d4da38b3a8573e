// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/initial_conditions_logic.h"

#include <algorithm>

#include "explorer/orbitra_state.h"
#include "maps/system_catalogue.h"
#include "plot/box_ranges.h"

namespace orbitra {

namespace {

// The colours in the order the list receives them; the list sorts them.
constexpr std::array<std::string_view, kColourCount> kColourNamesAsGiven = {
    "Black", "Red",         "Red Light",  "Red Dark", "Blue",       "Blue Light", "Blue Dark",
    "Green", "Green Light", "Green Dark", "Gray",     "Gray Light", "Gray Dark"};

constexpr std::array<std::string_view, kColourCount> Sorted(std::array<std::string_view, kColourCount> names) {
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

const std::array<std::string_view, kColourCount>& SortedColourNames() noexcept {
  static constexpr std::array<std::string_view, kColourCount> names = Sorted(kColourNamesAsGiven);
  return names;
}

InitialConditionsValues PrepareInitialConditionsDialog(const OrbitraState& state) {
  const RunState& run = state.Run;
  InitialConditionsValues values;
  values.colourIndex = run.RunColour;
  values.onlyDataInBox = run.Settings.RestrictToBox;
  values.dataIntoBuffer = run.Settings.StoreInBuffer;
  values.iterations = run.Settings.Iterations;
  values.k1 = state.Model.k1;
  values.k2 = state.Model.k2;
  values.k3 = state.Model.k3;
  values.systemName = std::string(SystemName(state.UserMaps, state.Model.system));
  values.x0 = run.InitialPoint.x;
  values.y0 = run.InitialPoint.y;
  values.xc = run.CurrentPoint.x;
  values.yc = run.CurrentPoint.y;
  values.xm = run.MousePoint.x;
  values.ym = run.MousePoint.y;
  values.runOnOk = state.RunOnOk;
  values.useOnContinue = 0;
  return values;
}

void TakeMousePoint(InitialConditionsValues& values) noexcept {
  values.x0 = values.xm;
  values.y0 = values.ym;
}

void TakeLastPoint(InitialConditionsValues& values) noexcept {
  values.x0 = values.xc;
  values.y0 = values.yc;
}

Invalidation ApplyInitialConditionsDialog(OrbitraState& state, const InitialConditionsValues& values) {
  RunState& run = state.Run;
  run.Settings.RestrictToBox = values.onlyDataInBox;
  run.Settings.StoreInBuffer = values.dataIntoBuffer;
  run.Settings.Iterations = values.iterations;
  if (values.useOnContinue != 0) run.Settings.ContinueIterations = values.iterations;
  run.InitialPoint.x = values.x0;
  run.InitialPoint.y = values.y0;
  // The list cannot be typed into, so a selection always exists; keep the index inside
  // the colour table all the same.
  if (values.colourIndex >= 0 && values.colourIndex < static_cast<int>(kColourCount)) {
    run.RunColour = static_cast<std::uint8_t>(values.colourIndex);
  }

  run.CurrentPoint = run.InitialPoint;
  SetXRange(state.Boxes.XBox, 0.0, static_cast<double>(run.Settings.Iterations));
  SetXRange(state.Boxes.YBox, 0.0, static_cast<double>(run.Settings.Iterations));
  run.Requests.RunPending = values.runOnOk;
  run.Requests.ContinueRun = 0;
  return Invalidation::WithErase;
}

void InitialConditionsDialogClosed(OrbitraState& state) noexcept { state.RunOnOk = 0; }

}  // namespace orbitra
