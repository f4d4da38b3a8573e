// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <future>
#include <memory>

#include "maps/map_jacobian.h"
#include "maps/mapping_model.h"

namespace orbitra {

// A user map's formulas as machine code (see CompileNativeUserMap): each function computes
// what the expression library computes, operation for operation, to the bit.
class NativeUserMap {
 public:
  // The image of (x, y).
  using StepFunction = MapImage (*)(double x, double y, double k1, double k2, double k3, double k4);
  // Up to `count` successive images of (x, y) into `images`, k1 to k4 in `k`. Stops before
  // an image with x*x + y*y > infinity (which the run loop calls an escape); returns how
  // many images it wrote.
  using BlockFunction = std::int32_t (*)(double x, double y, const double* k, double infinity, std::int32_t count,
                                         MapImage* images);
  // The exact partial derivatives of the image at (x, y).
  using JacobianFunction = MapJacobian (*)(double x, double y, double k1, double k2, double k3, double k4);

  NativeUserMap(StepFunction step, BlockFunction block, std::shared_ptr<const void> code,
                JacobianFunction jacobian = nullptr) noexcept
      : step_(step), block_(block), jacobian_(jacobian), code_(std::move(code)) {}

  MapImage Step(double x, double y, const MappingModel& m) const noexcept { return step_(x, y, m.k1, m.k2, m.k3, m.k4); }
  StepFunction StepCode() const noexcept { return step_; }
  BlockFunction BlockCode() const noexcept { return block_; }
  // Null for code made without it.
  JacobianFunction JacobianCode() const noexcept { return jacobian_; }

 private:
  StepFunction step_;
  BlockFunction block_;
  JacobianFunction jacobian_;
  std::shared_ptr<const void> code_;  // keeps the machine code loaded while referenced
};

// A user map's formulas as the orbit diagram's lanes in machine code (orbitra_lanes).
class NativeLanes {
 public:
  // kNativeLanes orbits side by side, `count` iterates each.
  using LanesFunction = void (*)(double* x, double* y, const double* k, double infinity, std::int32_t count,
                                 double* escaped, double* points);

  NativeLanes(LanesFunction lanes, std::shared_ptr<const void> code) noexcept
      : lanes_(lanes), code_(std::move(code)) {}
  LanesFunction LanesCode() const noexcept { return lanes_; }

 private:
  LanesFunction lanes_;
  std::shared_ptr<const void> code_;  // keeps the machine code loaded while referenced
};

// Lanes handed over from the thread that compiles them; null when there are none.
using NativeLanesFuture = std::shared_future<std::shared_ptr<const NativeLanes>>;

// Lanes already at hand (or none), as a future that is ready.
inline NativeLanesFuture LanesAtHand(std::shared_ptr<const NativeLanes> lanes) {
  std::promise<std::shared_ptr<const NativeLanes>> promise;
  promise.set_value(std::move(lanes));
  return promise.get_future().share();
}

}  // namespace orbitra
