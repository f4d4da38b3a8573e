// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>

namespace orbitra {

// One stored iterate, identical in memory and in the disk stream: x and y as
// little-endian IEEE-754 doubles, the colour index, then 7 reserved bytes (zeros).
struct StoredPoint {
  double x = 0.0;
  double y = 0.0;
  std::uint8_t colour = 0;
  std::array<std::uint8_t, 7> reserved{};
};

static_assert(sizeof(StoredPoint) == 24, "a stored point is exactly 24 bytes");
static_assert(std::is_trivially_copyable_v<StoredPoint>, "stored points are written as raw bytes");

}  // namespace orbitra
