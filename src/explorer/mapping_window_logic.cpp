// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/mapping_window_logic.h"

#include <cstdio>

#include "explorer/repaint_work.h"
#include "explorer/trajectory_engine.h"
#include "storage/text_format.h"

namespace orbitra {

void DrawMouseReadout(const OrbitraState& state, Canvas& canvas) {
  char text[LongestFixedText(9) + 8];
  canvas.TextOutScaled(3, 140, "--Mouse--");
  std::snprintf(text, sizeof text, "xm=%10.9f", state.Run.MousePoint.x);
  canvas.TextOutScaled(3, 155, text);
  std::snprintf(text, sizeof text, "ym=%10.9f", state.Run.MousePoint.y);
  canvas.TextOutScaled(3, 170, text);
}

void RepaintMappingWindow(OrbitraState& state, Canvas& canvas, Prompter& prompter) {
  RepaintWork(state, canvas, prompter).RunToEnd();
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
