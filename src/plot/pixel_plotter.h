#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/canvas.h"
#include "plot/plot_box.h"

namespace orbitra {

// A box's transform and a canvas's memory, taken once for a long loop of single-pixel
// plots (a run). Plot sets exactly the pixels of PlotBox::PlotPixel (same IEEE
// operations in the same order, same clamping and truncation), but its values live in
// the loop's own variables, so the compiler need not reload them after every pixel
// write. It does not branch on the point: an orbit that wanders in and out of the box
// would make such a branch mispredict at random. A point that must not be drawn is
// written to the canvas's scratch pixel instead.
class PixelPlotter {
 public:
  PixelPlotter(const PlotBox& box, Canvas& canvas) noexcept
      : bits_(canvas.Bits()),
        width_(static_cast<unsigned>(canvas.Width())),
        height_(static_cast<unsigned>(canvas.Height())),
        scratchIndex_(canvas.ScratchIndex()),
        on_(box.Visible != 0 && !box.Degenerate()) {
#if defined(__SSE2__)
    min_ = _mm_set_pd(box.Ymin, box.Xmin);
    max_ = _mm_set_pd(box.Ymax, box.Xmax);
    scale_ = _mm_set_pd(box.ScaleY, box.ScaleX);
    offset_ = _mm_set_pd(box.OffsetY, box.OffsetX);
#else
    box_ = &box;
#endif
  }

  void Plot(double x, double y, Canvas::Pixel pixel) const noexcept {
#if defined(__SSE2__)
    // Both coordinates at once: x in the low lane, y in the high lane.
    const __m128d point = _mm_set_pd(y, x);
    const int inside = _mm_movemask_pd(_mm_and_pd(_mm_cmpge_pd(point, min_), _mm_cmple_pd(point, max_)));
    __m128d v = _mm_sub_pd(_mm_mul_pd(point, scale_), offset_);
    v = _mm_add_pd(v, _mm_set1_pd(0.5));
    v = _mm_max_pd(v, _mm_set1_pd(-1e9));  // not-a-number becomes -1e9, as in PlotBox::Pix
    v = _mm_min_pd(v, _mm_set1_pd(1e9));
    const __m128i pixels = _mm_cvttpd_epi32(v);
    const auto column = static_cast<unsigned>(_mm_cvtsi128_si32(pixels));
    const auto row = static_cast<unsigned>(_mm_cvtsi128_si32(_mm_shuffle_epi32(pixels, 1)));
    const std::size_t draw = static_cast<std::size_t>(inside == 3) & static_cast<std::size_t>(on_);
#else
    const std::size_t draw = static_cast<std::size_t>(box_->Inside(x, y)) & static_cast<std::size_t>(on_);
    const auto column = static_cast<unsigned>(PlotBox::Pix(x * box_->ScaleX - box_->OffsetX));
    const auto row = static_cast<unsigned>(PlotBox::Pix(y * box_->ScaleY - box_->OffsetY));
#endif
    const std::size_t onCanvas =
        draw & static_cast<std::size_t>(column < width_) & static_cast<std::size_t>(row < height_);
    const std::size_t mask = 0 - onCanvas;
    const std::size_t index = ((static_cast<std::size_t>(row) * width_ + column) & mask) | (scratchIndex_ & ~mask);
    bits_[index] = pixel;
  }

 private:
#if defined(__SSE2__)
  __m128d min_, max_, scale_, offset_;
#else
  const PlotBox* box_;
#endif
  Canvas::Pixel* bits_;
  unsigned width_, height_;
  std::size_t scratchIndex_;
  bool on_;
};

// The two evolution boxes: x and y against the iteration number n.
class EvolutionPlotter {
 public:
  EvolutionPlotter(const PlotBox& xBox, const PlotBox& yBox, Canvas& canvas) noexcept
      : x_(xBox, canvas), y_(yBox, canvas) {}

  void Plot(double n, double x, double y, Canvas::Pixel pixel) const noexcept {
    x_.Plot(n, x, pixel);
    y_.Plot(n, y, pixel);
  }

 private:
  PixelPlotter x_;
  PixelPlotter y_;
};

}  // namespace orbitra
