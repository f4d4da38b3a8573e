// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "platform/colour.h"

namespace orbitra {

// Colour scales of the whole-plane pictures, from published tables rather than ramps of
// our own: viridis (perceptually uniform, for counts and escape times), ColorBrewer's
// diverging RdBu (blue below zero, near white at zero, red above, for Lyapunov
// exponents), and Kelly's colours of maximum contrast (for periods and attractors).

// t in [0, 1] (clamped; not a number gives the low end), linear between the table's
// entries.
Colour Viridis(double t) noexcept;
// t in [-1, 1]: -1 deep blue, 0 the table's middle (near white), 1 deep red.
Colour BlueWhiteRed(double t) noexcept;

// Clearly distinct colours, none of them white, black or grey; n from 1 on, repeating
// after kDistinctColourCount.
inline constexpr int kDistinctColourCount = 18;
Colour DistinctColour(std::int32_t n) noexcept;

// Periods 1 to kOwnPeriodColours each have a colour of their own (DistinctColour); every
// longer period shares the one colour left (the group "period 18-64" of a legend), so no
// two periods shown ever look alike.
inline constexpr int kOwnPeriodColours = kDistinctColourCount - 1;
Colour PeriodColour(std::int32_t period) noexcept;

}  // namespace orbitra
