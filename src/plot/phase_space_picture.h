// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/chaos_indicators.h"
#include "plot/grid_picture.h"
#include "platform/canvas.h"
#include "platform/colour.h"

namespace orbitra {

// The colour scales of the phase-space picture. Each chaos indicator has its regular
// range in cool colours (ColorBrewer's YlGnBu, darkest at the most regular) and its
// chaotic range in warm ones (YlOrRd, darkest at the most chaotic), the boundary between
// them where the indicator's regular values end:
//   MEGNO <Y>: regular up to 2.5 (0 periodic, 2 quasi-periodic), chaotic up to 10;
//   FLI: regular up to log10 N + 1 (linear growth), chaotic up to 3 log10 N + 1;
//   lambda1: regular up to 2 ln(N) / N (what linear growth gives), chaotic up to 1.
// The rotation number wraps round a cyclic scale of hues (its value modulo 1).
// Orbits that escaped are grey.
struct PhaseScale {
  double low = 0.0;       // the bar's bottom
  double boundary = 0.0;  // regular up to here, chaotic above
  double high = 1.0;      // the bar's top
  bool cyclic = false;
};

PhaseScale ScaleOf(const PhaseSpaceSettings& settings) noexcept;
Colour PhaseColour(const PhaseScale& scale, double value) noexcept;

inline constexpr Colour kPhaseEscapedColour = Colour::FromRgb(0x99, 0x99, 0x99);

// The whole picture on a cleared canvas: frame, ticks and title by the plot box, the
// cells of the rows done, the axis names and the labelled colour bar.
void DrawPhaseSpacePicture(Canvas& canvas, const PhaseSpaceValues& values, const std::string& title);

// "x = 1.2, y = 0.5: MEGNO 2.01" for the status bar: the pixel's value, "escaped", or
// "not computed yet".
std::string PhaseSpacePixelText(const PhaseSpaceValues& values, std::int32_t column, std::int32_t row);

}  // namespace orbitra
