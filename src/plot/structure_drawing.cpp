// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/structure_drawing.h"

#include <cmath>
#include <cstdlib>

namespace orbitra {

namespace {

void Line(Canvas& canvas, int x0, int y0, int x1, int y1, Canvas::Pixel pixel) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    canvas.SetPixelRaw(x0, y0, pixel);
    if (x0 == x1 && y0 == y1) return;
    const int e2 = 2 * error;
    if (e2 >= dy) {
      error += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      error += dx;
      y0 += sy;
    }
  }
}

bool AcrossCut(double a, double b, double period) noexcept { return period > 0.0 && std::fabs(a - b) > 0.5 * period; }

}  // namespace

Colour OrbitClassColour(OrbitClass kind) noexcept {
  switch (kind) {
    case OrbitClass::Saddle:
      return Colour::FromRgb(0, 0, 200);
    case OrbitClass::FlipSaddle:
      return Colour::FromRgb(150, 0, 170);
    case OrbitClass::Sink:
      return Colour::FromRgb(0, 140, 0);
    case OrbitClass::Source:
      return Colour::FromRgb(230, 120, 0);
    case OrbitClass::Elliptic:
      return Colour::FromRgb(0, 150, 150);
    case OrbitClass::Parabolic:
      return Colour::FromRgb(90, 90, 90);
  }
  return kBlack;
}

void DrawOrbitMarker(Canvas& canvas, const PlotBox& box, WorldPoint point, OrbitClass kind, int half) {
  if (box.Visible == 0 || box.Degenerate() || !box.Inside(point.x, point.y) || half < 1) return;
  const PixelPoint c = box.WorldToScreen(point.x, point.y);
  const Canvas::Pixel pixel = Canvas::ToPixel(OrbitClassColour(kind));
  const int l = c.x - half, r = c.x + half, t = c.y - half, b = c.y + half;
  switch (kind) {
    case OrbitClass::FlipSaddle:
      Line(canvas, l, c.y, r, c.y, pixel);
      [[fallthrough]];
    case OrbitClass::Saddle:
      Line(canvas, l, t, r, b, pixel);
      Line(canvas, l, b, r, t, pixel);
      return;
    case OrbitClass::Sink:
      for (int d = 0; d <= half; ++d) {
        Line(canvas, c.x - (half - d), c.y - d, c.x + (half - d), c.y - d, pixel);
        Line(canvas, c.x - (half - d), c.y + d, c.x + (half - d), c.y + d, pixel);
      }
      return;
    case OrbitClass::Source:
      Line(canvas, l, t, r, t, pixel);
      Line(canvas, r, t, r, b, pixel);
      Line(canvas, r, b, l, b, pixel);
      Line(canvas, l, b, l, t, pixel);
      return;
    case OrbitClass::Elliptic:
      Line(canvas, l, c.y, c.x, t, pixel);
      Line(canvas, c.x, t, r, c.y, pixel);
      Line(canvas, r, c.y, c.x, b, pixel);
      Line(canvas, c.x, b, l, c.y, pixel);
      return;
    case OrbitClass::Parabolic:
      Line(canvas, l, c.y, r, c.y, pixel);
      Line(canvas, c.x, t, c.x, b, pixel);
      return;
  }
}

void DrawWorldPolyline(Canvas& canvas, const PlotBox& box, const std::vector<WorldPoint>& points, Colour colour,
                       CoordinateWrap wrap) {
  if (box.Visible == 0 || box.Degenerate()) return;
  const Canvas::Pixel pixel = Canvas::ToPixel(colour);
  for (std::size_t i = 1; i < points.size(); ++i) {
    const WorldPoint a = points[i - 1], b = points[i];
    if (!box.Inside(a.x, a.y) || !box.Inside(b.x, b.y)) continue;
    if (AcrossCut(a.x, b.x, wrap.x) || AcrossCut(a.y, b.y, wrap.y)) continue;
    const PixelPoint p = box.WorldToScreen(a.x, a.y), q = box.WorldToScreen(b.x, b.y);
    Line(canvas, p.x, p.y, q.x, q.y, pixel);
  }
}

}  // namespace orbitra
