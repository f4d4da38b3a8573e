// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/pixel_plotter.h"

#include <algorithm>

namespace orbitra {

EvolutionPlotter::Box::Box(const PlotBox& box, unsigned canvasWidth) noexcept
    : xmin_(box.Xmin),
      xmax_(box.Xmax),
      ymin_(box.Ymin),
      ymax_(box.Ymax),
      scaleX_(box.ScaleX),
      offsetX_(box.OffsetX),
      scaleY_(box.ScaleY),
      offsetY_(box.OffsetY),
      canvasWidth_(canvasWidth),
      on_(box.Visible != 0 && !box.Degenerate()) {}

unsigned EvolutionPlotter::Box::Column(double n) const noexcept {
  return static_cast<unsigned>(PlotBox::Pix(n * scaleX_ - offsetX_));
}

std::size_t EvolutionPlotter::Box::Draws(double n) const noexcept {
  return static_cast<std::size_t>(on_ && n >= xmin_ && n <= xmax_ && Column(n) < canvasWidth_);
}

unsigned EvolutionPlotter::Box::Row(double v) const noexcept {
  return static_cast<unsigned>(PlotBox::Pix(v * scaleY_ - offsetY_));
}

bool EvolutionPlotter::Box::RowsOnCanvas(const PixelTarget& target) const noexcept {
  return !on_ || (target.Contains(PixelPoint{0, static_cast<std::int32_t>(Row(ymin_))}) &&
                  target.Contains(PixelPoint{0, static_cast<std::int32_t>(Row(ymax_))}));
}

std::size_t EvolutionPlotter::Box::RowInside(double v) const noexcept {
  return static_cast<std::size_t>(v >= ymin_ && v <= ymax_);
}

namespace {

// The first m in (n, limit] for which `changed` holds, or `limit`; `changed` must be
// false up to some m and true from there on. Doubling steps, then halving: a few
// evaluations for a long segment, one for a segment of one iteration.
template <typename Changed>
std::int64_t FirstChange(std::int64_t n, std::int64_t limit, Changed changed) noexcept {
  std::int64_t unchanged = n;
  std::int64_t step = 1;
  std::int64_t probe = n + 1;
  while (probe < limit && !changed(probe)) {
    unchanged = probe;
    step *= 2;
    probe = limit - unchanged > step ? unchanged + step : limit;
  }
  if (probe >= limit) return limit;
  // changed(probe) holds and changed(unchanged) does not: halve the gap.
  while (probe - unchanged > 1) {
    const std::int64_t middle = unchanged + (probe - unchanged) / 2;
    (changed(middle) ? probe : unchanged) = middle;
  }
  return probe;
}

}  // namespace

std::int64_t EvolutionPlotter::Box::NextChange(std::int64_t n, std::int64_t limit) const noexcept {
  if (!on_ || n + 1 >= limit) return limit;
  const double at = static_cast<double>(n);
  // The column is monotonic in n, so "another column" changes once from false to true.
  const unsigned column = Column(at);
  std::int64_t next =
      FirstChange(n, limit, [&](std::int64_t m) { return Column(static_cast<double>(m)) != column; });
  // "n inside the range" changes where n passes Xmin, then where it passes Xmax.
  if (at < xmin_) {
    next = std::min(next, FirstChange(n, next, [&](std::int64_t m) { return static_cast<double>(m) >= xmin_; }));
  } else if (at <= xmax_) {
    next = std::min(next, FirstChange(n, next, [&](std::int64_t m) { return static_cast<double>(m) > xmax_; }));
  }
  return next;
}

EvolutionPlotter::Segment EvolutionPlotter::SegmentAt(std::int64_t n, std::int64_t limit) const noexcept {
  const double at = static_cast<double>(n);
  Segment s;
  s.columnX = x_.Column(at);
  s.columnY = y_.Column(at);
  s.drawX = x_.Draws(at);
  s.drawY = y_.Draws(at);
  s.end = std::min(x_.NextChange(n, limit), y_.NextChange(n, limit));
  SetDrawnBounds(s);
  return s;
}

void EvolutionPlotter::SetDrawnBounds(Segment& s) const noexcept {
#if defined(__SSE2__)
  const __m128d none = _mm_set1_pd(std::numeric_limits<double>::quiet_NaN());
  const __m128d drawn = _mm_castsi128_pd(_mm_set_epi64x(s.drawY != 0 ? -1 : 0, s.drawX != 0 ? -1 : 0));
  s.min = _mm_or_pd(_mm_and_pd(drawn, vMin_), _mm_andnot_pd(drawn, none));
#else
  (void)s;
#endif
}

void EvolutionPlotter::Plot(double n, double x, double y, Canvas::Pixel pixel) const noexcept {
  Segment s;
  s.columnX = x_.Column(n);
  s.columnY = y_.Column(n);
  s.drawX = x_.Draws(n);
  s.drawY = y_.Draws(n);
  SetDrawnBounds(s);
  PlotRows(target_, s, x, y, pixel);
}

}  // namespace orbitra
