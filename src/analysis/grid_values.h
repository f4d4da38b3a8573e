// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/grid_settings.h"
#include "maps/world_geometry.h"

namespace orbitra {

// The numbers of a band of a grid's rows (the whole grid, or one tile of it), one slot per
// pixel, row after row from the band's lowest row up, columns left to right.
//
// value: when colouring by period, the period found, 0 chaotic (λ1 above the chaos
// tolerance), -1 escaped, or -2 (kNotSettled) not settled: no period decided and not
// chaotic, the orbit still nears its cycle; by attractor, the period found, 0 none or not
// settled, -1 escaped; the
// iteration at which the orbit escaped (0 never) by escape time; unused by exponent.
// lambda1: the larger Lyapunov exponent (parameter planes; not a number when escaped).
// representative: one point of the cycle found (attractor colouring): its smallest x.
struct GridValues {
  GridSettings settings;
  RowBand rows;
  std::vector<std::int32_t> value;
  std::vector<double> lambda1;
  std::vector<WorldPoint> representative;
  std::vector<std::uint8_t> done;  // the pixel's numbers are in

  GridValues() = default;
  GridValues(const GridSettings& s, RowBand band);

  std::size_t Index(std::int32_t column, std::int32_t row) const noexcept {
    return static_cast<std::size_t>(row - rows.first) * static_cast<std::size_t>(settings.width) +
           static_cast<std::size_t>(column);
  }
  bool HasRow(std::int32_t row) const noexcept { return row >= rows.first && row < rows.first + rows.count; }
  bool Complete() const noexcept;
};

// What a pixel of a parameter plane coloured by period is.
// Value 0 with λ1 at most the tolerance (grids kept from before kNotSettled) is not
// settled too.
enum class PixelClass : std::int8_t { NotComputed, Periodic, Chaotic, NotSettled, Escaped };

PixelClass ClassOf(const GridValues& grid, std::size_t index) noexcept;

}  // namespace orbitra
