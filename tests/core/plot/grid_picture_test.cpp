// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/grid_sweep.h"
#include "plot/colour_scales.h"
#include "plot/grid_picture.h"
#include "support/recording_text_painter.h"

namespace orbitra {
namespace {

// The ends and middle of the published tables: viridis #440154 to #FDE725, RdBu's
// #053061 (blue end), #F7F7F7 (middle), #67001F (red end).
TEST(ColourScales, EndsAndMiddleAreThePublishedOnes) {
  EXPECT_EQ(Viridis(0.0), Colour::FromRgb(0x44, 0x01, 0x54));
  EXPECT_EQ(Viridis(1.0), Colour::FromRgb(0xFD, 0xE7, 0x25));
  EXPECT_EQ(Viridis(-3.0), Viridis(0.0));
  EXPECT_EQ(Viridis(std::nan("")), Viridis(0.0));
  EXPECT_EQ(Viridis(7.0), Viridis(1.0));
  EXPECT_EQ(BlueWhiteRed(-1.0), Colour::FromRgb(0x05, 0x30, 0x61));
  EXPECT_EQ(BlueWhiteRed(0.0), Colour::FromRgb(0xF7, 0xF7, 0xF7));
  EXPECT_EQ(BlueWhiteRed(1.0), Colour::FromRgb(0x67, 0x00, 0x1F));
  // Viridis grows lighter all the way (its green channel rises monotonically).
  for (int i = 1; i <= 100; ++i) EXPECT_GE(Viridis(i / 100.0).Green(), Viridis((i - 1) / 100.0).Green());
  for (int n = 1; n <= kDistinctColourCount; ++n) {
    for (int m = 1; m < n; ++m) EXPECT_NE(DistinctColour(n), DistinctColour(m));
  }
  EXPECT_EQ(DistinctColour(kDistinctColourCount + 3), DistinctColour(3));
}

// Kelly's list in his order, from its vivid yellow: the first colours are his first.
TEST(ColourScales, PeriodsHaveKellysColoursAndLongOnesShareOne) {
  EXPECT_EQ(DistinctColour(1), Colour::FromRgb(0xF3, 0xC3, 0x00));
  EXPECT_EQ(DistinctColour(2), Colour::FromRgb(0x87, 0x56, 0x92));
  EXPECT_EQ(DistinctColour(3), Colour::FromRgb(0xF3, 0x84, 0x00));
  EXPECT_EQ(DistinctColour(18), Colour::FromRgb(0x2B, 0x3D, 0x26));
  EXPECT_EQ(PeriodColour(1), Colour::FromRgb(0xF3, 0xC3, 0x00));
  EXPECT_EQ(PeriodColour(17), Colour::FromRgb(0xE2, 0x58, 0x22));
  // Periods 1, 13 and 19 used to share a yellow, 2 and 20 a purple.
  for (int p = 1; p <= 64; ++p) {
    for (int q = 1; q < p; ++q) {
      if (q <= 17) EXPECT_NE(PeriodColour(p), PeriodColour(q)) << p << " " << q;
    }
  }
  EXPECT_EQ(PeriodColour(19), Colour::FromRgb(0x2B, 0x3D, 0x26));
  EXPECT_EQ(PeriodColour(1000), PeriodColour(18));
}

// A period grid made by hand on a picture whose inside is 38 by 162 cells.
GridValues HandMadeGrid() {
  GridSettings s;
  s.colouring = GridColouring::Period;
  s.range = {0.0, 1.0, -5.0, 3.0};
  s.width = 38;
  s.height = 162;
  GridValues g(s, {0, s.height});
  for (std::int32_t r = 0; r < s.height; ++r) {
    for (std::int32_t c = 0; c < s.width; ++c) {
      const std::size_t i = g.Index(c, r);
      g.value[i] = (c + 2 * r) % 7 - 1;  // -1 escaped, 0 chaotic or not settled, 1..5 periods
      g.lambda1[i] = c % 2 == 0 ? 0.5 : 0.0;
      g.done[i] = 1;
    }
  }
  return g;
}

Colour Expected(const GridValues& g, std::int32_t c, std::int32_t r) {
  const std::int32_t v = g.value[g.Index(c, r)];
  if (v < 0) return kEscapedColour;
  if (v > 0) return DistinctColour(v);
  return c % 2 == 0 ? ChaoticColour(0.5, 0.01) : kNotSettledColour;
}

TEST(GridPicture, EveryCellIsOnePixelRowsFromTheBottom) {
  const GridPictureLayout layout = LayoutGridPicture(240, 250, 1.0);
  ASSERT_EQ(layout.gridWidth, 38);
  ASSERT_EQ(layout.gridHeight, 162);
  const GridValues g = HandMadeGrid();
  Canvas canvas(240, 250);
  testing::RecordingTextPainter painter;
  canvas.SetTextPainter(&painter);
  canvas.Clear(kWhite);
  DrawGridPicture(canvas, g, GridPictureText{"Title", "k1", "k2"});
  for (std::int32_t r = 0; r < 162; ++r) {
    for (std::int32_t c = 0; c < 38; ++c) {
      ASSERT_EQ(canvas.GetPixel(layout.PixelX(c), layout.PixelY(r)), Expected(g, c, r)) << c << ", " << r;
      const std::optional<GridCell> back = GridCellAt(layout, layout.PixelX(c), layout.PixelY(r));
      ASSERT_TRUE(back && back->column == c && back->row == r);
    }
  }
  // The bottom row sits right above the frame's lower edge, the left column right of its
  // left edge; the frame's pixels are no cell.
  EXPECT_EQ(layout.PixelY(0), layout.frameBottom - 2);
  EXPECT_EQ(layout.PixelX(0), layout.frameLeft + 1);
  EXPECT_EQ(canvas.GetPixel(layout.frameLeft, layout.PixelY(5)), kBlack);
  EXPECT_EQ(canvas.GetPixel(layout.frameRight - 1, layout.PixelY(5)), kBlack);
  EXPECT_EQ(canvas.GetPixel(layout.PixelX(5), layout.frameBottom - 1), kBlack);
  EXPECT_FALSE(GridCellAt(layout, layout.frameLeft, layout.PixelY(5)));
  EXPECT_FALSE(GridCellAt(layout, layout.PixelX(5), layout.frameTop));
  EXPECT_EQ(painter.TextsEqualTo("Title").size(), 1u);
  EXPECT_EQ(painter.TextsEqualTo("period 5").size(), 1u);
  EXPECT_EQ(painter.TextsEqualTo("period 6").size(), 0u);
  EXPECT_EQ(painter.TextsEqualTo("escaped").size(), 1u);
}

// A plane by λ1 whose most negative value lies far below its largest: each side of zero has
// a scale of its own, RdBu's anchors at -1, -0.2, 0.2 and 1 of each side's end.

// The same grid on a picture twice as large (a window's picture saved at 2x): the larger
// layout's 78 by 326 pixels show the 38 by 162 cells, at least 2 by 2 pixels each, so the
// corner cells fill the 2 by 2 pixels at the grid's corners.
TEST(GridPicture, ALargerPictureShowsEachCellAsABlock) {
  const GridPictureLayout layout = LayoutGridPicture(480, 500, 2.0);
  ASSERT_EQ(layout.gridWidth, 78);
  ASSERT_EQ(layout.gridHeight, 326);
  const GridValues g = HandMadeGrid();
  ASSERT_EQ(g.settings.width, 38);
  Canvas canvas(480, 500);
  canvas.SetTextScale(2.0);
  canvas.Clear(kWhite);
  DrawGridPicture(canvas, g, GridPictureText{"Title", "k1", "k2"});
  for (int d = 0; d < 4; ++d) {
    const int dx = d % 2, dy = d / 2;
    EXPECT_EQ(canvas.GetPixel(layout.PixelX(dx), layout.PixelY(dy)), Expected(g, 0, 0)) << d;
    EXPECT_EQ(canvas.GetPixel(layout.PixelX(77 - dx), layout.PixelY(325 - dy)), Expected(g, 37, 161)) << d;
    EXPECT_EQ(canvas.GetPixel(layout.PixelX(77 - dx), layout.PixelY(dy)), Expected(g, 37, 0)) << d;
  }
  // Every pixel of the grid shows one of the grid's cells: none is left white.
  for (std::int32_t r = 0; r < layout.gridHeight; ++r) {
    for (std::int32_t c = 0; c < layout.gridWidth; ++c) {
      ASSERT_NE(canvas.GetPixel(layout.PixelX(c), layout.PixelY(r)), kWhite) << c << ", " << r;
    }
  }
}
TEST(GridPicture, EachSideOfZeroHasItsOwnScale) {
  GridSettings s;
  s.colouring = GridColouring::Lyapunov;
  s.width = 5;
  s.height = 1;
  GridValues g(s, {0, 1});
  const double lambdas[5] = {-4.31, -0.862, 0.08, 0.4, 0.0};
  for (int c = 0; c < 5; ++c) g.lambda1[static_cast<std::size_t>(c)] = lambdas[c], g.done[static_cast<std::size_t>(c)] = 1;
  const GridPalette mixed(g);
  EXPECT_EQ(mixed.CellColour(0), Colour::FromRgb(5, 48, 97));
  EXPECT_EQ(mixed.CellColour(1), Colour::FromRgb(209, 229, 240));
  EXPECT_EQ(mixed.CellColour(2), Colour::FromRgb(253, 219, 199));
  EXPECT_EQ(mixed.CellColour(3), Colour::FromRgb(103, 0, 31));
  EXPECT_EQ(mixed.CellColour(4), Colour::FromRgb(247, 247, 247));
  Canvas canvas(300, 200);
  testing::RecordingTextPainter painter;
  canvas.SetTextPainter(&painter);
  DrawGridPicture(canvas, g, GridPictureText{});
  EXPECT_EQ(painter.TextsEqualTo("\xCE\xBB" "1 0.4").size(), 1u);
  EXPECT_EQ(painter.TextsEqualTo("-4.31").size(), 1u);

  // All negative: the most negative cell is the blue end, whatever the largest value is.
  const double negative[5] = {-2.0, -0.4, -1.0, -0.5, -0.1};
  for (int c = 0; c < 5; ++c) g.lambda1[static_cast<std::size_t>(c)] = negative[c];
  const GridPalette below(g);
  EXPECT_EQ(below.CellColour(0), Colour::FromRgb(5, 48, 97));
  EXPECT_EQ(below.CellColour(1), Colour::FromRgb(209, 229, 240));
}

// Escape times on viridis by log: 1 the dark end, the longest the yellow one, and an orbit
// that never escaped (0) black, not the dark end of log 0.
TEST(GridPicture, EscapeTimesAndNeverEscaped) {
  GridSettings s;
  s.colouring = GridColouring::Escape;
  s.width = 3;
  s.height = 1;
  GridValues g(s, {0, 1});
  g.value = {0, 1, 500};
  g.done = {1, 1, 1};
  const GridPalette palette(g);
  EXPECT_EQ(palette.CellColour(0), Colour::FromRgb(0, 0, 0));
  EXPECT_EQ(palette.CellColour(1), Colour::FromRgb(0x44, 0x01, 0x54));
  EXPECT_EQ(palette.CellColour(2), Colour::FromRgb(0xFD, 0xE7, 0x25));
}

// Periods past 17 are one group in the legend, named by its range; the rest by period.
TEST(GridPicture, LongPeriodsAreGroupedInTheLegend) {
  GridValues g = HandMadeGrid();
  g.value[g.Index(0, 0)] = 20;
  g.value[g.Index(1, 0)] = 40;
  g.value[g.Index(2, 0)] = -2;
  Canvas canvas(240, 450);
  testing::RecordingTextPainter painter;
  canvas.SetTextPainter(&painter);
  DrawGridPicture(canvas, g, GridPictureText{});
  const GridPictureLayout layout = LayoutGridPicture(240, 450, 1.0);
  EXPECT_EQ(painter.TextsEqualTo("period 18-64").size(), 1u);
  EXPECT_EQ(painter.TextsEqualTo("period 20").size(), 0u);
  EXPECT_EQ(painter.TextsEqualTo("not settled").size(), 1u);
  EXPECT_EQ(painter.TextsEqualTo("neither").size(), 0u);
  EXPECT_EQ(canvas.GetPixel(layout.PixelX(0), layout.PixelY(0)), Colour::FromRgb(0x2B, 0x3D, 0x26));
  EXPECT_EQ(canvas.GetPixel(layout.PixelX(1), layout.PixelY(0)), Colour::FromRgb(0x2B, 0x3D, 0x26));
  EXPECT_EQ(canvas.GetPixel(layout.PixelX(2), layout.PixelY(0)), Colour::FromRgb(0xC2, 0xB2, 0x80));
}

// A short picture: the 21 lines of periods 1 to 17, the group of longer ones, chaotic, not
// settled and escaped need 336 pixels at 16 apart, but 280 are there; they close up to 13
// apart rather than end in "...".
TEST(GridPicture, AShortPictureKeepsItsWholeLegend) {
  GridValues g = HandMadeGrid();
  for (std::int32_t c = 0; c < 18; ++c) g.value[g.Index(c, 0)] = c + 1 == 18 ? 40 : c + 1;
  const int height = 280 + 2 + 40 + 46;  // the frame's inside, its outline, the margins
  Canvas canvas(300, height);
  testing::RecordingTextPainter painter;
  canvas.SetTextPainter(&painter);
  DrawGridPicture(canvas, g, GridPictureText{});
  EXPECT_EQ(painter.TextsEqualTo("...").size(), 0u);
  EXPECT_EQ(painter.TextsEqualTo("period 17").size(), 1u);
  EXPECT_EQ(painter.TextsEqualTo("period 18-64").size(), 1u);
  const auto escaped = painter.TextsEqualTo("escaped");
  ASSERT_EQ(escaped.size(), 1u);
  EXPECT_LE(escaped[0].y, LayoutGridPicture(300, height, 1.0).frameBottom);
  EXPECT_EQ(painter.TextsEqualTo("period 2")[0].y - painter.TextsEqualTo("period 1")[0].y, 13);
}

TEST(GridPicture, RowsNotFinishedShowTheirCoarseBlockOrNothing) {
  const GridValues g = HandMadeGrid();
  GridShown shown;
  shown.full.assign(162, 0);
  shown.coarse.assign(162, 0);
  shown.full[20] = 1;
  shown.coarse[8] = 1;  // the blocks of rows 8 to 15
  Canvas canvas(240, 250);
  canvas.Clear(kWhite);
  DrawGridPicture(canvas, g, GridPictureText{}, &shown);
  const GridPictureLayout layout = LayoutGridPicture(240, 250, 1.0);
  for (std::int32_t r = 0; r < 162; ++r) {
    for (std::int32_t c = 0; c < 38; ++c) {
      Colour want = kWhite;
      if (r == 20) want = Expected(g, c, r);
      if (r >= 8 && r < 16) want = Expected(g, c - c % 8, 8);
      ASSERT_EQ(canvas.GetPixel(layout.PixelX(c), layout.PixelY(r)), want) << c << ", " << r;
    }
  }
}

}  // namespace
}  // namespace orbitra
