#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/canvas.h"
#include "plot/plot_box.h"

namespace orbitra {

// A box's transform and a canvas's memory, taken once for a long loop of single-pixel
// plots (a run, a replay). Plot gives exactly the pixels of PlotBox::PlotPixel, but its
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
        on_(box.Visible != 0 && !box.Degenerate()) {}

  // Without a branch on the point: an orbit that wanders in and out of the box would
  // make such a branch mispredict at random, which costs more than the whole plot. A
  // point that must not be drawn is written to a scratch pixel instead.
  void Plot(double x, double y, Canvas::Pixel pixel) noexcept {
    const bool inside = on_ & (x >= xmin_) & (x <= xmax_) & (y >= ymin_) & (y <= ymax_);
    const auto px = static_cast<unsigned>(PlotBox::Pix(x * scaleX_ - offsetX_));
    const auto py = static_cast<unsigned>(PlotBox::Pix(y * scaleY_ - offsetY_));
    const bool onCanvas = inside & (px < width_) & (py < height_);
    Canvas::Pixel* target = onCanvas ? bits_ + (static_cast<std::size_t>(py) * width_ + px) : &scratch_;
    *target = pixel;
  }

 private:
  double xmin_, xmax_, ymin_, ymax_;
  double scaleX_, offsetX_, scaleY_, offsetY_;
  Canvas::Pixel* bits_;
  unsigned width_, height_;
  bool on_;
  Canvas::Pixel scratch_ = 0;
};

}  // namespace orbitra
