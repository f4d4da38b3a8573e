// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/orbit_diagram_picture.h"

#include <algorithm>
#include <cmath>

#include "plot/axis_ticks.h"
#include "plot/grid_picture.h"

namespace orbitra {

namespace {

// The lightest grey a single hit gets; every point of a column in one pixel is black.
constexpr double kLightestGrey = 200.0;
constexpr Colour kMarker = Colour::FromRgb(230, 0, 0);

}  // namespace

Canvas::Pixel DiagramShade(std::uint32_t count, std::int32_t points, DiagramShading shading) noexcept {
  if (count == 0) return Canvas::ToPixel(kWhite);
  if (shading == DiagramShading::Black || points <= 1) return Canvas::ToPixel(kBlack);
  const double f = std::log(static_cast<double>(count)) / std::log(static_cast<double>(points));
  const double grey = kLightestGrey * (1.0 - std::clamp(f, 0.0, 1.0));
  const auto g = static_cast<std::uint8_t>(std::lround(grey));
  return Canvas::ToPixel(Colour::FromRgb(g, g, g));
}

bool DiagramLayout::CellAt(int px, int py, int& column, int& row) const noexcept {
  column = px - gridLeft;
  row = gridBottom - py;
  return column >= 0 && column < columns && row >= 0 && row < rows;
}

DiagramLayout LayOutDiagram(int width, int height, const OrbitDiagramView& view, double textScale) {
  DiagramLayout layout;
  PlotBox& box = layout.box;
  box.RoundScales = 0;  // the grid spans exactly the view's ranges
  box.Label.clear();
  // Margins of 12% left, 9% above, 11% below, more where that leaves the texts too little
  // room: the title and the subtitle above, the tick labels and the parameter's name below,
  // the labels and the coordinate's name on the left (the box takes whole percents:
  // rounded outwards, a margin is never less than its texts need).
  const double scale = textScale > 0.0 ? textScale : 1.0;
  const auto percentOf = [](long long pixels, int side) { return side > 0 ? (pixels * 100 + side - 1) / side : 0; };
  const long long top = percentOf(std::llround(kDiagramTitlesHeight * scale), height);
  const long long bottom = percentOf(std::llround(kDiagramLabelsHeight * scale), height);
  const long long left = percentOf(std::llround(kDiagramLabelsWidth * scale), width);
  box.SetScreenPercent(static_cast<int>(std::clamp<long long>(left, 12, 40)),
                       static_cast<int>(std::clamp<long long>(top, 9, 45)), 96,
                       static_cast<int>(100 - std::clamp<long long>(bottom, 11, 45)));
  box.SetRange(view.parameterMin, view.coordinateMin, view.parameterMax, view.coordinateMax);
  box.ShowTicks = 0;  // ticks at round values, drawn with the frame
  box.SetScreenRect(0, 0, width, height);
  // The frame outlines the columns and rows from the box's left and top pixel up to one
  // short of its right and bottom one; the grid is what lies inside it.
  const PixelPoint topLeft = box.WorldToScreen(box.Xmin, box.Ymax);
  const PixelPoint bottomRight = box.WorldToScreen(box.Xmax, box.Ymin);
  layout.gridLeft = topLeft.x + 1;
  layout.gridBottom = bottomRight.y - 2;
  layout.columns = std::max(bottomRight.x - topLeft.x - 2, 0);
  layout.rows = std::max(bottomRight.y - topLeft.y - 2, 0);
  return layout;
}

void DrawDiagramFrame(Canvas& canvas, DiagramLayout& layout, const std::string& title,
                      const std::string& parameterName, const std::string& coordinateName,
                      const std::string& subtitle) {
  PlotBox& box = layout.box;
  box.Label = title;
  box.DrawFrame(canvas);
  if (subtitle.empty()) {
    box.DrawTitle(canvas);
  } else {
    const PixelPoint topLeft = box.WorldToScreen(box.Xmin, box.Ymax);
    const PixelPoint bottomRight = box.WorldToScreen(box.Xmax, box.Ymin);
    DrawTitles(canvas, topLeft.x, bottomRight.x, topLeft.y, title, subtitle);
  }
  DrawRoundTicks(canvas, box);
  const PixelPoint bottomMiddle = box.WorldToScreen(box.Xmin + (box.Xmax - box.Xmin) * 0.5, box.Ymin);
  canvas.TextOut(bottomMiddle.x - static_cast<int>(canvas.Scaled(4)), bottomMiddle.y + static_cast<int>(canvas.Scaled(18)),
                 parameterName);
  const PixelPoint leftMiddle = box.WorldToScreen(box.Xmin, box.Ymin + (box.Ymax - box.Ymin) * 0.5);
  canvas.TextOut(static_cast<int>(canvas.Scaled(8)), leftMiddle.y - static_cast<int>(canvas.Scaled(8)), coordinateName);
}

namespace {

// The pixel columns [begin, end) of a layout of `pixels` columns that show column c of a
// grid of `columns` (pixel p shows column p * columns / pixels).
struct PixelSpan {
  int begin, end;
};
PixelSpan PixelsOfColumn(long long c, long long columns, long long pixels) noexcept {
  const auto first = [&](long long k) { return static_cast<int>((k * pixels + columns - 1) / columns); };
  return {first(c), first(c + 1)};
}

// A diagram drawn on a layout of another size (a picture saved larger): each pixel of the
// layout's grid shows the cell under it.
void DrawColumnsResampled(Canvas& canvas, const DiagramLayout& layout, const OrbitDiagram& diagram, int first,
                          int end, DiagramShading shading) {
  const std::int32_t points = diagram.Settings().view.points;
  const long long columns = diagram.Columns(), rows = diagram.Rows();
  if (columns <= 0 || rows <= 0) return;
  for (int c = std::max(first, 0); c < std::min<long long>(end, columns); ++c) {
    const std::uint32_t* counts = diagram.Column(c);
    const PixelSpan span = PixelsOfColumn(c, columns, layout.columns);
    for (int pr = 0; pr < layout.rows; ++pr) {
      const std::uint32_t count = counts[static_cast<std::size_t>(pr * rows / layout.rows)];
      if (count == 0) continue;
      const Canvas::Pixel shade = DiagramShade(count, points, shading);
      for (int pc = span.begin; pc < span.end; ++pc) canvas.SetPixelRaw(layout.gridLeft + pc, layout.gridBottom - pr, shade);
    }
  }
}

}  // namespace

void DrawDiagramColumns(Canvas& canvas, const DiagramLayout& layout, const OrbitDiagram& diagram, int first, int end,
                        DiagramShading shading) {
  if (layout.columns != diagram.Columns() || layout.rows != diagram.Rows()) {
    return DrawColumnsResampled(canvas, layout, diagram, first, end, shading);
  }
  const int rows = std::min(layout.rows, diagram.Rows());
  const std::int32_t points = diagram.Settings().view.points;
  end = std::min({end, layout.columns, diagram.Columns()});
  for (int c = std::max(first, 0); c < end; ++c) {
    const std::uint32_t* counts = diagram.Column(c);
    for (int r = 0; r < rows; ++r) {
      if (counts[r] != 0) canvas.SetPixelRaw(layout.gridLeft + c, layout.gridBottom - r, DiagramShade(counts[r], points, shading));
    }
  }
}

void DrawDiagramMarker(Canvas& canvas, const DiagramLayout& layout, const OrbitDiagram& diagram, double parameter) {
  const double at = std::floor(diagram.ColumnOf(parameter));
  if (!(at >= 0.0 && at < diagram.Columns())) return;
  // Every pixel column that shows the marked column (one, on a layout of the grid's size).
  const PixelSpan span = PixelsOfColumn(static_cast<long long>(at), diagram.Columns(), layout.columns);
  const Canvas::Pixel red = Canvas::ToPixel(kMarker);
  for (int c = span.begin; c < span.end; ++c) {
    for (int r = 0; r < layout.rows; ++r) canvas.SetPixelRaw(layout.gridLeft + c, layout.gridBottom - r, red);
  }
}

}  // namespace orbitra
