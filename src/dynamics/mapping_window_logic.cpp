#include "dynamics/mapping_window_logic.h"

#include <cstdio>

#include "dynamics/group_runner.h"
#include "dynamics/trajectory_engine.h"

namespace orbitra {

namespace {

constexpr Colour kPickedPointColour = Colour::FromRgb(160, 0, 0);

void DrawMouseReadout(const OrbitraState& state, Canvas& canvas) {
  char text[64];
  canvas.TextOut(3, 140, "--Mouse--");
  std::snprintf(text, sizeof text, "xm=%10.9f", state.Run.MousePoint.x);
  canvas.TextOut(3, 155, text);
  std::snprintf(text, sizeof text, "ym=%10.9f", state.Run.MousePoint.y);
  canvas.TextOut(3, 170, text);
}

}  // namespace

void RepaintMappingWindow(OrbitraState& state, Canvas& canvas, Prompter& prompter) {
  RunState& run = state.Run;
  MouseState& mouse = run.Mouse;
  const PlotBox& xyBox = state.Boxes.XYBox;

  DrawStatus(state, canvas);
  DrawMouseReadout(state, canvas);

  if (mouse.LeftClickPending != 0) {
    if (run.Settings.BoldPoints != 0) {
      xyBox.PlotBoldPoint(canvas, run.MousePoint.x, run.MousePoint.y, 2, kPickedPointColour, false);
    }
    mouse.LeftClickPending = 0;
    mouse.RightReleasePending = 0;
    mouse.RightPressPending = 0;
    return;
  }
  if (mouse.RightPressPending != 0) {
    xyBox.PlotBoldPoint(canvas, mouse.ZoomCorner1.x, mouse.ZoomCorner1.y, 2, kBlack, false);
    mouse.RightPressPending = 0;
    return;
  }
  if (run.Requests.GroupPending != 0) {
    RunGroup(state, canvas, prompter);
  } else if (run.Settings.DisplayMode == 0 || run.Settings.DisplayMode == 1) {
    RedrawAndRun(state, canvas, prompter);
  }
  run.Requests.RunPending = 0;
  run.Requests.ContinueRun = 0;
  mouse.LeftClickPending = 0;
  run.Requests.GroupPending = 0;
}

Invalidation OnLeftButtonDown(OrbitraState& state, int px, int py) {
  double x = 0.0, y = 0.0;
  if (!state.Boxes.XYBox.ScreenToWorld(px, py, x, y)) return Invalidation::None;
  RunState& run = state.Run;
  run.MousePoint.x = x;
  run.MousePoint.y = y;
  run.MousePoint.colour = run.RunColour;
  run.Mouse.LeftClickPending = 1;
  return Invalidation::WithoutErase;
}

Invalidation OnLeftButtonDoubleClick(OrbitraState& state, int px, int py) {
  double x = 0.0, y = 0.0;
  if (!state.Boxes.XYBox.ScreenToWorld(px, py, x, y)) return Invalidation::None;
  RequestRunFrom(state, x, y);
  return Invalidation::WithErase;
}

Invalidation OnRightButtonDown(OrbitraState& state, int px, int py) {
  double x = 0.0, y = 0.0;
  if (!state.Boxes.XYBox.ScreenToWorld(px, py, x, y)) return Invalidation::None;
  MouseState& mouse = state.Run.Mouse;
  mouse.ZoomCorner1 = WorldPoint{x, y};
  mouse.PressPixel = PixelPoint{px, py};
  mouse.RightPressPending = 1;
  return Invalidation::WithoutErase;
}

Invalidation OnRightButtonUp(OrbitraState& state, int px, int py) {
  double x = 0.0, y = 0.0;
  if (!state.Boxes.XYBox.ScreenToWorld(px, py, x, y)) return Invalidation::None;
  MouseState& mouse = state.Run.Mouse;
  mouse.ZoomCorner2 = WorldPoint{x, y};
  mouse.ReleasePixel = PixelPoint{px, py};
  mouse.RightReleasePending = 1;
  return Invalidation::WithErase;
}

}  // namespace orbitra
