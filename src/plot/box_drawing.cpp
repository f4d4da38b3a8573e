// SPDX-License-Identifier: GPL-3.0-or-later
// Frame, ticks, labels and title of a box. All geometry is computed in world coordinates
// and turned into pixels with the unclipped WorldToScreen, so ticks and labels can stand
// outside the frame.
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "plot/plot_box.h"

namespace orbitra {

namespace {

constexpr double kLongTick = 1.0;
constexpr double kShortTick = 0.7;
// A label stands at a tick value up to this far above the upper bound.
constexpr double kLabelSlack = 1e-8;
// Tick counts above this are not drawn: denser ticks merge into a bar on any screen, and
// an absurd count typed into the box dialog would stall every repaint.
constexpr int kMostTicks = 10000;
// Texts anchored farther than this outside the canvas cannot reach into it; the text
// painter is spared the extreme coordinates of far-away points.
constexpr long long kTextMargin = 1 << 14;

// Enough for "%.4f" of the largest double.
using LabelBuffer = char[400];

// The label formats by number of decimals.
constexpr const char* kLabelFormats[] = {"%.0f", "%.1f", "%.2f", "%.3f", "%.4f"};

// The label of a tick value with 0 to 4 decimals; empty for any other digit count.
std::string_view FormatLabel(LabelBuffer& buffer, double value, int digits) noexcept {
  if (digits < 0 || digits > 4) return {};
  const int length = std::snprintf(buffer, sizeof buffer, kLabelFormats[digits], value);
  if (length <= 0) return {};
  return std::string_view(buffer, std::min(static_cast<std::size_t>(length), sizeof buffer - 1));
}

// Outputs a text with its top-left corner at (x, y). Empty texts draw nothing.
void TextAt(Canvas& canvas, long long x, long long y, std::string_view text) {
  if (text.empty()) return;
  if (x < -kTextMargin || x > canvas.Width() + kTextMargin || y < -kTextMargin || y > canvas.Height() + kTextMargin) {
    return;
  }
  canvas.TextOut(static_cast<int>(x), static_cast<int>(y), text);
}

void DrawLine(Canvas& canvas, PixelPoint from, PixelPoint to) noexcept {
  canvas.MoveTo(from.x, from.y);
  canvas.LineTo(to.x, to.y);
}

bool TicksDrawable(int ticks) noexcept { return ticks > 0 && ticks <= kMostTicks; }

// Characters of a UTF-8 text (a label may hold any letter): each byte that is not a
// continuation byte starts one.
long long CharacterCount(std::string_view text) noexcept {
  return std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

}  // namespace

void PlotBox::Draw(Canvas& canvas, int left, int top, int right, int bottom) {
  SetScreenRect(left, top, right, bottom);
  DrawFrame(canvas);
  DrawTitle(canvas);
}

void PlotBox::DrawFrame(Canvas& canvas) {
  if (Visible == 0) return;
  // A range without extent has no frame of its own: the box's place is framed, empty.
  const bool degenerate = Degenerate();
  const PixelPoint topLeft = degenerate ? PixelPoint{screenLeft_, screenTop_} : WorldToScreen(Xmin, Ymax);
  const PixelPoint bottomRight = degenerate ? PixelPoint{screenRight_, screenBottom_} : WorldToScreen(Xmax, Ymin);
  if (FatBorder == 1) canvas.Rectangle(topLeft.x - 1, topLeft.y - 1, bottomRight.x + 1, bottomRight.y + 1);
  canvas.Rectangle(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
  // Its ticks would all fall on one pixel, with meaningless labels.
  if (ShowTicks == 0 || degenerate) return;

  // A count of 0 would divide the range by zero; it shows no tick, like a negative count.
  const bool ticksX = TicksDrawable(TicksX);
  const bool ticksY = TicksDrawable(TicksY);
  const double lenX = (Ymax - Ymin) * TickWidthX * 0.01;
  const double stepX = ticksX ? (Xmax - Xmin) / TicksX : 0.0;
  const double lenY = (Xmax - Xmin) * TickWidthY * 0.01;
  const double stepY = ticksY ? (Ymax - Ymin) / TicksY : 0.0;

  // Ticks hang down from the bottom edge and point left from the left edge; every second
  // one, from the first on, is long.
  if (ticksX) {
    for (int i = 0; i <= TicksX; ++i) {
      const double x = i * stepX + Xmin;
      const double f = i % 2 == 0 ? kLongTick : kShortTick;
      DrawLine(canvas, WorldToScreen(x, Ymin), WorldToScreen(x, Ymin - f * lenX));
    }
  }
  if (ticksY) {
    for (int i = 0; i <= TicksY; ++i) {
      const double y = i * stepY + Ymin;
      const double f = i % 2 == 0 ? kLongTick : kShortTick;
      DrawLine(canvas, WorldToScreen(Xmin, y), WorldToScreen(Xmin - f * lenY, y));
    }
  }
  if (ShowLabels == 0) return;

  // Labels at the long ticks (offsets in screen pixels, scaled with the picture's text):
  // centred under the horizontal ones, three pixels above the tick's end; ending near the
  // vertical ones' outer end, centred on them. The values are the computed tick positions,
  // not the bounds.
  LabelBuffer buffer;
  if (ticksX) {
    for (int i = 0; i <= TicksX; i += 2) {
      const double x = i * stepX + Xmin;
      if (x > Xmax + kLabelSlack) break;
      const PixelPoint p = WorldToScreen(x, Ymin - lenX);
      const std::string_view text = FormatLabel(buffer, x, DigitsX);
      TextAt(canvas, p.x - canvas.Scaled(4LL * static_cast<long long>(text.size())), p.y - canvas.Scaled(3), text);
    }
  }
  if (ticksY) {
    for (int i = 0; i <= TicksY; i += 2) {
      const double y = i * stepY + Ymin;
      if (y > Ymax + kLabelSlack) break;
      const PixelPoint p = WorldToScreen(Xmin - lenY, y);
      const std::string_view text = FormatLabel(buffer, y, DigitsY);
      TextAt(canvas, p.x - canvas.Scaled(7LL * static_cast<long long>(text.size())), p.y - canvas.Scaled(8), text);
    }
  }
}

void PlotBox::DrawTitle(Canvas& canvas) {
  if (Visible == 0) return;
  const double middle = (static_cast<double>(screenLeft_) + screenRight_) * 0.5;
  const PixelPoint p =
      Degenerate() ? PixelPoint{Pix(middle), screenTop_} : WorldToScreen(Xmin + (Xmax - Xmin) * 0.5, Ymax);
  TextAt(canvas, p.x - canvas.Scaled(4LL * CharacterCount(Label)), p.y - canvas.Scaled(25), Label);
}

}  // namespace orbitra
