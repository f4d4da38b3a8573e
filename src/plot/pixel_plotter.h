// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/canvas.h"
#include "plot/plot_box.h"

namespace orbitra {

// A world point as the plotters take it: x in the low lane, y in the high lane of one
// vector register where there are vector registers.
#if defined(__SSE2__)
using PackedPoint = __m128d;
inline PackedPoint PackPoint(double x, double y) noexcept { return _mm_set_pd(y, x); }
inline double PackedX(PackedPoint p) noexcept { return _mm_cvtsd_f64(p); }
inline double PackedY(PackedPoint p) noexcept { return _mm_cvtsd_f64(_mm_unpackhi_pd(p, p)); }
#else
struct PackedPoint {
  double x, y;
};
inline PackedPoint PackPoint(double x, double y) noexcept { return {x, y}; }
inline double PackedX(PackedPoint p) noexcept { return p.x; }
inline double PackedY(PackedPoint p) noexcept { return p.y; }
#endif

// The plotters below set exactly the pixels of PlotBox::PlotPixel (same IEEE operations
// in the same order, same truncation), but their values live in the loop's own
// variables, so the compiler need not reload them after every pixel write. A point that
// must not be drawn is written to the canvas's scratch pixel instead. PlotPixel holds a
// pixel coordinate within +-1e9 before it truncates; these truncate at once, since every
// value that hold changes (beyond 1e9, or not a number, which truncates to the most
// negative int) is off the canvas either way.

// Where a loop of plots writes: the canvas's memory and size, taken once.
class PixelTarget {
 public:
  explicit PixelTarget(Canvas& canvas) noexcept
      : bits_(canvas.Bits()),
        width_(static_cast<unsigned>(canvas.Width())),
        height_(static_cast<unsigned>(canvas.Height())),
        scratchIndex_(canvas.ScratchIndex()) {}

  // The pixel at (column, row) when `draw` is 1 and it lies on the canvas; otherwise the
  // scratch pixel.
  void Put(unsigned column, unsigned row, std::size_t draw, Canvas::Pixel pixel) const noexcept {
    PutOnCanvas(column, row, draw & static_cast<std::size_t>(column < width_) & static_cast<std::size_t>(row < height_),
                pixel);
  }
  // The same for a pixel known to lie on the canvas when `draw` is 1. The choice becomes a
  // branch: measured faster than a computed select even with half the points outside the
  // box, since a select puts the comparison on the way to the store's address.
  void PutOnCanvas(unsigned column, unsigned row, std::size_t draw, Canvas::Pixel pixel) const noexcept {
    const std::size_t index = static_cast<std::size_t>(row) * width_ + column;
    bits_[draw != 0 ? index : scratchIndex_] = pixel;
  }
  bool Contains(PixelPoint p) const noexcept {
    return static_cast<unsigned>(p.x) < width_ && static_cast<unsigned>(p.y) < height_;
  }
  unsigned Width() const noexcept { return width_; }

 private:
  Canvas::Pixel* bits_;
  unsigned width_, height_;
  std::size_t scratchIndex_;
};

// One box's transform, for single-pixel plots of world points.
class PixelPlotter {
 public:
  PixelPlotter(const PlotBox& box, Canvas& canvas) noexcept
      : target_(canvas),
        on_(box.Visible != 0 && !box.Degenerate()),
        // Pixels grow with world coordinates, so when the corners of the range lie on the
        // canvas, so does every point inside it.
        insideIsOnCanvas_(target_.Contains(box.WorldToScreen(box.Xmin, box.Ymin)) &&
                          target_.Contains(box.WorldToScreen(box.Xmax, box.Ymax))) {
#if defined(__SSE2__)
    // A box that draws nothing gets bounds that no point lies within.
    const double none = std::numeric_limits<double>::quiet_NaN();
    min_ = on_ ? _mm_set_pd(box.Ymin, box.Xmin) : _mm_set1_pd(none);
    max_ = on_ ? _mm_set_pd(box.Ymax, box.Xmax) : _mm_set1_pd(none);
    scale_ = _mm_set_pd(box.ScaleY, box.ScaleX);
    offset_ = _mm_set_pd(box.OffsetY, box.OffsetX);
#else
    box_ = &box;
#endif
  }

  void Plot(double x, double y, Canvas::Pixel pixel) const noexcept { PlotInto(target_, x, y, pixel); }

  // The same, into a target the caller holds (a loop with several plotters keeps one).
  void PlotInto(const PixelTarget& target, double x, double y, Canvas::Pixel pixel) const noexcept {
    PlotInto(target, PackPoint(x, y), pixel);
  }
  void PlotInto(const PixelTarget& target, PackedPoint point, Canvas::Pixel pixel) const noexcept {
#if defined(__SSE2__)
    // Both coordinates at once.
    const int inside = _mm_movemask_pd(_mm_and_pd(_mm_cmpge_pd(point, min_), _mm_cmple_pd(point, max_)));
    const __m128i pixels = _mm_cvttpd_epi32(_mm_add_pd(_mm_sub_pd(_mm_mul_pd(point, scale_), offset_), _mm_set1_pd(0.5)));
    const auto column = static_cast<unsigned>(_mm_cvtsi128_si32(pixels));
    const auto row = static_cast<unsigned>(_mm_cvtsi128_si32(_mm_shuffle_epi32(pixels, 1)));
    if (insideIsOnCanvas_) {
      target.PutOnCanvas(column, row, static_cast<std::size_t>(inside == 3), pixel);
    } else {
      target.Put(column, row, static_cast<std::size_t>(inside == 3), pixel);
    }
#else
    const double x = point.x, y = point.y;
    const auto column = static_cast<unsigned>(PlotBox::Pix(x * box_->ScaleX - box_->OffsetX));
    const auto row = static_cast<unsigned>(PlotBox::Pix(y * box_->ScaleY - box_->OffsetY));
    target.Put(column, row, static_cast<std::size_t>(box_->Inside(x, y)) & static_cast<std::size_t>(on_), pixel);
#endif
  }

  const PixelTarget& Target() const noexcept { return target_; }

 private:
#if defined(__SSE2__)
  __m128d min_, max_, scale_, offset_;
#else
  const PlotBox* box_;
#endif
  PixelTarget target_;
  bool on_;
  bool insideIsOnCanvas_;
};

// The two evolution boxes: x and y against the iteration number n, each point plotted as
// (n, x) into the X box and (n, y) into the Y box. The column of a box depends on n alone,
// and a long run stays in one column for many iterations: a loop asks for the segment of
// iteration numbers that share both boxes' columns, and per iterate only the rows are
// computed, both boxes side by side (lane 0 the X box, lane 1 the Y box).
class EvolutionPlotter {
 public:
  // Iteration numbers [begin, end) with the same column, and the same "n inside the
  // box's range", in both boxes.
  struct Segment {
    unsigned columnX = 0;
    unsigned columnY = 0;
    std::size_t drawX = 0;  // 1 when the X box draws in this segment
    std::size_t drawY = 0;
    std::int64_t end = 0;
#if defined(__SSE2__)
    // The boxes' lower bounds, not-a-number in a box that does not draw in the segment:
    // "inside" then says whether to draw, with no flag to combine per point.
    __m128d min = _mm_set1_pd(0.0);
#endif
  };

  EvolutionPlotter(const PlotBox& xBox, const PlotBox& yBox, Canvas& canvas) noexcept
      : target_(canvas),
        x_(xBox, target_.Width()),
        y_(yBox, target_.Width()),
        rowsOnCanvas_(x_.RowsOnCanvas(target_) && y_.RowsOnCanvas(target_)) {
#if defined(__SSE2__)
    vMin_ = _mm_set_pd(yBox.Ymin, xBox.Ymin);
    vMax_ = _mm_set_pd(yBox.Ymax, xBox.Ymax);
    rowScale_ = _mm_set_pd(yBox.ScaleY, xBox.ScaleY);
    rowOffset_ = _mm_set_pd(yBox.OffsetY, xBox.OffsetY);
#endif
  }

  // The segment that iteration number n starts, cut at `limit`.
  Segment SegmentAt(std::int64_t n, std::int64_t limit) const noexcept;

  void PlotRows(const PixelTarget& target, const Segment& s, double x, double y, Canvas::Pixel pixel) const noexcept {
    PlotRows(target, s, PackPoint(x, y), pixel);
  }
  void PlotRows(const PixelTarget& target, const Segment& s, PackedPoint value, Canvas::Pixel pixel) const noexcept {
#if defined(__SSE2__)
    // Lane 0 inside the X box's rows and drawn in this segment, lane 1 the same for Y.
    const int inside = _mm_movemask_pd(_mm_and_pd(_mm_cmpge_pd(value, s.min), _mm_cmple_pd(value, vMax_)));
    const __m128i rows =
        _mm_cvttpd_epi32(_mm_add_pd(_mm_sub_pd(_mm_mul_pd(value, rowScale_), rowOffset_), _mm_set1_pd(0.5)));
    const auto rowX = static_cast<unsigned>(_mm_cvtsi128_si32(rows));
    const auto rowY = static_cast<unsigned>(_mm_cvtsi128_si32(_mm_shuffle_epi32(rows, 1)));
    // A segment draws only in columns on the canvas.
    if (rowsOnCanvas_) {
      target.PutOnCanvas(s.columnX, rowX, static_cast<std::size_t>(inside & 1), pixel);
      target.PutOnCanvas(s.columnY, rowY, static_cast<std::size_t>(inside >> 1), pixel);
    } else {
      target.Put(s.columnX, rowX, static_cast<std::size_t>(inside & 1), pixel);
      target.Put(s.columnY, rowY, static_cast<std::size_t>(inside >> 1), pixel);
    }
#else
    const double x = value.x, y = value.y;
    target.Put(s.columnX, x_.Row(x), s.drawX & x_.RowInside(x), pixel);
    target.Put(s.columnY, y_.Row(y), s.drawY & y_.RowInside(y), pixel);
#endif
  }

  // One point at any iteration number.
  void Plot(double n, double x, double y, Canvas::Pixel pixel) const noexcept;

  const PixelTarget& Target() const noexcept { return target_; }

 private:
  // What one box needs to place a point.
  class Box {
   public:
    Box(const PlotBox& box, unsigned canvasWidth) noexcept;
    // The column of iteration number n and whether the box draws there at all.
    unsigned Column(double n) const noexcept;
    std::size_t Draws(double n) const noexcept;
    // The first iteration number after n, up to `limit`, with another column or "inside".
    std::int64_t NextChange(std::int64_t n, std::int64_t limit) const noexcept;
    unsigned Row(double v) const noexcept;
    std::size_t RowInside(double v) const noexcept;
    // Whether every row of the range lies on the canvas (rows grow with values, so the
    // rows of the bounds decide); a box that draws nothing needs none.
    bool RowsOnCanvas(const PixelTarget& target) const noexcept;

   private:
    double xmin_, xmax_, ymin_, ymax_, scaleX_, offsetX_, scaleY_, offsetY_;
    unsigned canvasWidth_;
    bool on_;
  };

  // Sets the segment's lower bounds from its draw flags.
  void SetDrawnBounds(Segment& s) const noexcept;

  PixelTarget target_;
  Box x_;
  Box y_;
  bool rowsOnCanvas_;
#if defined(__SSE2__)
  __m128d vMin_, vMax_, rowScale_, rowOffset_;
#endif
};

}  // namespace orbitra
