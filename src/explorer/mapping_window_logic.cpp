#include "explorer/mapping_window_logic.h"

#include <cstdio>

#include "explorer/group_runner.h"
#include "explorer/trajectory_engine.h"
#include "storage/text_format.h"

namespace orbitra {

namespace {

constexpr Colour kPickedPointColour = Colour::FromRgb(160, 0, 0);

}  // namespace

void DrawMouseReadout(const OrbitraState& state, Canvas& canvas) {
  char text[LongestFixedText(9) + 8];
  canvas.TextOutScaled(3, 140, "--Mouse--");
  std::snprintf(text, sizeof text, "xm=%10.9f", state.Run.MousePoint.x);
  canvas.TextOutScaled(3, 155, text);
  std::snprintf(text, sizeof text, "ym=%10.9f", state.Run.MousePoint.y);
  canvas.TextOutScaled(3, 170, text);
}

void RepaintMappingWindow(OrbitraState& state, Canvas& canvas, Prompter& prompter) {
  RunState& run = state.Run;
  MouseState& mouse = run.Mouse;
  const PlotBox& xyBox = state.Boxes.XYBox;

  DrawStatus(state, canvas);
  DrawMouseReadout(state, canvas);

  if (mouse.LeftClickPending != 0) {
    if (run.Settings.BoldPoints != 0) {
      xyBox.PlotBoldPoint(canvas, run.MousePoint.x, run.MousePoint.y, MarkHalfSize(canvas), kPickedPointColour,
                          false);
    }
    mouse.LeftClickPending = 0;
    mouse.RightReleasePending = 0;
    mouse.RightPressPending = 0;
    return;
  }
  if (mouse.RightPressPending != 0) {
    xyBox.PlotBoldPoint(canvas, mouse.ZoomCorner1.x, mouse.ZoomCorner1.y, MarkHalfSize(canvas), kBlack, false);
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

namespace {

// A corner of the zoom rectangle, recorded only when the click lies inside the box.
Invalidation RecordZoomCorner(OrbitraState& state, int px, int py, WorldPoint& corner, PixelPoint& pixel,
                              int& pending, Invalidation repaint) {
  double x = 0.0, y = 0.0;
  if (!state.Boxes.XYBox.ScreenToWorld(px, py, x, y)) return Invalidation::None;
  corner = WorldPoint{x, y};
  pixel = PixelPoint{px, py};
  pending = 1;
  return repaint;
}

}  // namespace

// The press is marked with a square on the picture as it is.
Invalidation OnRightButtonDown(OrbitraState& state, int px, int py) {
  MouseState& mouse = state.Run.Mouse;
  return RecordZoomCorner(state, px, py, mouse.ZoomCorner1, mouse.PressPixel, mouse.RightPressPending,
                          Invalidation::WithoutErase);
}

// The release brings a full repaint, which draws the rectangle.
Invalidation OnRightButtonUp(OrbitraState& state, int px, int py) {
  MouseState& mouse = state.Run.Mouse;
  return RecordZoomCorner(state, px, py, mouse.ZoomCorner2, mouse.ReleasePixel, mouse.RightReleasePending,
                          Invalidation::WithErase);
}

}  // namespace orbitra
