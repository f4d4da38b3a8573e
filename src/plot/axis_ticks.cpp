// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/axis_ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orbitra {

namespace {

std::string Format(const char* format, int digits, double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, digits, v);
  return buffer;
}

// Characters of a label: 8 pixels each, unscaled, as the box code measures them.
constexpr long long kCharacterWidth = 8;
constexpr long long kTickLength = 5;
// Pixels a label of the x axis and one of the y axis need apart.
constexpr double kXLabelRoom = 80.0;
constexpr double kYLabelRoom = 40.0;

}  // namespace

AxisTicks RoundTicks(double lo, double hi, int most) {
  AxisTicks ticks;
  if (lo > hi) std::swap(lo, hi);
  const double span = hi - lo;
  if (!(span > 0.0) || !std::isfinite(span) || most < 1) return ticks;
  const double raw = span / most;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = 10.0 * power;
  // The span of a deep zoom carries the rounding of its ends (1e-4 of it at 1e-12 near 1):
  // a spacing that nearly fits does.
  for (const double m : {1.0, 2.0, 5.0}) {
    if (m * power >= raw * (1.0 - 1e-3)) {
      step = m * power;
      break;
    }
  }
  // A tick stands on the bound it nearly touches.
  const double slack = step * 1e-6;
  const double first = std::ceil((lo - slack) / step);
  const double last = std::floor((hi + slack) / step);
  if (!(last - first < 1000.0)) return ticks;
  const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
  const double largest = std::max(std::fabs(first * step), std::fabs(last * step));
  const int whole = largest >= 1.0 ? static_cast<int>(std::floor(std::log10(largest))) + 1 : 1;
  const bool offset = whole + decimals > kMostLabelDigits;
  // The offset: the range's low end cut down to a multiple of the power of ten above the
  // span, so that it has only the digits the range does not share.
  const double unit = std::pow(10.0, std::ceil(std::log10(span)));
  const double origin = offset ? std::floor(lo / unit) * unit : 0.0;
  for (double k = first; k <= last; k += 1.0) {
    double v = k * step;
    if (std::fabs(v) < step * 1e-9) v = 0.0;  // no "-0.0"
    ticks.values.push_back(v);
    if (offset) {
      ticks.labels.push_back(Format("%.*f", 0, std::round((v - origin) / step)));
    } else {
      ticks.labels.push_back(Format("%.*f", decimals, v));
    }
  }
  if (offset) {
    const int significant = std::clamp(
        static_cast<int>(std::floor(std::log10(std::max(std::fabs(origin), unit)))) -
            static_cast<int>(std::floor(std::log10(unit))) + 1,
        1, 17);
    ticks.note = Format("%.*g", significant, origin) + " + " + Format("%.*g", 3, step) + " x";
  }
  return ticks;
}

void DrawRoundTicks(Canvas& canvas, const PlotBox& box) {
  if (box.Degenerate()) return;
  const PixelPoint topLeft = box.WorldToScreen(box.Xmin, box.Ymax);
  const PixelPoint bottomRight = box.WorldToScreen(box.Xmax, box.Ymin);
  const int bottom = bottomRight.y - 1;  // the frame's lower outline
  const int left = topLeft.x;
  const long long tick = canvas.Scaled(kTickLength);
  const double scale = canvas.TextScale();
  const int mostX = std::clamp(static_cast<int>((bottomRight.x - topLeft.x) / (kXLabelRoom * scale)), 1, 10);
  const int mostY = std::clamp(static_cast<int>((bottomRight.y - topLeft.y) / (kYLabelRoom * scale)), 1, 10);

  const AxisTicks x = RoundTicks(box.Xmin, box.Xmax, mostX);
  for (std::size_t i = 0; i < x.values.size(); ++i) {
    const int px = std::min(box.WorldToScreen(x.values[i], box.Ymin).x, bottomRight.x - 1);
    canvas.MoveTo(px, bottom);
    canvas.LineTo(px, bottom + static_cast<int>(tick) + 1);
    const long long width = canvas.Scaled(kCharacterWidth * static_cast<long long>(x.labels[i].size()));
    canvas.TextOut(static_cast<int>(px - width / 2), bottom + static_cast<int>(tick + canvas.Scaled(2)), x.labels[i]);
  }
  if (!x.note.empty()) {
    const long long width = canvas.Scaled(kCharacterWidth * static_cast<long long>(x.note.size()));
    canvas.TextOut(static_cast<int>(bottomRight.x - width), bottom + static_cast<int>(tick + canvas.Scaled(18)), x.note);
  }
  const AxisTicks y = RoundTicks(box.Ymin, box.Ymax, mostY);
  for (std::size_t i = 0; i < y.values.size(); ++i) {
    const int py = std::max(box.WorldToScreen(box.Xmin, y.values[i]).y, topLeft.y);
    canvas.MoveTo(left, py);
    canvas.LineTo(left - static_cast<int>(tick) - 1, py);
    const long long width = canvas.Scaled(7 * static_cast<long long>(y.labels[i].size()));
    canvas.TextOut(static_cast<int>(left - tick - canvas.Scaled(3) - width), py - static_cast<int>(canvas.Scaled(8)),
                   y.labels[i]);
  }
  if (!y.note.empty()) {
    canvas.TextOut(left + static_cast<int>(canvas.Scaled(4)), topLeft.y - static_cast<int>(canvas.Scaled(17)), y.note);
  }
}

}  // namespace orbitra
