#include "plot/plot_box.h"

#include <cmath>

namespace orbitra {

void RoundRange(double& lo, double& hi) noexcept {
  const double span = hi - lo;
  if (!(span > 1e-9)) return;
  // Truncation toward zero, as the rounding rule has it: spans of 0.0316 to 0.316 get
  // the step 0.1.
  int e = static_cast<int>(std::log10(span) + 0.5);
  e -= 1;
  const double step = std::pow(10.0, e);
  lo = step * std::floor(lo / step + 0.0555);
  hi = step * std::ceil(hi / step - 0.0555);
}

void PlotBox::SetRange(double xmin, double ymin, double xmax, double ymax) {
  if (RoundScales != 0) {
    RoundRange(xmin, xmax);
    RoundRange(ymin, ymax);
  }
  Xmin = xmin;
  Ymin = ymin;
  Xmax = xmax;
  Ymax = ymax;
}

void PlotBox::SetScreenPercent(int left, int top, int right, int bottom) {
  if (left < 0 || left > 100 || left >= right) left = 1;
  if (right < 0 || right > 100 || right <= left) right = 100;
  if (top < 0 || top > 100 || top >= bottom) top = 1;
  if (bottom < 0 || bottom > 100 || bottom <= top) bottom = 100;
  LeftPct = left;
  TopPct = top;
  RightPct = right;
  BottomPct = bottom;
}

void PlotBox::GetScreenPercent(int& left, int& top, int& right, int& bottom) const noexcept {
  left = LeftPct;
  top = TopPct;
  right = RightPct;
  bottom = BottomPct;
}

void PlotBox::SetTicks(int ticksX, int ticksY, int tickWidthX, int tickWidthY, int digitsX, int digitsY) noexcept {
  TicksX = ticksX;
  TicksY = ticksY;
  TickWidthX = tickWidthX;
  TickWidthY = tickWidthY;
  DigitsX = digitsX;
  DigitsY = digitsY;
}

void PlotBox::GetTicks(int& ticksX, int& ticksY, int& tickWidthX, int& tickWidthY, int& digitsX,
                       int& digitsY) const noexcept {
  ticksX = TicksX;
  ticksY = TicksY;
  tickWidthX = TickWidthX;
  tickWidthY = TickWidthY;
  digitsX = DigitsX;
  digitsY = DigitsY;
}

void PlotBox::SetScreenRect(int left, int top, int right, int bottom) noexcept {
  const double hx = (right - left) * 0.01;
  const double hy = (bottom - top) * 0.01;
  const int l = Pix(LeftPct * hx);
  const int r = Pix(RightPct * hx);
  const int t = Pix(TopPct * hy);
  const int b = Pix(BottomPct * hy);
  const double spanX = Xmax - Xmin;
  const double spanY = Ymax - Ymin;
  degenerate_ = !(std::isfinite(spanX) && std::isfinite(spanY) && spanX != 0.0 && spanY != 0.0);
  if (degenerate_) {
    // Every world point falls on the box's left and bottom edges; nothing is plotted.
    ScaleX = 0.0;
    OffsetX = -l;
    ScaleY = 0.0;
    OffsetY = -b;
  } else {
    ScaleX = (r - l) / spanX;
    OffsetX = ScaleX * Xmin - l;
    ScaleY = (t - b) / spanY;
    OffsetY = ScaleY * Ymin - b;
  }
}

bool PlotBox::ScreenToWorld(int px, int py, double& x, double& y) const noexcept {
  x = (px + OffsetX) / ScaleX;
  y = (py + OffsetY) / ScaleY;
  return !degenerate_ && Inside(x, y);
}

void PlotBox::PlotBoldPoint(Canvas& canvas, double x, double y, int n, Colour colour, bool clip) const noexcept {
  if (Visible == 0 || degenerate_) return;
  if (clip && !Inside(x, y)) return;
  const PixelPoint p = WorldToScreen(x, y);
  const Canvas::Pixel pixel = Canvas::ToPixel(colour);
  for (int i = -n; i <= n; ++i) {
    for (int j = -n; j <= n; ++j) canvas.SetPixelRaw(p.x + i, p.y + j, pixel);
  }
}

void PlotBox::MoveToWorld(double x, double y) noexcept {
  const PixelPoint p = WorldToScreen(x, y);
  PenX = p.x;
  PenY = p.y;
}

void PlotBox::LineToWorld(Canvas& canvas, double x, double y) noexcept {
  if (Visible == 0) return;
  const PixelPoint p = WorldToScreen(x, y);
  canvas.MoveTo(PenX, PenY);
  canvas.LineTo(p.x, p.y);
  PenX = p.x;
  PenY = p.y;
}

void PlotBox::DrawAxisLines(Canvas& canvas, double x0, double y0) noexcept {
  const int savedX = PenX, savedY = PenY;
  MoveToWorld(Xmin, y0);
  LineToWorld(canvas, Xmax, y0);
  MoveToWorld(x0, Ymin);
  LineToWorld(canvas, x0, Ymax);
  PenX = savedX;
  PenY = savedY;
}

}  // namespace orbitra
