// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/phase_space_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "plot/plot_box.h"

namespace orbitra {

namespace {

struct Rgb {
  double r, g, b;
};

// ColorBrewer's YlGnBu from dark to light, and YlOrRd from light to dark.
constexpr Rgb kCool[] = {{8, 29, 88}, {37, 52, 148}, {34, 94, 168}, {29, 145, 192}, {65, 182, 196}, {127, 205, 187}, {199, 233, 180}};
constexpr Rgb kWarm[] = {{255, 237, 160}, {254, 217, 118}, {254, 178, 76}, {253, 141, 60}, {252, 78, 42}, {227, 26, 28}, {177, 0, 38}, {128, 0, 38}};

template <std::size_t N>
Colour Ramp(const Rgb (&table)[N], double t) noexcept {
  t = std::clamp(std::isnan(t) ? 0.0 : t, 0.0, 1.0) * static_cast<double>(N - 1);
  const std::size_t i = std::min(static_cast<std::size_t>(t), N - 2);
  const double f = t - static_cast<double>(i);
  const auto mix = [f](double a, double b) { return static_cast<std::uint8_t>(std::lround(a + f * (b - a))); };
  return Colour::FromRgb(mix(table[i].r, table[i + 1].r), mix(table[i].g, table[i + 1].g), mix(table[i].b, table[i + 1].b));
}

// A hue circle at fixed saturation and value: t and t + 1 give the same colour.
Colour Hue(double t) noexcept {
  const double h = (t - std::floor(t)) * 6.0;
  const double c = 0.85 * 0.95, m = 0.95 - c;
  const double x = c * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0));
  double r = 0, g = 0, b = 0;
  if (h < 1) r = c, g = x;
  else if (h < 2) r = x, g = c;
  else if (h < 3) g = c, b = x;
  else if (h < 4) g = x, b = c;
  else if (h < 5) r = x, b = c;
  else r = c, b = x;
  const auto byte = [m](double v) { return static_cast<std::uint8_t>(std::lround(255.0 * (v + m))); };
  return Colour::FromRgb(byte(r), byte(g), byte(b));
}

std::string Number(double v, const char* format = "%.3g") {
  char text[48];
  std::snprintf(text, sizeof text, format, v == 0.0 ? 0.0 : v);
  return text;
}

const char* IndicatorName(PhaseColouring c) noexcept {
  switch (c) {
    case PhaseColouring::Fli: return "FLI";
    case PhaseColouring::Megno: return "MEGNO";
    case PhaseColouring::Lyapunov: return "\xCE\xBB" "1";
    case PhaseColouring::Rotation: return "rotation";
  }
  return "";
}

void Fill(Canvas& canvas, int left, int top, int right, int bottom, Colour colour) {
  const Canvas::Pixel pixel = Canvas::ToPixel(colour);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) canvas.SetPixelRaw(x, y, pixel);
  }
}

}  // namespace

PhaseScale ScaleOf(const PhaseSpaceSettings& s) noexcept {
  const double n = std::max(2.0, static_cast<double>(s.iterations));
  switch (s.colouring) {
    case PhaseColouring::Megno: return {0.0, 2.5, 10.0, false};
    case PhaseColouring::Fli: return {0.0, std::log10(n) + 1.0, 3.0 * std::log10(n) + 1.0, false};
    case PhaseColouring::Lyapunov: return {0.0, 2.0 * std::log(n) / n, std::max(1.0, 4.0 * std::log(n) / n), false};
    case PhaseColouring::Rotation: return {0.0, 1.0, 1.0, true};
  }
  return {};
}

Colour PhaseColour(const PhaseScale& scale, double v) noexcept {
  if (std::isnan(v)) return kPhaseEscapedColour;
  if (scale.cyclic) return Hue(v);
  if (v <= scale.boundary) return Ramp(kCool, (v - scale.low) / (scale.boundary - scale.low));
  return Ramp(kWarm, (v - scale.boundary) / (scale.high - scale.boundary));
}

void DrawPhaseSpacePicture(Canvas& canvas, const PhaseSpaceValues& values, const std::string& title) {
  const GridPictureLayout layout = LayoutGridPicture(canvas.Width(), canvas.Height(), canvas.TextScale());
  const PhaseSpaceSettings& s = values.settings;
  PlotBox box;
  box.RoundScales = 0;
  box.FatBorder = 0;
  box.Label = title;
  box.SetScreenPercent(0, 0, 100, 100);
  box.SetRange(s.range.Xmin, s.range.Ymin, s.range.Xmax, s.range.Ymax);
  box.SetTicks(4, 4, 2, 2, 2, 2);
  box.SetScreenRect(0, 0, canvas.Width(), canvas.Height());
  if (!box.Degenerate()) {
    box.ScaleX = (layout.frameRight - layout.frameLeft) / (s.range.Xmax - s.range.Xmin);
    box.OffsetX = box.ScaleX * s.range.Xmin - layout.frameLeft;
    box.ScaleY = (layout.frameTop - layout.frameBottom) / (s.range.Ymax - s.range.Ymin);
    box.OffsetY = box.ScaleY * s.range.Ymin - layout.frameBottom;
  }
  box.DrawFrame(canvas);
  box.DrawTitle(canvas);

  const PhaseScale scale = ScaleOf(s);
  // One pixel per cell, or on a canvas of another size each pixel the cell under it.
  const bool resampled = s.width != layout.gridWidth || s.height != layout.gridHeight;
  const std::int32_t pixelRows =
      resampled ? layout.gridHeight : std::min(values.rows.first + values.rows.count, layout.gridHeight);
  const std::int32_t pixelColumns = resampled ? layout.gridWidth : std::min(s.width, layout.gridWidth);
  for (std::int32_t pr = resampled ? 0 : values.rows.first; pr < pixelRows; ++pr) {
    const std::int32_t r = resampled ? static_cast<std::int32_t>(std::int64_t{pr} * s.height / layout.gridHeight) : pr;
    if (r < values.rows.first || r >= values.rows.first + values.rows.count) continue;
    for (std::int32_t pc = 0; pc < pixelColumns; ++pc) {
      const std::int32_t c = resampled ? static_cast<std::int32_t>(std::int64_t{pc} * s.width / layout.gridWidth) : pc;
      const std::size_t i = values.Index(c, r);
      if (!values.done[i]) continue;
      canvas.SetPixel(layout.PixelX(pc), layout.PixelY(pr), PhaseColour(scale, values.value[i]));
    }
  }
  canvas.TextOut((layout.frameLeft + layout.frameRight) / 2, layout.frameBottom + static_cast<int>(canvas.Scaled(22)), "x");
  canvas.TextOut(static_cast<int>(canvas.Scaled(6)), layout.frameTop - static_cast<int>(canvas.Scaled(14)), "y");

  // The bar: bottom = low, top = high, the boundary's line labelled.
  const int x = layout.legendLeft;
  const int w = static_cast<int>(canvas.Scaled(16));
  const int y0 = layout.frameTop, y1 = layout.frameBottom;
  canvas.Rectangle(x, y0, x + w, y1);
  const double span = scale.high - scale.low;
  for (int y = y0 + 1; y < y1 - 1; ++y) {
    const double t = 1.0 - static_cast<double>(y - y0 - 1) / std::max(1, y1 - y0 - 3);
    Fill(canvas, x + 1, y, x + w - 1, y + 1, PhaseColour(scale, scale.low + t * span * (scale.cyclic ? 0.999 : 1.0)));
  }
  const int tx = x + w + static_cast<int>(canvas.Scaled(6));
  const int half = static_cast<int>(canvas.Scaled(8));
  canvas.TextOut(tx, y0 - half / 2, IndicatorName(s.colouring) + std::string(" ") + Number(scale.high));
  canvas.TextOut(tx, y1 - 2 * half, Number(scale.low));
  if (!scale.cyclic) {
    const int yb = y1 - 1 - static_cast<int>(std::lround((scale.boundary - scale.low) / span * (y1 - y0 - 3)));
    canvas.MoveTo(x - static_cast<int>(canvas.Scaled(4)), yb);
    canvas.LineTo(x + w + static_cast<int>(canvas.Scaled(4)), yb);
    canvas.TextOut(tx, yb - 3 * half, "chaotic");
    canvas.TextOut(tx, yb - half, Number(scale.boundary));
    canvas.TextOut(tx, yb + half / 2, "regular");
  }
  const int below = y1 + static_cast<int>(canvas.Scaled(6));
  const int sw = static_cast<int>(canvas.Scaled(12));
  canvas.Rectangle(x, below, x + sw, below + sw);
  Fill(canvas, x + 1, below + 1, x + sw - 1, below + sw - 1, kPhaseEscapedColour);
  canvas.TextOut(x + sw + static_cast<int>(canvas.Scaled(6)), below - static_cast<int>(canvas.Scaled(2)), "escaped");
}

std::string PhaseSpacePixelText(const PhaseSpaceValues& values, std::int32_t column, std::int32_t row) {
  const PhaseSpaceSettings& s = values.settings;
  std::string text = "x = " + Number(CellCentre(s.range.Xmin, s.range.Xmax, s.width, column), "%.6g") +
                     ", y = " + Number(CellCentre(s.range.Ymin, s.range.Ymax, s.height, row), "%.6g") + ": ";
  if (!values.HasRow(row) || column < 0 || column >= s.width) return text + "outside";
  const std::size_t i = values.Index(column, row);
  if (!values.done[i]) return text + "not computed yet";
  if (std::isnan(values.value[i])) return text + "escaped";
  return text + IndicatorName(s.colouring) + " " + Number(values.value[i], "%.6g");
}

}  // namespace orbitra
