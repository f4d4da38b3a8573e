// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/canvas.h"
#include "support/recording_text_painter.h"

namespace orbitra {
namespace {

int CountBlack(const Canvas& c) {
  int n = 0;
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x) n += c.GetPixel(x, y) == kBlack;
  return n;
}

TEST(Canvas, StartsWhiteAndClipsPixels) {
  Canvas c(10, 8);
  EXPECT_EQ(c.GetPixel(0, 0), kWhite);
  c.SetPixel(3, 4, Colour::FromRgb(160, 0, 0));
  EXPECT_EQ(c.GetPixel(3, 4), Colour::FromRgb(160, 0, 0));
  EXPECT_EQ(c.Bits()[4 * 10 + 3], 0xFFA00000u);  // 0xFFRRGGBB in memory
  c.SetPixel(-1, 0, kBlack);
  c.SetPixel(10, 0, kBlack);
  c.SetPixel(0, 8, kBlack);
  c.SetPixel(0, -2147483647 - 1, kBlack);
  EXPECT_EQ(CountBlack(c), 0);
}

TEST(Canvas, LineToStopsOnePixelShortOfItsEnd) {
  Canvas c(20, 20);
  c.MoveTo(2, 5);
  c.LineTo(7, 5);
  for (int x = 2; x < 7; ++x) EXPECT_EQ(c.GetPixel(x, 5), kBlack) << x;
  EXPECT_EQ(c.GetPixel(7, 5), kWhite);
  EXPECT_EQ(c.PenX(), 7);
  EXPECT_EQ(c.PenY(), 5);
  c.LineTo(7, 1);  // upwards
  for (int y = 5; y > 1; --y) EXPECT_EQ(c.GetPixel(7, y), kBlack) << y;
  EXPECT_EQ(c.GetPixel(7, 1), kWhite);
  EXPECT_EQ(CountBlack(c), 9);
}

TEST(Canvas, FarAwayLinesAreCutToTheBufferQuickly) {
  Canvas c(50, 40);
  c.MoveTo(-2000000000, 10);
  c.LineTo(2000000000, 10);
  for (int x = 0; x < 50; ++x) EXPECT_EQ(c.GetPixel(x, 10), kBlack) << x;
  EXPECT_EQ(CountBlack(c), 50);
  Canvas d(50, 40);
  d.MoveTo(25, -2000000000);
  d.LineTo(25, 20);
  for (int y = 0; y < 20; ++y) EXPECT_EQ(d.GetPixel(25, y), kBlack) << y;
  EXPECT_EQ(d.GetPixel(25, 20), kWhite);
  Canvas e(50, 40);
  e.MoveTo(-2000000000, -2000000000);
  e.LineTo(-1999999000, 2000000000);  // entirely left of the buffer
  EXPECT_EQ(CountBlack(e), 0);
}

TEST(Canvas, RectangleOutlinesAndFillsWhite) {
  Canvas c(30, 30);
  c.Clear(Colour::FromRgb(0, 0, 240));
  c.Rectangle(5, 6, 15, 12);
  EXPECT_EQ(c.GetPixel(5, 6), kBlack);
  EXPECT_EQ(c.GetPixel(14, 6), kBlack);
  EXPECT_EQ(c.GetPixel(5, 11), kBlack);
  EXPECT_EQ(c.GetPixel(14, 11), kBlack);
  EXPECT_EQ(c.GetPixel(15, 6), Colour::FromRgb(0, 0, 240));  // right edge excluded
  EXPECT_EQ(c.GetPixel(5, 12), Colour::FromRgb(0, 0, 240));  // bottom edge excluded
  EXPECT_EQ(c.GetPixel(10, 9), kWhite);
  // Partly outside the buffer: no crash, the visible part is drawn.
  c.Rectangle(-10, -10, 3, 3);
  EXPECT_EQ(c.GetPixel(2, 0), kBlack);
  EXPECT_EQ(c.GetPixel(1, 1), kWhite);
}

TEST(Canvas, TextGoesToThePainter) {
  Canvas c(10, 10);
  c.TextOut(1, 2, "ignored without a painter");
  testing::RecordingTextPainter painter;
  c.SetTextPainter(&painter);
  c.TextOut(3, 5, "  N = 1000  ");
  ASSERT_EQ(painter.Texts().size(), 1u);
  EXPECT_EQ(painter.Texts()[0], (testing::RecordingTextPainter::Text{3, 5, "  N = 1000  "}));
}

// A canvas without pixels (a window shrunk to nothing, a picture of no width or no height)
// holds only the scratch pixel, and no drawing reaches it: every operation is clipped to
// the empty buffer. Negative sizes are empty too, and the pen still moves.
TEST(Canvas, EmptyCanvasIsHarmless) {
  for (const auto& [w, h] : {std::pair{0, 0}, std::pair{0, 7}, std::pair{7, 0}, std::pair{-3, 4}}) {
    Canvas c(w, h);
    EXPECT_EQ(c.Width() * c.Height(), 0);
    EXPECT_EQ(c.ScratchIndex(), 0u);
    c.Clear(kBlack);
    const Canvas::Pixel sentinel = 0xFF123456u;
    c.Bits()[c.ScratchIndex()] = sentinel;
    for (int k = -1; k < 9; ++k) c.SetPixel(k, k, kBlack), c.SetPixel(k, 0, kBlack), c.SetPixel(0, k, kBlack);
    c.MoveTo(-2, 0);
    c.LineTo(10, 0);
    c.MoveTo(0, -2);
    c.LineTo(0, 10);
    EXPECT_EQ(c.PenX(), 0);
    EXPECT_EQ(c.PenY(), 10);
    c.Rectangle(-1, -1, 8, 8);
    EXPECT_EQ(c.Bits()[c.ScratchIndex()], sentinel) << w << " x " << h;
    EXPECT_EQ(c.GetPixel(0, 0), kWhite);
  }
}

// A point's square at the canvas's edges: only the part on the canvas, nothing wrapped
// onto the next or the first row.
TEST(Canvas, PointSquaresAreCutAtTheEdges) {
  const auto drawn = [](const Canvas& c) {
    std::vector<std::pair<int, int>> at;
    for (int y = 0; y < c.Height(); ++y) {
      for (int x = 0; x < c.Width(); ++x) {
        if (c.GetPixel(x, y) != kWhite) at.emplace_back(x, y);
      }
    }
    return at;
  };
  Canvas c(5, 5);
  c.SetTextScale(3.0);
  c.SetPointRaw(4, 4, 0xFF000000u);
  EXPECT_EQ(drawn(c), (std::vector<std::pair<int, int>>{{3, 3}, {4, 3}, {3, 4}, {4, 4}}));
  c.Clear();
  c.SetPointRaw(0, 0, 0xFF000000u);
  EXPECT_EQ(drawn(c), (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
  c.Clear();
  c.SetTextScale(2.0);
  c.SetPointRaw(4, -1, 0xFF000000u);
  EXPECT_EQ(drawn(c), (std::vector<std::pair<int, int>>{{4, 0}}));
  c.SetPointRaw(-7, 9, 0xFF000000u);  // far off: nothing
  EXPECT_EQ(drawn(c).size(), 1u);
}

}  // namespace
}  // namespace orbitra
