// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/run_state.h"

namespace orbitra {

void FillColourTable(ColourTable& table) noexcept {
  table = {
      Colour::FromRgb(0, 0, 0),        // Black
      Colour::FromRgb(0, 0, 180),      // Blue
      Colour::FromRgb(0, 0, 100),      // Blue Dark
      Colour::FromRgb(0, 0, 240),      // Blue Light
      Colour::FromRgb(140, 140, 140),  // Gray
      Colour::FromRgb(100, 100, 100),  // Gray Dark
      Colour::FromRgb(200, 200, 200),  // Gray Light
      Colour::FromRgb(0, 120, 0),      // Green
      Colour::FromRgb(0, 80, 0),       // Green Dark
      Colour::FromRgb(0, 240, 0),      // Green Light
      Colour::FromRgb(160, 0, 0),      // Red
      Colour::FromRgb(120, 0, 0),      // Red Dark
      Colour::FromRgb(240, 0, 0),      // Red Light
  };
}

void ResetTrajectoryPoints(RunState& run) {
  run.InitialPoint = TrajectoryPoint{};
  run.InitialPoint.x = 0.5;
  run.InitialPoint.y = 0.0;
  run.InitialPoint.colour = 0;
  run.MousePoint = run.InitialPoint;
  run.CurrentPoint = run.InitialPoint;
  run.Mouse.ZoomCorner1 = WorldPoint{0.0, 0.0};
  run.Mouse.ZoomCorner2 = run.Mouse.ZoomCorner1;
  run.RunColour = 0;
}

void InitialiseRunState(RunState& run) {
  run = RunState{};
  FillColourTable(run.Colours);
  ResetTrajectoryPoints(run);
}

}  // namespace orbitra
