// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orbitra {

// The periods a map reduces its image coordinates by (0 for a coordinate it does not
// reduce): a difference across the cut is taken the short way round, and two points
// on either side of it are close.
struct CoordinateWrap {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const CoordinateWrap&, const CoordinateWrap&) = default;
};

// The wraps of built-in map t (1 to 10); none for any other index.
CoordinateWrap WrapOfSystem(int t) noexcept;

}  // namespace orbitra
