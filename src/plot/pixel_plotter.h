#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/canvas.h"
#include "plot/plot_box.h"

namespace orbitra {

// PlotBox::Pix without branches: the clamping to far outside the canvas uses the
// processor's min and max instructions where there are some. Same results.
inline int PixNoBranch(double v) noexcept {
#if defined(__SSE2__)
  __m128d d = _mm_set_sd(v + 0.5);
  d = _mm_max_sd(d, _mm_set_sd(-1e9));  // not-a-number becomes -1e9, as in Pix
  d = _mm_min_sd(d, _mm_set_sd(1e9));
  return _mm_cvttsd_si32(d);
#else
  return PlotBox::Pix(v);
#endif
}

// A box's transform and a canvas's memory, taken once for a long loop of single-pixel
// plots (a run, a replay). Plot sets exactly the pixels of PlotBox::PlotPixel, but its
// values live in the loop's own variables, so the compiler need not reload them after
// every pixel write.
class PixelPlotter {
 public:
  PixelPlotter(const PlotBox& box, Canvas& canvas) noexcept
      : xmin_(box.Xmin),
        xmax_(box.Xmax),
        ymin_(box.Ymin),
        ymax_(box.Ymax),
        scaleX_(box.ScaleX),
        offsetX_(box.OffsetX),
        scaleY_(box.ScaleY),
        offsetY_(box.OffsetY),
        bits_(canvas.Bits()),
        width_(static_cast<unsigned>(canvas.Width())),
        height_(static_cast<unsigned>(canvas.Height())),
        scratchIndex_(canvas.ScratchIndex()),
        on_(box.Visible != 0 && !box.Degenerate()) {}

  // Without a branch on the point: an orbit that wanders in and out of the box would
  // make such a branch mispredict at random. A point that must not be drawn is written
  // to the canvas's scratch pixel instead, chosen with a mask so that the compiler
  // cannot turn the choice back into jumps.
  void Plot(double x, double y, Canvas::Pixel pixel) const noexcept {
    const std::size_t inX = static_cast<std::size_t>(x >= xmin_) & static_cast<std::size_t>(x <= xmax_);
    PlotRow(inX, static_cast<unsigned>(PixNoBranch(x * scaleX_ - offsetX_)), y, pixel);
  }

  // The second half of Plot, for a column already known: inX says whether the point's
  // horizontal coordinate lies in the range, column is its pixel column.
  void PlotRow(std::size_t inX, unsigned column, double y, Canvas::Pixel pixel) const noexcept {
    const auto row = static_cast<unsigned>(PixNoBranch(y * scaleY_ - offsetY_));
    const std::size_t draw = inX & static_cast<std::size_t>(on_) & static_cast<std::size_t>(y >= ymin_) &
                             static_cast<std::size_t>(y <= ymax_) & static_cast<std::size_t>(column < width_) &
                             static_cast<std::size_t>(row < height_);
    const std::size_t mask = 0 - draw;
    const std::size_t index = ((static_cast<std::size_t>(row) * width_ + column) & mask) | (scratchIndex_ & ~mask);
    bits_[index] = pixel;
  }

  // Whether another plotter maps horizontal coordinates to the same columns.
  bool SameColumns(const PixelPlotter& other) const noexcept {
    return xmin_ == other.xmin_ && xmax_ == other.xmax_ && scaleX_ == other.scaleX_ && offsetX_ == other.offsetX_;
  }
  std::size_t InX(double x) const noexcept {
    return static_cast<std::size_t>(x >= xmin_) & static_cast<std::size_t>(x <= xmax_);
  }
  unsigned Column(double x) const noexcept { return static_cast<unsigned>(PixNoBranch(x * scaleX_ - offsetX_)); }

 private:
  double xmin_, xmax_, ymin_, ymax_;
  double scaleX_, offsetX_, scaleY_, offsetY_;
  Canvas::Pixel* bits_;
  unsigned width_, height_;
  std::size_t scratchIndex_;
  bool on_;
};

// The two evolution boxes, x and y against the iteration number. They normally share
// their horizontal range and position, and then the column of n is computed once.
class EvolutionPlotter {
 public:
  EvolutionPlotter(const PlotBox& xBox, const PlotBox& yBox, Canvas& canvas) noexcept
      : x_(xBox, canvas), y_(yBox, canvas), shared_(x_.SameColumns(y_)) {}

  void Plot(double n, double x, double y, Canvas::Pixel pixel) const noexcept {
    if (shared_) {
      const std::size_t inN = x_.InX(n);
      const unsigned column = x_.Column(n);
      x_.PlotRow(inN, column, x, pixel);
      y_.PlotRow(inN, column, y, pixel);
    } else {
      x_.Plot(n, x, pixel);
      y_.Plot(n, y, pixel);
    }
  }

 private:
  PixelPlotter x_;
  PixelPlotter y_;
  bool shared_;
};

}  // namespace orbitra
