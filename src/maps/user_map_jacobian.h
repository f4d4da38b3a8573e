#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "maps/map_jacobian.h"
#include "maps/user_map_program.h"

namespace orbitra {

// A value with its derivatives by x and by y: what forward-mode differentiation carries
// through a formula in place of a plain number.
struct DualNumber {
  double v;
  double dx;
  double dy;
};

// The exact Jacobian of a user map: its formula program run on dual numbers, every value
// computed as the expression library computes it and its derivatives beside it. mod(a, b)
// differentiates as a - b*floor(a/b) with the floor held constant, abs as its sign (+1 at
// 0, as the built-in maps take it), floor, ceil, sign, comparisons and logic as constants,
// a choice as the branch it takes, min and max as the argument they give.
//
// Immutable once made, and evaluated on the caller's stack: any number of threads may
// use one at once.
class UserMapJacobian {
 public:
  // Nothing for a program that does not read as formulas do, or that needs a deeper value
  // stack than kDeepest.
  static std::optional<UserMapJacobian> Of(const UserMapProgram& program);

  MapJacobian At(double x, double y, double k1, double k2, double k3, double k4) const noexcept;

  static constexpr int kDeepest = 512;

 private:
  UserMapJacobian() = default;

  std::vector<ProgramStep> steps_;
  std::vector<std::uint32_t> jumps_;  // for If and Else: where evaluation goes on when it skips
  int helperCount_ = 0;
};

}  // namespace orbitra
