// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "plot/pixel_plotter.h"

namespace orbitra {
namespace {

bool SamePicture(const Canvas& a, const Canvas& b) {
  return std::equal(a.Bits(), a.Bits() + a.Width() * a.Height(), b.Bits());
}

// The fast plotters of the run loop must set exactly the pixels PlotPixel sets, for
// points inside, on the bounds, outside, far away and not a number.
TEST(PixelPlotter, SetsExactlyThePixelsOfPlotPixel) {
  PlotBox box;
  box.SetRange(-1.0, -1.0, 1.0, 1.0);
  box.SetScreenRect(0, 0, 400, 300);
  std::mt19937 random(7);
  std::uniform_real_distribution<double> coordinate(-1.3, 1.3);
  const double specials[] = {-1.0, 1.0, 1e300, -1e300, std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity()};
  Canvas expected(400, 300), actual(400, 300);
  const PixelPlotter plotter(box, actual);
  for (int i = 0; i < 20000; ++i) {
    const double x = i < 36 ? specials[i % 6] : coordinate(random);
    const double y = i < 36 ? specials[i / 6] : coordinate(random);
    box.PlotPixel(expected, x, y, 0xFF102030u);
    plotter.Plot(x, y, 0xFF102030u);
  }
  EXPECT_TRUE(SamePicture(expected, actual));

  // A box that is not visible, or has no usable range, gets nothing.
  PlotBox hidden = box;
  hidden.Visible = 0;
  PlotBox flat = box;
  flat.SetRange(0.5, -1.0, 0.5, 1.0);
  flat.SetScreenRect(0, 0, 400, 300);
  Canvas untouched(400, 300), plotted(400, 300);
  const PixelPlotter hiddenPlotter(hidden, plotted), flatPlotter(flat, plotted);
  hiddenPlotter.Plot(0.0, 0.0, 0xFF000000u);
  flatPlotter.Plot(0.5, 0.0, 0xFF000000u);
  EXPECT_TRUE(SamePicture(untouched, plotted));
}

// Points drawn from the kept ones in a picture at twice or three times the window's size
// cover a square of that side: pixels (x, y) to (x + 1, y + 1) at 2x, (x - 1, y - 1) to
// (x + 1, y + 1) at 3x; 1.25 rounds to single pixels.
TEST(PlotBox, PointSquaresHaveThePicturesScale) {
  PlotBox box;
  box.SetRange(0.0, 0.0, 10.0, 10.0);
  box.SetScreenRect(0, 0, 40, 40);
  const PixelPoint at = box.WorldToScreen(5.0, 5.0);
  struct Case {
    double scale;
    int first, last;  // the square's offsets from the point's pixel
  };
  for (const Case c : {Case{1.25, 0, 0}, Case{2.0, 0, 1}, Case{3.0, -1, 1}}) {
    Canvas canvas(40, 40);
    canvas.SetTextScale(c.scale);
    box.PlotPointSquare(canvas, 5.0, 5.0, 0xFF000000u);
    box.PlotPointSquare(canvas, 10.5, 5.0, 0xFF000000u);  // outside the range: nothing
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        const bool inside = x >= at.x + c.first && x <= at.x + c.last && y >= at.y + c.first && y <= at.y + c.last;
        ASSERT_EQ(canvas.GetPixel(x, y), inside ? kBlack : kWhite) << c.scale << " " << x << "," << y;
      }
    }
  }
}

TEST(EvolutionPlotter, MatchesTwoSeparatePlotsWithSharedOrOwnColumns) {
  for (bool sameColumns : {true, false}) {
    PlotBox xBox, yBox;
    xBox.SetRange(0, -2, 1000, 2);
    yBox.SetRange(0, -1, sameColumns ? 1000 : 700, 1);
    xBox.SetScreenPercent(10, 58, 95, 75);
    yBox.SetScreenPercent(10, 78, 95, 95);
    xBox.SetScreenRect(0, 0, 800, 600);
    yBox.SetScreenRect(0, 0, 800, 600);
    Canvas expected(800, 600), actual(800, 600);
    const EvolutionPlotter plotter(xBox, yBox, actual);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> value(-2.5, 2.5);
    for (int i = 0; i < 1100; ++i) {
      const double x = value(random), y = value(random);
      xBox.PlotPixel(expected, i, x, 0xFF00FF00u);
      yBox.PlotPixel(expected, i, y, 0xFF00FF00u);
      plotter.Plot(i, x, y, 0xFF00FF00u);
    }
    EXPECT_TRUE(SamePicture(expected, actual)) << sameColumns;
  }
}

// A long run stays in one column for many iterations: plotted a segment at a time, with
// only the rows computed per point, the pixels are those of plotting every point on its own,
// also where the iteration number enters and leaves the boxes' ranges.
TEST(EvolutionPlotter, SegmentsOfSharedColumnsMatchPointByPointPlots) {
  PlotBox xBox, yBox;
  xBox.RoundScales = yBox.RoundScales = 0;
  xBox.SetRange(1234.5, -2, 150000, 2);
  yBox.SetRange(0, -1, 200000, 1);
  xBox.SetScreenPercent(10, 58, 100, 75);
  yBox.SetScreenPercent(10, 78, 95, 100);
  xBox.SetScreenRect(0, 0, 800, 600);
  yBox.SetScreenRect(0, 0, 800, 600);
  Canvas expected(800, 600), actual(800, 600);
  const EvolutionPlotter plotter(xBox, yBox, actual);
  std::mt19937 random(5);
  std::uniform_real_distribution<double> value(-2.5, 2.5);
  constexpr std::int64_t kEnd = 210000;
  EvolutionPlotter::Segment segment = plotter.SegmentAt(0, kEnd);
  int segments = 1;
  for (std::int64_t n = 0; n < kEnd; ++n) {
    if (n == segment.end) {
      segment = plotter.SegmentAt(n, kEnd);
      ++segments;
    }
    const double x = value(random), y = value(random);
    xBox.PlotPixel(expected, static_cast<double>(n), x, 0xFF00FF00u);
    yBox.PlotPixel(expected, static_cast<double>(n), y, 0xFF00FF00u);
    plotter.PlotRows(plotter.Target(), segment, x, y, 0xFF00FF00u);
  }
  EXPECT_TRUE(SamePicture(expected, actual));
  EXPECT_LT(segments, 2000);  // about one a column, not one a point
}

}  // namespace
}  // namespace orbitra
