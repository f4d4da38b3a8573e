// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/grid_values.h"

#include <algorithm>
#include <cmath>

#include "analysis/orbit_period.h"

namespace orbitra {

GridValues::GridValues(const GridSettings& s, RowBand band) : settings(s), rows(band) {
  const std::size_t n = static_cast<std::size_t>(s.width) * static_cast<std::size_t>(band.count);
  value.assign(n, 0);
  if (IsParameterPlane(s.colouring)) lambda1.assign(n, std::nan(""));
  if (s.colouring == GridColouring::Attractor) representative.assign(n, WorldPoint{});
  done.assign(n, 0);
}

bool GridValues::Complete() const noexcept {
  return std::all_of(done.begin(), done.end(), [](std::uint8_t d) { return d != 0; });
}

PixelClass ClassOf(const GridValues& grid, std::size_t index) noexcept {
  if (!grid.done[index]) return PixelClass::NotComputed;
  const std::int32_t v = grid.value[index];
  if (v == kNotSettled) return PixelClass::NotSettled;
  if (v < 0) return PixelClass::Escaped;
  if (v > 0) return PixelClass::Periodic;
  return grid.lambda1[index] > grid.settings.chaosTolerance ? PixelClass::Chaotic : PixelClass::NotSettled;
}

}  // namespace orbitra
