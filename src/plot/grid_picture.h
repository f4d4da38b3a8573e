// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/grid_sweep.h"
#include "analysis/grid_values.h"
#include "platform/canvas.h"
#include "platform/colour.h"

namespace orbitra {

// Where a whole-plane picture puts things on a canvas: the frame of the plot box, the
// grid's cells inside it (one pixel each), and the legend or colour bar on the right.
// The grid's size is the inside of the frame, so the window and orbitra-render compute
// the grid for the picture they draw.
struct GridPictureLayout {
  int frameLeft = 0, frameTop = 0, frameRight = 0, frameBottom = 0;  // Rectangle's corners
  std::int32_t gridWidth = 1, gridHeight = 1;
  int legendLeft = 0;

  // The canvas pixel of cell (column, row), rows counted from the bottom.
  int PixelX(std::int32_t column) const noexcept { return frameLeft + 1 + column; }
  int PixelY(std::int32_t row) const noexcept { return frameTop + gridHeight - row; }
};

GridPictureLayout LayoutGridPicture(int width, int height, double textScale) noexcept;

struct GridCell {
  std::int32_t column = 0;
  std::int32_t row = 0;
};
// The cell under a canvas pixel, if it is one.
std::optional<GridCell> GridCellAt(const GridPictureLayout& layout, int x, int y) noexcept;

// The colours of a grid's cells. Scales that depend on the numbers (the largest |λ1|, the
// longest escape time) and the attractors' numbers are taken once from the cells shown:
// with `shown` (see DrawGridPicture), only the cells of finished rows and coarse rows,
// which workers no longer write; without it, every cell done.
class GridPalette {
 public:
  explicit GridPalette(const GridValues& grid, const GridShown* shown = nullptr);
  bool Counted(std::size_t index) const noexcept { return counted_[index] != 0; }
  Colour CellColour(std::size_t index) const noexcept;
  // The ends of the scale: λ1's most negative and largest value (Lyapunov colouring; each
  // side of zero has a scale of its own, so a deep negative value does not pale the
  // positive ones), or 1 and the longest escape time (escape colouring).
  double ScaleLow() const noexcept { return scaleLow_; }
  double ScaleEnd() const noexcept { return scaleEnd_; }
  const std::vector<std::int32_t>& AttractorLabels() const noexcept { return labels_; }

 private:
  const GridValues& grid_;
  std::vector<std::uint8_t> counted_;
  double scaleLow_ = -1.0;
  double scaleEnd_ = 1.0;
  std::vector<std::int32_t> labels_;
};

// Colours of the classes that are not a period or an attractor.
inline constexpr Colour kEscapedColour = Colour::FromRgb(0, 0, 0);
inline constexpr Colour kNotSettledColour = Colour::FromRgb(0xC2, 0xB2, 0x80);  // Kelly's buff
inline constexpr Colour kNoPeriodColour = Colour::FromRgb(0x99, 0x99, 0x99);
inline constexpr Colour kNeverEscapedColour = Colour::FromRgb(0, 0, 0);  // escape times
inline constexpr Colour kNotComputedColour = Colour::FromRgb(255, 255, 255);
// Chaotic pixels in greys, lighter for λ1 just above the tolerance, darker up to λ1 = 1.
Colour ChaoticColour(double lambda1, double tolerance) noexcept;

struct GridPictureText {
  std::string title;
  std::string xName;
  std::string yName;
  std::string subtitle;  // under the title: the parameters that stay fixed
};

// A title and, under it when there is one, a subtitle, centred over the frame from
// `left` to `right` whose top edge is `top`.
void DrawTitles(Canvas& canvas, int left, int right, int top, const std::string& title, const std::string& subtitle);

// The whole picture on a cleared canvas: the frame with ticks and labels and the title by
// the plot box's own drawing, the cells, the axis names, and the legend (periods,
// attractors) or colour bar (λ1, escape time). With `shown`, rows not finished show their
// coarse block when that is in, else nothing; without it every cell done is shown. A grid
// of another size than the canvas's layout (a picture saved larger) is shown scaled: each
// pixel of the layout's grid takes the cell under it.
void DrawGridPicture(Canvas& canvas, const GridValues& grid, const GridPictureText& text,
                     const GridShown* shown = nullptr);

}  // namespace orbitra
