// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/colour_scales.h"

#include <array>
#include <cmath>

namespace orbitra {

namespace {

struct Anchor {
  double at;  // position in [0, 1]
  double r, g, b;  // in [0, 1]
};

// Entries 0, 8, 16, ..., 248 and 255 of the 256-entry viridis table (van der Walt and
// Smith, 2015, as published with matplotlib); the entries between lie within half a
// level of 8 bits of the straight lines through these.
constexpr std::array<Anchor, 33> kViridis = {{
    {0 / 255.0, 0.267004, 0.004874, 0.329415},   {8 / 255.0, 0.277018, 0.050344, 0.375715},
    {16 / 255.0, 0.282327, 0.094955, 0.417331},  {24 / 255.0, 0.282884, 0.135920, 0.453427},
    {32 / 255.0, 0.278826, 0.175490, 0.483397},  {40 / 255.0, 0.270595, 0.214069, 0.507052},
    {48 / 255.0, 0.258965, 0.251537, 0.524736},  {56 / 255.0, 0.244972, 0.287675, 0.537260},
    {64 / 255.0, 0.229739, 0.322361, 0.545706},  {72 / 255.0, 0.214298, 0.355619, 0.551184},
    {80 / 255.0, 0.199430, 0.387607, 0.554642},  {88 / 255.0, 0.185556, 0.418570, 0.556753},
    {96 / 255.0, 0.172719, 0.448791, 0.557885},  {104 / 255.0, 0.160665, 0.478540, 0.558115},
    {112 / 255.0, 0.149039, 0.508051, 0.557250}, {120 / 255.0, 0.137770, 0.537492, 0.554906},
    {128 / 255.0, 0.127568, 0.566949, 0.550556}, {136 / 255.0, 0.120565, 0.596422, 0.543611},
    {144 / 255.0, 0.120638, 0.625828, 0.533488}, {152 / 255.0, 0.132268, 0.655014, 0.519661},
    {160 / 255.0, 0.157851, 0.683765, 0.501686}, {168 / 255.0, 0.196571, 0.711827, 0.479221},
    {176 / 255.0, 0.246070, 0.738910, 0.452024}, {184 / 255.0, 0.304148, 0.764704, 0.419943},
    {192 / 255.0, 0.369214, 0.788888, 0.382914}, {200 / 255.0, 0.440137, 0.811138, 0.340967},
    {208 / 255.0, 0.515992, 0.831158, 0.294279}, {216 / 255.0, 0.595839, 0.848717, 0.243329},
    {224 / 255.0, 0.678489, 0.863742, 0.189503}, {232 / 255.0, 0.762373, 0.876424, 0.137064},
    {240 / 255.0, 0.845561, 0.887322, 0.099702}, {248 / 255.0, 0.926106, 0.897330, 0.104071},
    {255 / 255.0, 0.993248, 0.906157, 0.143936},
}};

// ColorBrewer's 11-class RdBu (Brewer, colorbrewer2.org), from its blue end to its red end.
constexpr std::array<Anchor, 11> kRdBu = {{
    {0.0, 5 / 255.0, 48 / 255.0, 97 / 255.0},      {0.1, 33 / 255.0, 102 / 255.0, 172 / 255.0},
    {0.2, 67 / 255.0, 147 / 255.0, 195 / 255.0},   {0.3, 146 / 255.0, 197 / 255.0, 222 / 255.0},
    {0.4, 209 / 255.0, 229 / 255.0, 240 / 255.0},  {0.5, 247 / 255.0, 247 / 255.0, 247 / 255.0},
    {0.6, 253 / 255.0, 219 / 255.0, 199 / 255.0},  {0.7, 244 / 255.0, 165 / 255.0, 130 / 255.0},
    {0.8, 214 / 255.0, 96 / 255.0, 77 / 255.0},    {0.9, 178 / 255.0, 24 / 255.0, 43 / 255.0},
    {1.0, 103 / 255.0, 0 / 255.0, 31 / 255.0},
}};

// Kelly's colours of maximum contrast (1965), without his white, black, grey and buff,
// which the pictures keep for other meanings.
constexpr std::array<std::uint32_t, kDistinctColourCount> kKelly = {
    0xF3C300, 0x875692, 0xF38400, 0xA1CAF1, 0xBE0032, 0x008856, 0xE68FAC, 0x0067A5, 0xF99379,
    0x604E97, 0xF6A600, 0xB3446C, 0xDCD300, 0x882D17, 0x8DB600, 0x654522, 0xE25822, 0x2B3D26,
};

std::uint8_t Level(double v) noexcept { return static_cast<std::uint8_t>(std::lround(v * 255.0)); }

template <std::size_t N>
Colour Interpolate(const std::array<Anchor, N>& table, double t) noexcept {
  t = t > 0.0 ? (t < 1.0 ? t : 1.0) : 0.0;  // not a number goes to 0
  std::size_t k = 1;
  while (k < N - 1 && table[k].at < t) ++k;
  const Anchor& a = table[k - 1];
  const Anchor& b = table[k];
  const double f = (t - a.at) / (b.at - a.at);
  return Colour::FromRgb(Level(a.r + (b.r - a.r) * f), Level(a.g + (b.g - a.g) * f), Level(a.b + (b.b - a.b) * f));
}

}  // namespace

Colour Viridis(double t) noexcept { return Interpolate(kViridis, t); }

Colour BlueWhiteRed(double t) noexcept { return Interpolate(kRdBu, 0.5 + 0.5 * t); }

Colour DistinctColour(std::int32_t n) noexcept {
  const auto i = static_cast<std::size_t>(((n - 1) % kDistinctColourCount + kDistinctColourCount) % kDistinctColourCount);
  const std::uint32_t rgb = kKelly[i];
  return Colour::FromRgb(static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                         static_cast<std::uint8_t>(rgb));
}

Colour PeriodColour(std::int32_t period) noexcept {
  return DistinctColour(period <= kOwnPeriodColours ? period : kDistinctColourCount);
}

}  // namespace orbitra
