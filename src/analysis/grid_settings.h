// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "maps/world_geometry.h"

namespace orbitra {

// What a whole-plane picture shows. A parameter plane varies two of k1 to k4 (one pair
// per pixel, every orbit from the same initial point); a basin picture varies the initial
// point over the phase plane with the parameters fixed.
enum class GridColouring : std::int8_t {
  Period,     // parameter plane: period 1 to the longest, chaotic, neither, escaped
  Lyapunov,   // parameter plane: the larger Lyapunov exponent
  Escape,     // basins: iterations until the orbit leaves the escape disc
  Attractor,  // basins: the attractor the orbit settles on
};

inline bool IsParameterPlane(GridColouring c) noexcept {
  return c == GridColouring::Period || c == GridColouring::Lyapunov;
}

// Everything a grid's numbers depend on besides the map itself. Pixel (column i, row r)
// stands for the centre of its cell: x = range.Xmin + (i + 0.5) * (Xmax - Xmin) / width,
// rows counted from the bottom (y = Ymin side) up.
struct GridSettings {
  GridColouring colouring = GridColouring::Period;
  int xParameter = 0;  // parameter planes: which of k1..k4 (0..3) runs along x
  int yParameter = 1;  // and along y
  WorldRange range{-1.0, 1.0, -1.0, 1.0};
  std::int32_t width = 400;
  std::int32_t height = 300;
  WorldPoint from{0.0, 0.0};           // parameter planes: every orbit's initial point
  std::int32_t transient = 1000;       // iterations before anything is looked at
  std::int32_t longestPeriod = 64;     // periods 1 to this are looked for
  std::int32_t lyapunovIterations = 1000;
  std::int32_t escapeIterations = 1000;  // basins by escape time: the iterations allowed
  double escape = 10000.0;             // an orbit escapes once x*x + y*y passes this
  double chaosTolerance = 0.01;        // chaotic when the larger exponent is above this

  friend bool operator==(const GridSettings&, const GridSettings&) = default;
};

inline constexpr std::int32_t kMostPeriodLookedFor = 1000;

// The world value of the centre of column i (or row r) of n over [lo, hi].
inline double CellCentre(double lo, double hi, std::int32_t n, std::int32_t i) noexcept {
  return lo + (static_cast<double>(i) + 0.5) * ((hi - lo) / static_cast<double>(n));
}

// Rows first..first+count-1 of a band of the grid: tile `index` of `count` splits the rows
// as evenly as whole rows allow, the lower tiles at the bottom.
struct RowBand {
  std::int32_t first = 0;
  std::int32_t count = 0;
};

inline RowBand TileRows(std::int32_t height, std::int32_t index, std::int32_t tiles) noexcept {
  const auto at = [&](std::int64_t k) { return static_cast<std::int32_t>(k * height / tiles); };
  return {at(index), at(index + 1) - at(index)};
}

}  // namespace orbitra
