// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "storage/session_values.h"

namespace orbitra {

// The `/views` group of a session (docs/session-format.md): the open windows of sweeps,
// the periodic orbits and the manifolds, as the file holds them. This layer knows the
// names, element types and shapes of the datasets; what the values mean, and whether
// they agree with each other, is the session's business.

// One window of a sweep: `/views/<n>`, its `history/<i>` groups and its datasets.
struct SessionSweepView {
  SessionAttributes attributes;  // "kind", the map, the picture's size, the dialog's values
  std::vector<SessionAttributes> history;
  std::vector<std::uint8_t> unitsDone;
  // An orbit diagram: counts[columns][rows] and escaped[columns].
  bool diagram = false;
  std::uint64_t columns = 0;
  std::uint64_t rows = 0;
  std::vector<std::uint32_t> counts;
  std::vector<std::uint8_t> escaped;
  // A parameter plane or basins: grid rows by columns, row 0 at the bottom. lambda1 and
  // the representatives (x and y last) only where the colouring has them.
  std::uint64_t gridRows = 0;
  std::uint64_t gridColumns = 0;
  std::vector<std::int32_t> value;
  std::vector<std::uint8_t> done;
  bool hasLambda1 = false;
  std::vector<double> lambda1;
  bool hasRepresentative = false;
  std::vector<double> representative;
};

// `/views/periodic_orbits`: one row per orbit, their points one after the other.
struct SessionOrbitRecords {
  SessionAttributes attributes;  // "markers_shown"
  std::vector<std::int32_t> period;
  std::vector<std::int32_t> kind;
  std::vector<double> trace;
  std::vector<double> determinant;
  std::vector<double> eigenvalues;  // [orbits][4]: re, im of the first, re, im of the second
  std::vector<double> points;       // [points][2]
};

// `/views/manifolds`: one row per branch, their points one after the other.
struct SessionManifoldRecords {
  SessionAttributes attributes;  // "wrap_x", "wrap_y"
  std::vector<std::int32_t> kind;
  std::vector<std::int32_t> side;
  std::vector<std::int64_t> orbitPoint;
  std::vector<std::int64_t> length;
  std::vector<double> points;  // [points][2]
};

struct SessionViews {
  std::vector<SessionSweepView> sweeps;
  SessionOrbitRecords orbits;
  SessionManifoldRecords manifolds;
};

}  // namespace orbitra
