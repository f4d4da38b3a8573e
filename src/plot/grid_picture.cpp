// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/grid_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "analysis/attractor_labels.h"
#include "analysis/orbit_period.h"
#include "plot/axis_ticks.h"
#include "plot/colour_scales.h"
#include "plot/plot_box.h"

namespace orbitra {

namespace {

// Margins in screen pixels (scaled with the picture's text): labels at the left and
// bottom, the title above, the legend on the right.
constexpr int kLeftMargin = 70;
constexpr int kTopMargin = 40;
constexpr int kBottomMargin = 46;
constexpr int kRightMargin = 130;
constexpr int kLineHeight = 16;
constexpr int kSwatch = 12;
constexpr int kBarWidth = 16;

std::string Number(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.3g", v);
  return buffer;
}

void Fill(Canvas& canvas, int left, int top, int right, int bottom, Colour colour) {
  const Canvas::Pixel pixel = Canvas::ToPixel(colour);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) canvas.SetPixelRaw(x, y, pixel);
  }
}

// A swatch with a black outline and its text, on line `line` of the legend.
// The legend's lines are kLineHeight apart, closer (down to kTightLineHeight) when that
// lets all `wanted` lines fit beside the frame: a short picture keeps its whole legend.
constexpr int kTightLineHeight = 13;
int LegendStep(const Canvas& canvas, const GridPictureLayout& layout, int wanted) {
  const double room = (layout.frameBottom - layout.frameTop) / canvas.TextScale();
  const int fitting = wanted > 0 ? static_cast<int>(room / wanted) : kLineHeight;
  return std::clamp(fitting, kTightLineHeight, kLineHeight);
}

void LegendLine(Canvas& canvas, const GridPictureLayout& layout, int line, Colour colour, const std::string& text,
                int step = kLineHeight) {
  const int x = layout.legendLeft;
  const int y = layout.frameTop + static_cast<int>(canvas.Scaled(static_cast<long long>(line) * step));
  const int s = static_cast<int>(canvas.Scaled(kSwatch));
  canvas.Rectangle(x, y, x + s, y + s);
  Fill(canvas, x + 1, y + 1, x + s - 1, y + s - 1, colour);
  canvas.TextOut(x + s + static_cast<int>(canvas.Scaled(6)), y - static_cast<int>(canvas.Scaled(2)), text);
}

int LegendLines(const Canvas& canvas, const GridPictureLayout& layout, int step = kLineHeight) {
  return std::max(1, (layout.frameBottom - layout.frameTop) / static_cast<int>(canvas.Scaled(step)));
}

void DrawPeriodLegend(Canvas& canvas, const GridPictureLayout& layout, const GridValues& grid,
                      const GridPalette& palette) {
  std::set<std::int32_t> periods;
  std::int32_t longestGrouped = 0;
  for (std::size_t i = 0; i < grid.value.size(); ++i) {
    if (!palette.Counted(i) || grid.value[i] <= 0) continue;
    if (grid.value[i] <= kOwnPeriodColours) {
      periods.insert(grid.value[i]);
    } else {
      longestGrouped = std::max(longestGrouped, grid.value[i]);
    }
  }
  const int wanted = static_cast<int>(periods.size()) + (longestGrouped > 0 ? 1 : 0);
  const int step = LegendStep(canvas, layout, wanted + 3);
  const int room = LegendLines(canvas, layout, step) - 3;
  int line = 0;
  for (const std::int32_t p : periods) {
    if (line == room - 1 && wanted > room) {
      canvas.TextOut(layout.legendLeft, layout.frameTop + static_cast<int>(canvas.Scaled(line * step)), "...");
      ++line;
      break;
    }
    LegendLine(canvas, layout, line++, PeriodColour(p), "period " + std::to_string(p), step);
  }
  if (longestGrouped > 0 && line < room) {
    const std::int32_t longest = std::max(longestGrouped, std::min(grid.settings.longestPeriod, kMostPeriodLookedFor));
    LegendLine(canvas, layout, line++, PeriodColour(kOwnPeriodColours + 1),
               "period " + std::to_string(kOwnPeriodColours + 1) + "-" + std::to_string(longest), step);
  }
  LegendLine(canvas, layout, line++, ChaoticColour(0.4, grid.settings.chaosTolerance), "chaotic", step);
  LegendLine(canvas, layout, line++, kNotSettledColour, "not settled", step);
  LegendLine(canvas, layout, line, kEscapedColour, "escaped", step);
}

void DrawAttractorLegend(Canvas& canvas, const GridPictureLayout& layout, const std::vector<std::int32_t>& labels) {
  const std::int32_t most = labels.empty() ? 0 : *std::max_element(labels.begin(), labels.end());
  const int room = LegendLines(canvas, layout) - 2;
  int line = 0;
  for (std::int32_t a = 1; a <= most; ++a) {
    if (line == room - 1 && most > room) {
      canvas.TextOut(layout.legendLeft, layout.frameTop + static_cast<int>(canvas.Scaled(line * kLineHeight)), "...");
      ++line;
      break;
    }
    LegendLine(canvas, layout, line++, DistinctColour(a), "attractor " + std::to_string(a));
  }
  LegendLine(canvas, layout, line++, kNoPeriodColour, "no period");
  LegendLine(canvas, layout, line, kEscapedColour, "escaped");
}

// A vertical bar from the frame's top (t = 1) to its bottom (t = 0), labelled at the ends
// and, for a diverging scale, in the middle.
template <class Scale>
void DrawColourBar(Canvas& canvas, const GridPictureLayout& layout, Scale scale, const std::string& top,
                   const std::string& middle, const std::string& bottom) {
  const int x = layout.legendLeft;
  const int w = static_cast<int>(canvas.Scaled(kBarWidth));
  const int y0 = layout.frameTop, y1 = layout.frameBottom;
  canvas.Rectangle(x, y0, x + w, y1);
  for (int y = y0 + 1; y < y1 - 1; ++y) {
    const double t = 1.0 - static_cast<double>(y - y0 - 1) / std::max(1, y1 - y0 - 3);
    Fill(canvas, x + 1, y, x + w - 1, y + 1, scale(t));
  }
  const int tx = x + w + static_cast<int>(canvas.Scaled(6));
  const int half = static_cast<int>(canvas.Scaled(8));
  canvas.TextOut(tx, y0 - half / 2, top);
  if (!middle.empty()) canvas.TextOut(tx, (y0 + y1) / 2 - half, middle);
  canvas.TextOut(tx, y1 - 2 * half, bottom);
}

}  // namespace

void DrawTitles(Canvas& canvas, int left, int right, int top, const std::string& title, const std::string& subtitle) {
  const auto centred = [&](const std::string& text, int y) {
    const long long characters = std::count_if(text.begin(), text.end(), [](char c) {
      return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    canvas.TextOut(static_cast<int>((left + right) / 2 - canvas.Scaled(4 * characters)), y, text);
  };
  if (subtitle.empty()) {
    if (!title.empty()) centred(title, top - static_cast<int>(canvas.Scaled(25)));
    return;
  }
  if (!title.empty()) centred(title, top - static_cast<int>(canvas.Scaled(38)));
  centred(subtitle, top - static_cast<int>(canvas.Scaled(21)));
}

GridPictureLayout LayoutGridPicture(int width, int height, double textScale) noexcept {
  const auto scaled = [&](int v) { return static_cast<int>(std::lround(v * (textScale > 0.0 ? textScale : 1.0))); };
  GridPictureLayout l;
  l.frameLeft = scaled(kLeftMargin);
  l.frameTop = scaled(kTopMargin);
  l.frameRight = std::max(l.frameLeft + 3, width - scaled(kRightMargin));
  l.frameBottom = std::max(l.frameTop + 3, height - scaled(kBottomMargin));
  // The frame's outline takes its first and last column and row.
  l.gridWidth = l.frameRight - l.frameLeft - 2;
  l.gridHeight = l.frameBottom - l.frameTop - 2;
  l.legendLeft = l.frameRight + scaled(14);
  return l;
}

std::optional<GridCell> GridCellAt(const GridPictureLayout& layout, int x, int y) noexcept {
  const int column = x - layout.frameLeft - 1;
  const int row = layout.frameTop + layout.gridHeight - y;
  if (column < 0 || column >= layout.gridWidth || row < 0 || row >= layout.gridHeight) return std::nullopt;
  return GridCell{column, row};
}

Colour ChaoticColour(double lambda1, double tolerance) noexcept {
  const double t = std::clamp((lambda1 - tolerance) / (1.0 - tolerance), 0.0, 1.0);
  const auto level = static_cast<std::uint8_t>(std::lround(225.0 - 130.0 * t));
  return Colour::FromRgb(level, level, level);
}

GridPalette::GridPalette(const GridValues& grid, const GridShown* shown) : grid_(grid) {
  if (shown == nullptr) {
    counted_ = grid.done;
  } else {
    counted_.assign(grid.done.size(), 0);
    const RowBand band = grid.rows;
    for (std::int32_t r = band.first; r < band.first + band.count; ++r) {
      const auto local = static_cast<std::size_t>(r - band.first);
      const bool coarseRow = r % kCoarseStep == 0 && shown->coarse[local];
      for (std::int32_t c = 0; c < grid.settings.width; ++c) {
        const std::size_t i = grid.Index(c, r);
        counted_[i] = (shown->full[local] || (coarseRow && c % kCoarseStep == 0)) ? grid.done[i] : 0;
      }
    }
  }
  switch (grid.settings.colouring) {
    case GridColouring::Lyapunov: {
      double low = 0.0, high = 0.0;
      for (std::size_t i = 0; i < grid.lambda1.size(); ++i) {
        if (!counted_[i] || !std::isfinite(grid.lambda1[i])) continue;
        low = std::min(low, grid.lambda1[i]);
        high = std::max(high, grid.lambda1[i]);
      }
      scaleLow_ = low < 0.0 ? low : -1.0;
      scaleEnd_ = high > 0.0 ? high : 1.0;
      break;
    }
    case GridColouring::Escape: {
      std::int32_t most = 2;
      for (std::size_t i = 0; i < grid.value.size(); ++i) {
        if (counted_[i]) most = std::max(most, grid.value[i]);
      }
      scaleEnd_ = most;
      break;
    }
    case GridColouring::Attractor:
      labels_ = LabelAttractors(grid, counted_);
      break;
    case GridColouring::Period:
      break;
  }
}

Colour GridPalette::CellColour(std::size_t i) const noexcept {
  if (!counted_[i]) return kNotComputedColour;
  const std::int32_t v = grid_.value[i];
  switch (grid_.settings.colouring) {
    case GridColouring::Period:
      if (v == kNotSettled) return kNotSettledColour;
      if (v < 0) return kEscapedColour;
      if (v > 0) return PeriodColour(v);
      return grid_.lambda1[i] > grid_.settings.chaosTolerance ? ChaoticColour(grid_.lambda1[i], grid_.settings.chaosTolerance)
                                                              : kNotSettledColour;
    case GridColouring::Lyapunov:
      if (v < 0 || std::isnan(grid_.lambda1[i])) return kEscapedColour;
      {
        const double lambda = grid_.lambda1[i];
        return BlueWhiteRed(lambda < 0.0 ? -lambda / scaleLow_ : lambda / scaleEnd_);
      }
    case GridColouring::Escape:
      // Escape times spread over orders of magnitude: the scale is logarithmic.
      if (v <= 0) return kNeverEscapedColour;
      return Viridis(std::log(static_cast<double>(v)) / std::log(scaleEnd_));
    case GridColouring::Attractor:
      if (labels_[i] < 0) return kEscapedColour;
      return labels_[i] == 0 ? kNoPeriodColour : DistinctColour(labels_[i]);
  }
  return kNotComputedColour;
}

void DrawGridPicture(Canvas& canvas, const GridValues& grid, const GridPictureText& text, const GridShown* shown) {
  const GridPictureLayout layout = LayoutGridPicture(canvas.Width(), canvas.Height(), canvas.TextScale());
  const GridSettings& s = grid.settings;

  // The frame, ticks, labels and title through the plot box, its transform set so that
  // the range spans the frame exactly.
  PlotBox box;
  box.RoundScales = 0;
  box.FatBorder = 0;
  box.Label = text.title;
  box.SetScreenPercent(0, 0, 100, 100);
  box.SetRange(s.range.Xmin, s.range.Ymin, s.range.Xmax, s.range.Ymax);
  box.ShowTicks = 0;  // ticks at round values, below
  box.SetScreenRect(0, 0, canvas.Width(), canvas.Height());
  if (!box.Degenerate()) {
    // The frame's rectangle runs from (Xmin, Ymax) to (Xmax, Ymin), its outline one pixel
    // inside the lower and right ends.
    box.ScaleX = (layout.frameRight - layout.frameLeft) / (s.range.Xmax - s.range.Xmin);
    box.OffsetX = box.ScaleX * s.range.Xmin - layout.frameLeft;
    box.ScaleY = (layout.frameTop - layout.frameBottom) / (s.range.Ymax - s.range.Ymin);
    box.OffsetY = box.ScaleY * s.range.Ymin - layout.frameBottom;
  }
  box.Label.clear();
  box.DrawFrame(canvas);
  DrawTitles(canvas, layout.frameLeft, layout.frameRight, layout.frameTop, text.title, text.subtitle);
  DrawRoundTicks(canvas, box);

  const GridPalette palette(grid, shown);
  const RowBand band = grid.rows;
  // A grid of the layout's size has one pixel per cell; on a canvas of another size (a
  // picture saved larger) every pixel of the layout's grid shows the cell under it.
  const bool resampled = s.width != layout.gridWidth || s.height != layout.gridHeight;
  const std::int32_t pixelRows = resampled ? layout.gridHeight : std::min(band.first + band.count, layout.gridHeight);
  const std::int32_t pixelColumns = resampled ? layout.gridWidth : std::min(s.width, layout.gridWidth);
  for (std::int32_t pr = resampled ? 0 : band.first; pr < pixelRows; ++pr) {
    const std::int32_t r = resampled ? static_cast<std::int32_t>(std::int64_t{pr} * s.height / layout.gridHeight) : pr;
    if (r < band.first || r >= band.first + band.count) continue;
    const auto local = static_cast<std::size_t>(r - band.first);
    const bool full = shown == nullptr || shown->full[local];
    const std::int32_t coarseRow = r - r % kCoarseStep;
    const bool blocks = !full && coarseRow >= band.first &&
                        shown->coarse[static_cast<std::size_t>(coarseRow - band.first)];
    if (!full && !blocks) continue;
    for (std::int32_t pc = 0; pc < pixelColumns; ++pc) {
      const std::int32_t c = resampled ? static_cast<std::int32_t>(std::int64_t{pc} * s.width / layout.gridWidth) : pc;
      const std::size_t i = full ? grid.Index(c, r) : grid.Index(c - c % kCoarseStep, coarseRow);
      canvas.SetPixel(layout.PixelX(pc), layout.PixelY(pr), palette.CellColour(i));
    }
  }

  // Axis names: under the x labels, centred; above the y labels.
  const long long nameWidth = canvas.Scaled(8LL * static_cast<long long>(text.xName.size()));
  canvas.TextOut(static_cast<int>((layout.frameLeft + layout.frameRight - nameWidth) / 2),
                 layout.frameBottom + static_cast<int>(canvas.Scaled(22)), text.xName);
  canvas.TextOut(static_cast<int>(canvas.Scaled(6)), layout.frameTop + static_cast<int>(canvas.Scaled(2)) -
                                                         static_cast<int>(canvas.Scaled(kLineHeight)), text.yName);

  switch (s.colouring) {
    case GridColouring::Period:
      return DrawPeriodLegend(canvas, layout, grid, palette);
    case GridColouring::Attractor:
      return DrawAttractorLegend(canvas, layout, palette.AttractorLabels());
    case GridColouring::Lyapunov: {
      // Each half of the bar has a scale of its own: the labels say where each ends.
      return DrawColourBar(canvas, layout, [](double t) { return BlueWhiteRed(2.0 * t - 1.0); },
                           "\xCE\xBB" "1 " + Number(palette.ScaleEnd()), "0", Number(palette.ScaleLow()));
    }
    case GridColouring::Escape: {
      const double end = palette.ScaleEnd();
      DrawColourBar(canvas, layout, [](double t) { return Viridis(t); }, Number(end), "", "1");
      const int below = layout.frameBottom + static_cast<int>(canvas.Scaled(6));
      const int w = static_cast<int>(canvas.Scaled(kSwatch));
      canvas.Rectangle(layout.legendLeft, below, layout.legendLeft + w, below + w);
      Fill(canvas, layout.legendLeft + 1, below + 1, layout.legendLeft + w - 1, below + w - 1, kNeverEscapedColour);
      canvas.TextOut(layout.legendLeft + w + static_cast<int>(canvas.Scaled(6)), below - static_cast<int>(canvas.Scaled(2)),
                     "never");
      return;
    }
  }
}

}  // namespace orbitra
