// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "maps/world_geometry.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "plot/pixel_point.h"

namespace orbitra {

// A rectangle of the mapping window that shows a rectangular range of a world plane,
// with the affine world-to-pixel transform derived from both. Copyable value type.
class PlotBox {
 public:
  // Flags and settings, as edited through the box dialog.
  int RoundScales = 1;
  int ShowTicks = 1;
  int ShowLabels = 1;
  int FatBorder = 1;
  int Visible = 1;
  std::string Label = "gvgbs";
  int PenX = 100;
  int PenY = 0;
  double Xmin = -0.5;
  double Xmax = 1.0;
  double Ymin = -1.0;
  double Ymax = 1.0;
  // The transform, valid from the last SetScreenRect on.
  double ScaleX = 0.0;
  double ScaleY = 0.0;
  double OffsetX = 0.0;
  double OffsetY = 0.0;
  int LeftPct = 50;
  int RightPct = 90;
  int TopPct = 10;
  int BottomPct = 90;
  int TicksX = 4;
  int TicksY = 8;
  int TickWidthY = 4;
  int TickWidthX = 4;
  int DigitsX = 2;
  int DigitsY = 2;

  // Stores the range, rounded outward by RoundRange first when RoundScales is set.
  void SetRange(double xmin, double ymin, double xmax, double ymax);
  WorldRange GetRange() const noexcept { return WorldRange{Xmin, Xmax, Ymin, Ymax}; }

  // Stores the percentages after replacing invalid ones (see the definition).
  void SetScreenPercent(int left, int top, int right, int bottom);
  void GetScreenPercent(int& left, int& top, int& right, int& bottom) const noexcept;
  void SetTicks(int ticksX, int ticksY, int tickWidthX, int tickWidthY, int digitsX, int digitsY) noexcept;
  void GetTicks(int& ticksX, int& ticksY, int& tickWidthX, int& tickWidthY, int& digitsX,
                int& digitsY) const noexcept;

  // Computes the transform for a client area (left, top, right, bottom).
  void SetScreenRect(int left, int top, int right, int bottom) noexcept;

  // No usable transform: the range has zero, undefined or infinite width or height, the
  // box has no pixel of width or height, or SetScreenRect has not run yet. Every world
  // point then maps to the box's bottom-left pixel; nothing is plotted, no pixel maps back
  // inside, and the box is drawn as an empty frame with its title.
  bool Degenerate() const noexcept { return degenerate_; }

  // Bounds included; a coordinate that is not a number is outside.
  bool Inside(double x, double y) const noexcept { return x >= Xmin && x <= Xmax && y >= Ymin && y <= Ymax; }

  // The pixel of a world point, without clipping; (0, 0) for an invisible box.
  PixelPoint WorldToScreen(double x, double y) const noexcept {
    if (Visible == 0) return PixelPoint{0, 0};
    return PixelPoint{Pix(x * ScaleX - OffsetX), Pix(y * ScaleY - OffsetY)};
  }
  // Writes the world point of a pixel; true when it lies inside the range. A degenerate
  // box writes (Xmin, Ymin) and reports outside.
  bool ScreenToWorld(int px, int py, double& x, double& y) const noexcept;

  // One pixel at a world point inside a visible box. The raw form takes a pixel value
  // made once with Canvas::ToPixel: it is the hot path of every run and replay.
  void PlotPoint(Canvas& canvas, double x, double y, Colour colour) const noexcept {
    PlotPixel(canvas, x, y, Canvas::ToPixel(colour));
  }
  void PlotPixel(Canvas& canvas, double x, double y, Canvas::Pixel pixel) const noexcept {
    if (Visible == 0 || degenerate_ || !Inside(x, y)) return;
    canvas.SetPixelRaw(Pix(x * ScaleX - OffsetX), Pix(y * ScaleY - OffsetY), pixel);
  }
  // The same as the canvas's point square (Canvas::SetPointRaw), for a picture drawn larger
  // than the window.
  void PlotPointSquare(Canvas& canvas, double x, double y, Canvas::Pixel pixel) const noexcept {
    if (Visible == 0 || degenerate_ || !Inside(x, y)) return;
    canvas.SetPointRaw(Pix(x * ScaleX - OffsetX), Pix(y * ScaleY - OffsetY), pixel);
  }
  // A (2n+1) by (2n+1) square around a world point; with clip, only inside the range.
  // Only the part that lies on the canvas is visited, whatever n.
  void PlotBoldPoint(Canvas& canvas, double x, double y, int n, Colour colour, bool clip) const noexcept;

  void MoveToWorld(double x, double y) noexcept;
  void LineToWorld(Canvas& canvas, double x, double y) noexcept;
  // The lines y = y0 and x = x0 across the whole range, unclipped; the pen is kept.
  void DrawAxisLines(Canvas& canvas, double x0, double y0) noexcept;

  // Drawing: SetScreenRect, then the frame with ticks and labels, then the title.
  void Draw(Canvas& canvas, int left, int top, int right, int bottom);
  void DrawFrame(Canvas& canvas);
  void DrawTitle(Canvas& canvas);

  // Pixel rounding: add 0.5 and truncate toward zero. Values beyond any screen (and
  // not-a-number) are held far outside the canvas instead of overflowing an int.
  static int Pix(double v) noexcept {
    v += 0.5;
    v = v > -kFarPixel ? v : -kFarPixel;
    v = v < kFarPixel ? v : kFarPixel;
    return static_cast<int>(v);
  }

 private:
  static constexpr double kFarPixel = 1e9;

  bool degenerate_ = true;
  // The box's pixel rectangle from the last SetScreenRect, for drawing a degenerate box.
  int screenLeft_ = 0;
  int screenTop_ = 0;
  int screenRight_ = 0;
  int screenBottom_ = 0;
};

// The half size of the 5 by 5 squares that mark a point, grown with the picture's text.
inline int MarkHalfSize(const Canvas& canvas) noexcept { return static_cast<int>(canvas.Scaled(2)); }

// Rounds (lo, hi) outward to multiples of a power of ten that suits the span; spans not
// above 1e-9 (zero, negative or undefined) and infinite ones are left alone.
void RoundRange(double& lo, double& hi) noexcept;

}  // namespace orbitra
