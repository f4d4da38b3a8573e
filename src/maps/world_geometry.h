// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orbitra {

// A rectangle of the world plane.
struct WorldRange {
  double Xmin = 0.0;
  double Xmax = 0.0;
  double Ymin = 0.0;
  double Ymax = 0.0;
  friend bool operator==(const WorldRange&, const WorldRange&) = default;
};

// A point of the world plane.
struct WorldPoint {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const WorldPoint&, const WorldPoint&) = default;
};

}  // namespace orbitra
