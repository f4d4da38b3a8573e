// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "analysis/orbit_diagram.h"
#include "platform/canvas.h"
#include "plot/plot_box.h"

namespace orbitra {

// How a pixel's count becomes a shade: grey on a logarithmic scale (one hit light grey,
// every point of the column black), or black for any hit.
enum class DiagramShading { LogGrey = 0, Black = 1 };

// The shade of a count out of `points` per column; white for none.
Canvas::Pixel DiagramShade(std::uint32_t count, std::int32_t points, DiagramShading shading) noexcept;

// Where a diagram sits on a canvas: a box with the view's ranges (frame, ticks, labels,
// title drawn by the box code) and, inside its frame, the grid of one column per pixel.
struct DiagramLayout {
  PlotBox box;
  int gridLeft = 0;    // pixel of column 0
  int gridBottom = 0;  // pixel row of row 0
  int columns = 0;
  int rows = 0;
  // The grid cell of a pixel; false outside the grid.
  bool CellAt(int px, int py, int& column, int& row) const noexcept;
};

// The layout for a canvas of this size (margins grow with the picture); around the frame
// at least the room its texts take at the picture's text scale, however small the
// picture is.
DiagramLayout LayOutDiagram(int width, int height, const OrbitDiagramView& view, double textScale = 1.0);
// The pixels the texts around the frame need, in screen pixels: above it the title and the
// subtitle, below it the tick labels and the parameter's name, left of it the labels and
// the coordinate's name.
inline constexpr int kDiagramTitlesHeight = 40;
inline constexpr int kDiagramLabelsHeight = 36;
inline constexpr int kDiagramLabelsWidth = 64;

// The axes: the box with its ticks and labels, the title above it (and under the title
// the subtitle: the parameters that stay fixed), the names of the parameter and the
// coordinate beside the axes; the grid is left white.
void DrawDiagramFrame(Canvas& canvas, DiagramLayout& layout, const std::string& title,
                      const std::string& parameterName, const std::string& coordinateName,
                      const std::string& subtitle = {});

// Columns first..end-1 of a computed diagram, each pixel shaded by its count; on a layout
// of another size than the diagram's grid (a picture saved larger) each pixel of the
// layout's grid shows the cell under it.
void DrawDiagramColumns(Canvas& canvas, const DiagramLayout& layout, const OrbitDiagram& diagram, int first, int end,
                        DiagramShading shading);

// A red line across the grid at a parameter value (nothing when it lies outside), as wide
// as the pixels that show its column.
void DrawDiagramMarker(Canvas& canvas, const DiagramLayout& layout, const OrbitDiagram& diagram, double parameter);

}  // namespace orbitra
