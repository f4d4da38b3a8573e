// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plot_box.h"

#include <algorithm>
#include <cmath>

namespace orbitra {

void RoundRange(double& lo, double& hi) noexcept {
  const double span = hi - lo;
  // An infinite span has no step (and its logarithm no int).
  if (!(span > 1e-9) || !std::isfinite(span)) return;
  // Truncation toward zero, as the rounding rule has it: spans of 0.0316 to 0.316 get
  // the step 0.1.
  int e = static_cast<int>(std::log10(span) + 0.5);
  e -= 1;
  const double step = std::pow(10.0, e);
  const double roundedLo = step * std::floor(lo / step + 0.0555);
  const double roundedHi = step * std::ceil(hi / step - 0.0555);
  // Rounding next to the largest double can overflow; such a range is kept as given.
  if (!std::isfinite(roundedLo) || !std::isfinite(roundedHi)) return;
  lo = roundedLo;
  hi = roundedHi;
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
  const double hx = (static_cast<double>(right) - left) * 0.01;
  const double hy = (static_cast<double>(bottom) - top) * 0.01;
  const int l = Pix(LeftPct * hx);
  const int r = Pix(RightPct * hx);
  const int t = Pix(TopPct * hy);
  const int b = Pix(BottomPct * hy);
  screenLeft_ = l;
  screenTop_ = t;
  screenRight_ = r;
  screenBottom_ = b;
  ScaleX = (r - l) / (Xmax - Xmin);
  OffsetX = ScaleX * Xmin - l;
  ScaleY = (t - b) / (Ymax - Ymin);
  OffsetY = ScaleY * Ymin - b;
  // A zero span gives an infinite or undefined scale, an infinite span or a box without
  // pixels a zero one; such a transform would scatter pixels or divide by zero on the
  // way back.
  const auto usable = [](double scale, double offset) {
    return std::isfinite(scale) && scale != 0.0 && std::isfinite(offset);
  };
  degenerate_ = !(usable(ScaleX, OffsetX) && usable(ScaleY, OffsetY));
  if (degenerate_) {
    ScaleX = 0.0;
    OffsetX = -l;
    ScaleY = 0.0;
    OffsetY = -b;
  }
}

bool PlotBox::ScreenToWorld(int px, int py, double& x, double& y) const noexcept {
  if (degenerate_) {
    x = Xmin;
    y = Ymin;
    return false;
  }
  x = (px + OffsetX) / ScaleX;
  y = (py + OffsetY) / ScaleY;
  return Inside(x, y);
}

void PlotBox::PlotBoldPoint(Canvas& canvas, double x, double y, int n, Colour colour, bool clip) const noexcept {
  if (Visible == 0 || degenerate_ || n < 0) return;
  if (clip && !Inside(x, y)) return;
  const PixelPoint p = WorldToScreen(x, y);
  const Canvas::Pixel pixel = Canvas::ToPixel(colour);
  const long long x0 = std::max<long long>(static_cast<long long>(p.x) - n, 0);
  const long long x1 = std::min<long long>(static_cast<long long>(p.x) + n, canvas.Width() - 1LL);
  const long long y0 = std::max<long long>(static_cast<long long>(p.y) - n, 0);
  const long long y1 = std::min<long long>(static_cast<long long>(p.y) + n, canvas.Height() - 1LL);
  for (long long py = y0; py <= y1; ++py) {
    for (long long px = x0; px <= x1; ++px) canvas.SetPixelRaw(static_cast<int>(px), static_cast<int>(py), pixel);
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
