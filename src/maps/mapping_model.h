// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>

#include "maps/world_geometry.h"

namespace orbitra {

struct MappingModel;
class UserMapEvaluator;

// The image of a point. Two doubles come back in registers, which keeps the call through
// the routine pointer cheap (a struct with a third field would go through memory).
struct MapImage {
  double x;
  double y;
};

// Computes the image of (x, y) under a map with the model's current k1 to k4. Where the
// point has no image (the wedge outside its domain) the routine delivers the point
// itself, which is what the run loop does with a point that has none.
using IterationRoutine = MapImage (*)(const MappingModel& model, double x, double y);

// Constants some maps derive from k1. Routines recompute them when k1's bits change, so an
// edited parameter takes effect at the next iterate and results are those of computing
// them afresh every time.
struct K1DerivedConstants {
  bool valid = false;
  std::uint64_t k1Bits = 0;
  double value1 = 0.0;
  double value2 = 0.0;
  double value3 = 0.0;
  double value4 = 0.0;
};

// The selected map and its parameters; one for the whole program.
struct MappingModel {
  std::int32_t system = 1;  // catalogue index: 1 to 10 built in, from 11 the user's maps
  double k1 = 0.0;
  double k2 = 0.0;
  double k3 = 0.0;
  double k4 = 0.0;
  IterationRoutine routine = nullptr;
  WorldRange DefaultRange;
  // The compiled formulas of a user map, which its routine evaluates; none for a built-in.
  std::shared_ptr<const UserMapEvaluator> userMap;

  mutable K1DerivedConstants rotationConstants;  // cos k1, sin k1
  mutable K1DerivedConstants wedgeConstants;     // s2, c2, G of the wedge angle
};

}  // namespace orbitra
