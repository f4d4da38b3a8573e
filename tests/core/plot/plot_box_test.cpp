// SPDX-License-Identifier: GPL-3.0-or-later
// Range rounding, screen percentages, the world-to-pixel transform and point plotting.
// Pixel expectations are worked out by hand from an 800 by 600 client area.
#include "plot/plot_box.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/canvas.h"

namespace orbitra {
namespace {

constexpr Colour kRed = Colour::FromRgb(160, 0, 0);

int CountNotWhite(const Canvas& c) {
  int n = 0;
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x) n += c.GetPixel(x, y) != kWhite;
  return n;
}

// The phase plane of the single-box layout on 800 by 600 pixels: columns 240 to 792 and
// rows 60 to 540. The range is stored as given.
PlotBox SingleLayoutBox(double xmin, double ymin, double xmax, double ymax) {
  PlotBox box;
  box.RoundScales = 0;
  box.SetRange(xmin, ymin, xmax, ymax);
  box.SetScreenPercent(30, 10, 99, 90);
  box.SetScreenRect(0, 0, 800, 600);
  return box;
}

struct RoundCase {
  double lo, hi, wantLo, wantHi;
};

TEST(RoundRange, WidensToMultiplesOfAStepThatSuitsTheSpan) {
  const RoundCase cases[] = {
      {0, 6.283185307, 0, 7}, {-0.5, 1.0, -0.5, 1.0}, {-3.3, 3.3, -4, 4},     {0, 1000, 0, 1000},
      {0.93, 2.07, 0.9, 2.1}, {1.04, 1.96, 1.0, 2.0}, {0.52, 0.61, 0.5, 0.7}, {0.512, 0.539, 0.51, 0.54},
      {0.0, 0.05, 0.0, 0.1},  {0, 1234, 0, 1300},     {0, 35, 0, 40},
  };
  for (const RoundCase& c : cases) {
    double lo = c.lo, hi = c.hi;
    RoundRange(lo, hi);
    EXPECT_DOUBLE_EQ(lo, c.wantLo) << c.lo << ", " << c.hi;
    EXPECT_DOUBLE_EQ(hi, c.wantHi) << c.lo << ", " << c.hi;
  }
}

TEST(RoundRange, IsNotIdempotent) {
  double lo = 0.05, hi = 3.15;
  RoundRange(lo, hi);
  EXPECT_DOUBLE_EQ(lo, 0.0);
  EXPECT_DOUBLE_EQ(hi, 3.2);
  RoundRange(lo, hi);  // the span 3.2 takes the step 1
  EXPECT_DOUBLE_EQ(lo, 0.0);
  EXPECT_DOUBLE_EQ(hi, 4.0);
}

TEST(RoundRange, LeavesSpansWithoutAStepAlone) {
  const double inf = std::numeric_limits<double>::infinity();
  const double max = std::numeric_limits<double>::max();
  // Zero, inverted, tiny and infinite spans; next to the largest double rounding would
  // overflow to infinity.
  const RoundCase cases[] = {
      {2, 2, 2, 2}, {5, 1, 5, 1}, {1, 1 + 1e-10, 1, 1 + 1e-10}, {0, inf, 0, inf}, {0, max, 0, max}};
  for (const RoundCase& c : cases) {
    double lo = c.lo, hi = c.hi;
    RoundRange(lo, hi);
    EXPECT_EQ(lo, c.wantLo);
    EXPECT_EQ(hi, c.wantHi);
  }
}

TEST(PlotBox, SetRangeRoundsOnlyWithRoundScales) {
  PlotBox box;
  box.SetRange(-0.5, -1, 1, 1);
  EXPECT_EQ(box.GetRange(), (WorldRange{-0.5, 1, -1, 1}));
  box.SetRange(0, 0, 6.283185307, 6.283185307);
  EXPECT_EQ(box.GetRange(), (WorldRange{0, 7, 0, 7}));
  box.RoundScales = 0;
  box.SetRange(0, 0, 6.283185307, 6.283185307);
  EXPECT_EQ(box.GetRange(), (WorldRange{0, 6.283185307, 0, 6.283185307}));
  // An inverted range is stored as given, even with rounding on.
  box.RoundScales = 1;
  box.SetRange(5, 0, 1, 7);
  EXPECT_EQ(box.GetRange(), (WorldRange{5, 1, 0, 7}));
}

TEST(PlotBox, SetScreenPercentReplacesInvalidValuesInOrder) {
  struct Case {
    int l, t, r, b, wl, wt, wr, wb;
  };
  const Case cases[] = {
      {50, 5, 40, 50, 1, 5, 40, 50},
      {0, 0, 0, 0, 1, 1, 100, 100},
      {30, 10, 150, 90, 30, 10, 100, 90},
      {-5, 101, 20, 30, 1, 1, 20, 30},
      {30, 10, 99, 90, 30, 10, 99, 90},
      {100, 90, 100, 80, 1, 1, 100, 80},
      // The right and bottom tests see the left and top already replaced.
      {50, 5, 1, 50, 1, 5, 100, 50},
      {10, 60, 20, 1, 10, 1, 20, 100},
  };
  for (const Case& c : cases) {
    PlotBox box;
    box.SetScreenPercent(c.l, c.t, c.r, c.b);
    int l, t, r, b;
    box.GetScreenPercent(l, t, r, b);
    EXPECT_EQ(l, c.wl) << c.l << " " << c.t << " " << c.r << " " << c.b;
    EXPECT_EQ(t, c.wt);
    EXPECT_EQ(r, c.wr);
    EXPECT_EQ(b, c.wb);
  }
}

TEST(PlotBox, PixelRoundingTruncatesTowardZeroAndSaturates) {
  EXPECT_EQ(PlotBox::Pix(-1.2), 0);
  EXPECT_EQ(PlotBox::Pix(-1.6), -1);
  // Values beyond any screen stay beyond it instead of wrapping round an int.
  EXPECT_GT(PlotBox::Pix(1e300), 1 << 28);
  EXPECT_LT(PlotBox::Pix(-1e300), -(1 << 28));
  EXPECT_LT(PlotBox::Pix(std::numeric_limits<double>::quiet_NaN()), -(1 << 28));
}

TEST(PlotBox, TransformPutsTheRangeOnTheBoxAndYUp) {
  const PlotBox box = SingleLayoutBox(0, 0, 7, 7);
  EXPECT_EQ(box.WorldToScreen(0, 7), (PixelPoint{240, 60}));
  EXPECT_EQ(box.WorldToScreen(7, 0), (PixelPoint{792, 540}));
  EXPECT_EQ(box.WorldToScreen(3.5, 3.5), (PixelPoint{516, 300}));
  // No clipping: points outside the range land outside the box; -36 and -180 round
  // toward zero after adding the half.
  EXPECT_EQ(box.WorldToScreen(-3.5, 10.5), (PixelPoint{-35, -179}));
  EXPECT_EQ(box.WorldToScreen(10.5, -3.5), (PixelPoint{1068, 780}));

  Canvas canvas(800, 600);
  box.PlotPoint(canvas, 3.5, 3.5, kRed);
  EXPECT_EQ(canvas.GetPixel(516, 300), kRed);
  // The bounds belong to the box.
  box.PlotPoint(canvas, 7, 0, kRed);
  EXPECT_EQ(canvas.GetPixel(792, 540), kRed);
  EXPECT_EQ(CountNotWhite(canvas), 2);
}

TEST(PlotBox, PointsAHairOutsideOrNotANumberAreNotPlotted) {
  const PlotBox box = SingleLayoutBox(0, 0, 7, 7);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Canvas canvas(800, 600);
  const double above7 = std::nextafter(7.0, 8.0), below0 = std::nextafter(0.0, -1.0);
  box.PlotPoint(canvas, above7, 3, kRed);
  box.PlotPoint(canvas, 3, above7, kRed);
  box.PlotPoint(canvas, below0, 3, kRed);
  box.PlotPoint(canvas, 3, below0, kRed);
  box.PlotPoint(canvas, nan, 3, kRed);
  box.PlotPoint(canvas, 3, nan, kRed);
  EXPECT_EQ(CountNotWhite(canvas), 0);
  EXPECT_FALSE(box.Inside(nan, nan));
  // The transform still puts such a point on the frame.
  EXPECT_EQ(box.WorldToScreen(above7, 0), (PixelPoint{792, 540}));
}

TEST(PlotBox, ScreenToWorldWritesThePointAndReportsWhetherItIsInside) {
  const PlotBox box = SingleLayoutBox(0, 0, 7, 7);
  double x = 0, y = 0;
  EXPECT_TRUE(box.ScreenToWorld(516, 300, x, y));
  EXPECT_DOUBLE_EQ(x, 3.5);
  EXPECT_DOUBLE_EQ(y, 3.5);
  EXPECT_TRUE(box.ScreenToWorld(240, 540, x, y));  // the bottom-left corner is (0, 0)
  EXPECT_EQ(x, 0.0);
  EXPECT_EQ(y, 0.0);
  // Left of the box: outside, yet the world point is written (one pixel is 7/552).
  EXPECT_FALSE(box.ScreenToWorld(239, 300, x, y));
  EXPECT_DOUBLE_EQ(x, -7.0 / 552);
  EXPECT_DOUBLE_EQ(y, 3.5);
  // Below the box: one pixel is 7/480 vertically.
  EXPECT_FALSE(box.ScreenToWorld(516, 541, x, y));
  EXPECT_DOUBLE_EQ(x, 3.5);
  EXPECT_DOUBLE_EQ(y, -7.0 / 480);
}

TEST(PlotBox, BoldPointIsASquareOfTwoNPlusOne) {
  const PlotBox box = SingleLayoutBox(0, 0, 7, 7);
  Canvas canvas(800, 600);
  box.PlotBoldPoint(canvas, 3.5, 3.5, 2, kRed, true);
  EXPECT_EQ(CountNotWhite(canvas), 25);
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) EXPECT_EQ(canvas.GetPixel(516 + dx, 300 + dy), kRed) << dx << "," << dy;

  Canvas one(800, 600);
  box.PlotBoldPoint(one, 3.5, 3.5, 0, kRed, true);
  EXPECT_EQ(CountNotWhite(one), 1);
  box.PlotBoldPoint(one, 1, 1, -1, kRed, false);
  EXPECT_EQ(CountNotWhite(one), 1);

  // Outside the range: only without clipping (the mouse marks), centred where it falls.
  Canvas outside(800, 600);
  box.PlotBoldPoint(outside, -0.7, 3.5, 2, kRed, true);
  EXPECT_EQ(CountNotWhite(outside), 0);
  box.PlotBoldPoint(outside, -0.7, 3.5, 2, kRed, false);  // column 240 - 55.2 -> 185
  EXPECT_EQ(CountNotWhite(outside), 25);
  EXPECT_EQ(outside.GetPixel(185, 300), kRed);
  EXPECT_EQ(outside.GetPixel(183, 298), kRed);

  // A square far larger than the canvas is cut to it and does not take long.
  Canvas full(80, 60);
  box.PlotBoldPoint(full, 3.5, 3.5, 1'000'000'000, kRed, true);
  EXPECT_EQ(CountNotWhite(full), 80 * 60);
}

TEST(PlotBox, InvisibleBoxDrawsAndPlotsNothing) {
  PlotBox box = SingleLayoutBox(0, 0, 7, 7);
  box.Visible = 0;
  Canvas canvas(800, 600);
  box.PlotPoint(canvas, 3.5, 3.5, kRed);
  box.PlotBoldPoint(canvas, 3.5, 3.5, 2, kRed, false);
  box.PenX = 300;
  box.PenY = 200;
  box.LineToWorld(canvas, 6, 6);
  EXPECT_EQ(box.PenX, 300);  // the pen does not move either
  box.DrawAxisLines(canvas, 3, 3);
  box.Draw(canvas, 0, 0, 800, 600);
  EXPECT_EQ(CountNotWhite(canvas), 0);
  EXPECT_EQ(box.WorldToScreen(3.5, 3.5), (PixelPoint{0, 0}));
}

TEST(PlotBox, AxisLinesSpanTheRangeWhereverZeroFalls) {
  // Range [1, 9] by [0.5, 6.5]: 69 pixels per unit across, 80 up; x = 0 is column 171,
  // y = 0 row 580, both outside the frame.
  PlotBox box = SingleLayoutBox(1, 0.5, 9, 6.5);
  Canvas canvas(800, 600);
  box.DrawAxisLines(canvas, 0, 0);
  EXPECT_EQ(box.PenX, 100);  // the pen is left as it was
  EXPECT_EQ(box.PenY, 0);
  for (int x = 240; x < 792; ++x) EXPECT_EQ(canvas.GetPixel(x, 580), kBlack) << x;
  for (int y = 61; y <= 540; ++y) EXPECT_EQ(canvas.GetPixel(171, y), kBlack) << y;
  EXPECT_EQ(CountNotWhite(canvas), 552 + 480);
  for (int y = 60; y <= 540; ++y) EXPECT_EQ(canvas.GetPixel(240, y), kWhite) << y;

  // Only the horizontal range excludes 0: the line y = 0 crosses the box at row 300.
  PlotBox inside = SingleLayoutBox(1, -3, 9, 3);
  Canvas c2(800, 600);
  inside.DrawAxisLines(c2, 0, 0);
  EXPECT_EQ(c2.GetPixel(500, 300), kBlack);
  EXPECT_EQ(c2.GetPixel(171, 200), kBlack);
  EXPECT_EQ(c2.GetPixel(500, 580), kWhite);
}

TEST(PlotBox, InvertedRangeIsDrawnMirroredAndPlotsNothing) {
  PlotBox box = SingleLayoutBox(5, 0, 1, 7);
  EXPECT_FALSE(box.Degenerate());
  EXPECT_EQ(box.WorldToScreen(5, 7), (PixelPoint{240, 60}));  // Xmin still on the left column
  EXPECT_EQ(box.WorldToScreen(1, 0), (PixelPoint{792, 540}));
  Canvas canvas(800, 600);
  box.PlotPoint(canvas, 3, 3, kRed);
  box.PlotBoldPoint(canvas, 3, 3, 2, kRed, true);
  EXPECT_EQ(CountNotWhite(canvas), 0);
}

TEST(PlotBox, RangeWithoutExtentPlotsNothingAndIsDrawnEmpty) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const WorldRange ranges[] = {{2, 2, 0, 7},      {0, 7, 3, 3},          {2, 2, 3, 3},
                               {0, 1e-310, 0, 7}, {-1e308, 1e308, 0, 7}, {nan, 7, 0, 7}};
  for (const WorldRange& r : ranges) {
    SCOPED_TRACE(::testing::Message() << r.Xmin << " " << r.Xmax << " " << r.Ymin << " " << r.Ymax);
    PlotBox box = SingleLayoutBox(r.Xmin, r.Ymin, r.Xmax, r.Ymax);
    EXPECT_TRUE(box.Degenerate());
    Canvas canvas(800, 600);
    box.PlotPoint(canvas, r.Xmin, r.Ymin, kRed);
    box.PlotPoint(canvas, 2, 3, kRed);
    box.PlotBoldPoint(canvas, 2, 3, 2, kRed, false);
    EXPECT_EQ(CountNotWhite(canvas), 0);
    double x = 0, y = 0;
    EXPECT_FALSE(box.ScreenToWorld(516, 300, x, y));
    EXPECT_FALSE(std::isinf(x) || std::isinf(y));
    // The box's place gets its two frames (perimeters of 552 by 480 and 554 by 482
    // pixels) and nothing else: no ticks.
    box.Draw(canvas, 0, 0, 800, 600);
    EXPECT_EQ(canvas.GetPixel(240, 60), kBlack);
    EXPECT_EQ(canvas.GetPixel(791, 539), kBlack);
    EXPECT_EQ(canvas.GetPixel(239, 59), kBlack);
    EXPECT_EQ(canvas.GetPixel(792, 540), kBlack);
    EXPECT_EQ(CountNotWhite(canvas), 2 * (552 + 480) - 4 + 2 * (554 + 482) - 4);
  }
  // A box with no transform yet plots nothing.
  PlotBox fresh;
  Canvas canvas(100, 100);
  fresh.PlotPoint(canvas, 0, 0, kRed);
  EXPECT_EQ(CountNotWhite(canvas), 0);
}

TEST(PlotBox, FarAwayPointsAndLinesStayOffTheCanvas) {
  // A tiny span makes the scale enormous; far points must saturate, not wrap round.
  PlotBox box = SingleLayoutBox(0, 0, 1e-300, 1e-300);
  ASSERT_FALSE(box.Degenerate());
  const PixelPoint far = box.WorldToScreen(1e300, -1e300);
  EXPECT_GT(far.x, 800);
  EXPECT_GT(far.y, 600);
  Canvas canvas(800, 600);
  box.PlotBoldPoint(canvas, 1e300, -1e300, 2, kRed, false);
  box.PlotBoldPoint(canvas, -1e300, 1e300, 2, kRed, false);
  EXPECT_EQ(CountNotWhite(canvas), 0);
  box.PlotPoint(canvas, 0.5e-300, 0.5e-300, kRed);
  EXPECT_EQ(canvas.GetPixel(516, 300), kRed);
  // A line between two far points crossing the canvas is cut to it.
  box.MoveToWorld(-1e300, 0.5e-300);
  box.LineToWorld(canvas, 1e300, 0.5e-300);
  for (int x = 0; x < 800; x += 50) EXPECT_EQ(canvas.GetPixel(x, 300), kBlack) << x;
  EXPECT_EQ(CountNotWhite(canvas), 800);
}

}  // namespace
}  // namespace orbitra
