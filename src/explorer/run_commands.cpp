// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/run_commands.h"

#include "plot/box_ranges.h"

namespace orbitra {

Invalidation StartRun(OrbitraState& state) {
  RunState& run = state.Run;
  run.CurrentPoint = run.InitialPoint;
  const double n = static_cast<double>(run.Settings.Iterations);
  SetXRange(state.Boxes.XBox, 0.0, n);
  SetXRange(state.Boxes.YBox, 0.0, n);
  run.Requests.RunPending = 1;
  run.Requests.ContinueRun = 0;
  return Invalidation::WithErase;
}

Invalidation ContinueTrajectory(OrbitraState& state) {
  RunState& run = state.Run;
  const double n = static_cast<double>(run.Settings.ContinueIterations);
  SetXRange(state.Boxes.XBox, 0.0, n);
  SetXRange(state.Boxes.YBox, 0.0, n);
  run.Requests.RunPending = 1;
  run.Requests.ContinueRun = 1;
  return Invalidation::WithErase;
}

Invalidation RefreshView(OrbitraState&) { return Invalidation::WithErase; }

}  // namespace orbitra
