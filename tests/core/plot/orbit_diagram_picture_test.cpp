// SPDX-License-Identifier: GPL-3.0-or-later
// The orbit diagram's picture: shades of counts, the grid inside the box's frame, the
// marker line.
#include <gtest/gtest.h>

#include <cmath>

#include "plot/orbit_diagram_picture.h"
#include "support/map_model.h"
#include "support/recording_text_painter.h"

namespace orbitra {
namespace {

Colour Grey(std::uint8_t g) { return Colour::FromRgb(g, g, g); }

TEST(OrbitDiagramPicture, CountsAreShadedOnALogarithmicGreyScaleOrBlack) {
  const auto shade = [](std::uint32_t count, std::int32_t points, DiagramShading s) {
    return Canvas::FromPixel(DiagramShade(count, points, s));
  };
  // One hit is the lightest grey (200), every point of the column black, and the square
  // root of the points halfway between.
  EXPECT_EQ(shade(0, 10000, DiagramShading::LogGrey), kWhite);
  EXPECT_EQ(shade(1, 10000, DiagramShading::LogGrey), Grey(200));
  EXPECT_EQ(shade(100, 10000, DiagramShading::LogGrey), Grey(100));
  EXPECT_EQ(shade(10000, 10000, DiagramShading::LogGrey), Grey(0));
  EXPECT_EQ(shade(1, 1, DiagramShading::LogGrey), kBlack);
  EXPECT_EQ(shade(0, 7, DiagramShading::Black), kWhite);
  EXPECT_EQ(shade(1, 7, DiagramShading::Black), kBlack);
}

// The Henon map at a = 0.2, b = 0.3 settles on its fixed point x* = (-(1-b) + sqrt((1-b)^2 +
// 4a)) / 2a = 1.08945; with the coordinate range starting just below it, every point of
// every column falls in row 0, whose pixels lie right above the frame's lower outline (the
// box's bottom edge, one pixel inside its lower end).
TEST(OrbitDiagramPicture, RowZeroIsTheRowAboveTheFramesLowerEdge) {
  const double fixed = (-0.7 + std::sqrt(0.49 + 0.8)) / 0.4;
  const OrbitDiagramView view{0, 0.2, 0.2 + 1e-9, 0, fixed - 1e-4, fixed + 1.0, 200, 50};
  Canvas canvas(240, 200);
  canvas.Clear(kWhite);
  DiagramLayout layout = LayOutDiagram(240, 200, view);
  DrawDiagramFrame(canvas, layout, "", "k1", "x");
  OrbitDiagram diagram(DiagramMap{testing::MapModel(2, 0.2, 0.3, 1.0), std::nullopt},
                       OrbitDiagramSettings{view, {0.1, 0.1}, false, 1e4}, layout.columns, layout.rows);
  for (std::int64_t u = 0; u < diagram.Units(); ++u) ASSERT_TRUE(diagram.ComputeUnit(u));
  ASSERT_EQ(diagram.Count(5, 0), 50u);
  DrawDiagramColumns(canvas, layout, diagram, 0, diagram.Columns(), DiagramShading::LogGrey);
  const int edge = layout.box.WorldToScreen(layout.box.Xmax, layout.box.Ymin).y - 1;
  const int x = layout.box.WorldToScreen(layout.box.Xmin, layout.box.Ymin).x + 1 + 5;
  EXPECT_EQ(canvas.GetPixel(x, edge), kBlack);      // the frame
  EXPECT_EQ(canvas.GetPixel(x, edge - 1), kBlack);  // row 0: every point, black
  EXPECT_EQ(canvas.GetPixel(x, edge - 2), kWhite);  // row 1: none
}

// The same diagram on a picture twice as large (a window's picture saved at 2x): its 122
// rows fill the 246 pixel rows of the larger grid, so row 0 covers at least the two pixel
// rows above the frame's lower edge in every pixel column, and row 1 the ones above; the
// marker covers every pixel column of its column, two or three of them.
TEST(OrbitDiagramPicture, ALargerPictureShowsEachCellAsABlock) {
  const double fixed = (-0.7 + std::sqrt(0.49 + 0.8)) / 0.4;
  const OrbitDiagramView view{0, 0.2, 0.2 + 1e-9, 0, fixed - 1e-4, fixed + 1.0, 200, 50};
  const DiagramLayout small = LayOutDiagram(240, 200, view);
  ASSERT_EQ(small.rows, 122);
  OrbitDiagram diagram(DiagramMap{testing::MapModel(2, 0.2, 0.3, 1.0), std::nullopt},
                       OrbitDiagramSettings{view, {0.1, 0.1}, false, 1e4}, small.columns, small.rows);
  for (std::int64_t u = 0; u < diagram.Units(); ++u) ASSERT_TRUE(diagram.ComputeUnit(u));

  Canvas canvas(480, 400);
  canvas.SetTextScale(2.0);
  DiagramLayout large = LayOutDiagram(480, 400, view, 2.0);
  ASSERT_EQ(large.rows, 246);
  ASSERT_GE(large.columns, 2 * small.columns);
  DrawDiagramFrame(canvas, large, "", "k1", "x");
  DrawDiagramColumns(canvas, large, diagram, 0, diagram.Columns(), DiagramShading::LogGrey);
  for (int c = 0; c < large.columns; ++c) {
    ASSERT_EQ(canvas.GetPixel(large.gridLeft + c, large.gridBottom), kBlack) << c;
    ASSERT_EQ(canvas.GetPixel(large.gridLeft + c, large.gridBottom - 1), kBlack) << c;
    ASSERT_EQ(canvas.GetPixel(large.gridLeft + c, large.gridBottom - 3), kWhite) << c;
  }

  DrawDiagramMarker(canvas, large, diagram, 0.2 + 0.5e-9);
  const int middle = large.gridBottom - large.rows / 2;
  int red = 0, first = -1;
  for (int c = 0; c < large.columns; ++c) {
    if (canvas.GetPixel(large.gridLeft + c, middle) != Colour::FromRgb(230, 0, 0)) continue;
    if (first < 0) first = c;
    EXPECT_EQ(c, first + red) << "one band of columns";
    ++red;
  }
  EXPECT_GE(red, 2);
  EXPECT_LE(red, 3);
}

TEST(OrbitDiagramPicture, TheGridFillsTheInsideOfTheFrameAndTheMarkerCrossesIt) {
  // Ranges whose widths differ, an odd picture size.
  const OrbitDiagramView view{0, 0.25, 0.75, 1, -3.0, 5.0, 10, 50};
  Canvas canvas(301, 211);
  canvas.Clear(kWhite);
  DiagramLayout layout = LayOutDiagram(301, 211, view);
  DrawDiagramFrame(canvas, layout, "title", "k1", "y");
  ASSERT_GT(layout.columns, 100);
  ASSERT_GT(layout.rows, 100);
  // The frame's lines are just outside the grid on all four sides, the grid is white.
  const int left = layout.gridLeft, right = layout.gridLeft + layout.columns - 1;
  const int bottom = layout.gridBottom, top = layout.gridBottom - layout.rows + 1;
  for (int r = top; r <= bottom; ++r) {
    ASSERT_EQ(canvas.GetPixel(left - 1, r), kBlack) << r;
    ASSERT_EQ(canvas.GetPixel(right + 1, r), kBlack) << r;
    for (int c = left; c <= right; ++c) ASSERT_EQ(canvas.GetPixel(c, r), kWhite) << c << "," << r;
  }
  for (int c = left; c <= right; ++c) {
    ASSERT_EQ(canvas.GetPixel(c, top - 1), kBlack) << c;
    ASSERT_EQ(canvas.GetPixel(c, bottom + 1), kBlack) << c;
  }

  // A value on the last quarter of column 3 marks column 3, in red, on every row.
  MappingModel henon = testing::MapModel(2, 1.4, 0.3, 1.0);
  const OrbitDiagram diagram(DiagramMap{henon, std::nullopt}, OrbitDiagramSettings{view, {}, true, 1e4},
                             layout.columns, layout.rows);
  const double width = 0.5 / layout.columns;
  DrawDiagramMarker(canvas, layout, diagram, 0.25 + 3.75 * width);
  const Colour red = Colour::FromRgb(230, 0, 0);
  for (int r = top; r <= bottom; ++r) ASSERT_EQ(canvas.GetPixel(left + 3, r), red);
  EXPECT_EQ(canvas.GetPixel(left + 2, (top + bottom) / 2), kWhite);
  EXPECT_EQ(canvas.GetPixel(left + 3, bottom + 1), kBlack);
  // Outside the range: no line.
  Canvas before = canvas;
  DrawDiagramMarker(canvas, layout, diagram, 0.75);
  DrawDiagramMarker(canvas, layout, diagram, 0.2);
  EXPECT_TRUE(std::equal(before.Bits(), before.Bits() + 301 * 211, canvas.Bits()));
}

// A low picture keeps its title and the fixed parameters under it inside the canvas: the
// title's line is drawn 38 screen pixels above the frame and one line (16 pixels) tall, so
// the frame's top must be at least 38 + 2 pixels down, twice that at twice the text size.
TEST(OrbitDiagramPicture, LowPicturesKeepTheirTitleLinesAboveTheFrame) {
  const OrbitDiagramView view{0, 0.0, 1.0, 0, -1.0, 1.0, 10, 50};
  struct Case {
    int width, height;
    double scale;
  };
  for (const Case c : {Case{300, 150, 1.0}, Case{400, 240, 1.0}, Case{600, 300, 2.0}, Case{800, 1000, 1.0}}) {
    testing::RecordingTextPainter painter;
    Canvas canvas(c.width, c.height);
    canvas.SetTextPainter(&painter);
    canvas.SetTextScale(c.scale);
    canvas.Clear(kWhite);
    DiagramLayout layout = LayOutDiagram(c.width, c.height, view, c.scale);
    DrawDiagramFrame(canvas, layout, "Henon: x against k1", "k1", "x", "k2 = 0.3");
    const int frameTop = layout.gridBottom - layout.rows;  // the frame's upper line
    EXPECT_GE(frameTop, static_cast<int>(40 * c.scale)) << c.height;
    const auto title = painter.TextsEqualTo("Henon: x against k1");
    const auto subtitle = painter.TextsEqualTo("k2 = 0.3");
    ASSERT_EQ(title.size(), 1u);
    ASSERT_EQ(subtitle.size(), 1u);
    EXPECT_GE(title[0].y, 0) << c.height;
    EXPECT_GE(subtitle[0].y, title[0].y + static_cast<int>(16 * c.scale)) << c.height;
    EXPECT_LE(subtitle[0].y + static_cast<int>(16 * c.scale), frameTop) << c.height;
  }
  // A large picture keeps its margins of 12%, 9% and 11%; a small one leaves the tick
  // labels and the axes' names 64 pixels on the left and 36 below (twice that at 2x).
  const DiagramLayout large = LayOutDiagram(800, 1000, view);
  EXPECT_EQ(large.gridLeft - 1, 96);
  EXPECT_EQ(large.gridBottom - large.rows, 90);
  EXPECT_EQ(large.gridBottom + 2, 890);
  for (const double scale : {1.0, 2.0}) {
    const DiagramLayout small = LayOutDiagram(static_cast<int>(200 * scale), static_cast<int>(150 * scale), view, scale);
    EXPECT_GE(small.gridLeft - 1, 64 * scale);
    EXPECT_LE(small.gridBottom + 2, (150 - 36) * scale);
  }
}

}  // namespace
}  // namespace orbitra
