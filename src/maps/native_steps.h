// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "maps/central_difference.h"
#include "maps/native_user_map.h"

namespace orbitra {

// A compiled user map as a step of the run loop, one call per iterate, with its exact
// Jacobian compiled beside it (dual numbers through the formulas, as the interpreter
// computes it); by central differences only for code that lacks it.
struct NativeStep {
  NativeUserMap::StepFunction code;
  NativeUserMap::JacobianFunction jacobian;
  double k1, k2, k3, k4;
  CoordinateWrap wrap;

  NativeStep(const NativeUserMap& map, const MappingModel& m, CoordinateWrap w) noexcept
      : code(map.StepCode()), jacobian(map.JacobianCode()), k1(m.k1), k2(m.k2), k3(m.k3), k4(m.k4), wrap(w) {}
  MapImage operator()(double x, double y) const noexcept { return code(x, y, k1, k2, k3, k4); }
  MapJacobian Jacobian(double x, double y) const {
    if (jacobian != nullptr) return jacobian(x, y, k1, k2, k3, k4);
    return CentralDifferenceJacobian(*this, x, y, wrap);
  }
};

// A compiled user map that computes a block of iterates per call, with the run loop's
// escape test, so that the call costs little per iterate.
struct NativeBlockStep {
  NativeUserMap::BlockFunction code;
  double k[4];

  NativeBlockStep(const NativeUserMap& map, const MappingModel& m) noexcept
      : code(map.BlockCode()), k{m.k1, m.k2, m.k3, m.k4} {}
  // Up to `count` images of (x, y), stopping before one beyond `infinity`; how many.
  std::int32_t Block(double x, double y, double infinity, std::int32_t count, MapImage* images) const noexcept {
    return code(x, y, k, infinity, count, images);
  }
};

// The same for a run whose inspector asks for the Jacobian at every point it steps from:
// the orbit still advances a block per call, off the path of the Jacobians' calls.
struct NativeInspectedBlockStep : NativeBlockStep {
  NativeUserMap::JacobianFunction jacobian;

  // The map must have its Jacobian compiled (JacobianCode() not null).
  NativeInspectedBlockStep(const NativeUserMap& map, const MappingModel& m) noexcept
      : NativeBlockStep(map, m), jacobian(map.JacobianCode()) {}
  MapJacobian Jacobian(double x, double y) const noexcept { return jacobian(x, y, k[0], k[1], k[2], k[3]); }
};

}  // namespace orbitra
