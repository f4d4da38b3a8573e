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
      g.value[i] = (c + 2 * r) % 7 - 1;  // -1 escaped, 0 chaotic or neither, 1..5 periods
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
  return c % 2 == 0 ? ChaoticColour(0.5, 0.01) : kNeitherColour;
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
