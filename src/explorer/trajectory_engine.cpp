// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/trajectory_engine.h"

#include <limits>

namespace orbitra {

void RunOrbit(OrbitraState& state, Canvas& canvas, Prompter& prompter) {
  OrbitRun run(state, canvas);
  run.Advance(std::numeric_limits<std::int64_t>::max());
  run.Finish(prompter);
}

void MarkInitialPoint(const RunState& run, const PlotBox& xyBox, Canvas& canvas) {
  if (run.Settings.BoldPoints == 0 || !canvas.MarksShown()) return;
  xyBox.PlotBoldPoint(canvas, run.InitialPoint.x, run.InitialPoint.y, MarkHalfSize(canvas),
                      ColourOf(run.Colours, run.RunColour), true);
}

void RequestRunFrom(OrbitraState& state, double x, double y) {
  RunState& run = state.Run;
  run.MousePoint.x = x;
  run.MousePoint.y = y;
  run.MousePoint.colour = run.RunColour;
  run.CurrentPoint = run.MousePoint;
  run.InitialPoint = run.MousePoint;
  run.Requests.RunPending = 1;
  run.Requests.ContinueRun = 0;
}

}  // namespace orbitra
