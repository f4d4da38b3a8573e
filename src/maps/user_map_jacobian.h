// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "maps/map_jacobian.h"
#include "maps/mapping_model.h"
#include "maps/user_map_program.h"

namespace orbitra {

// A value with its derivatives by x and by y: what forward-mode differentiation carries
// through a formula in place of a plain number. `constant` marks a value that depends on
// neither x nor y by the formula's structure (numbers, parameters, what is made of them
// alone): its derivatives are 0 and take no part in any product, so that an infinite
// parameter or constant never turns a derivative into not a number, and nothing is spent
// on them.
struct DualNumber {
  double v;
  double dx;
  double dy;
  bool constant;
};

// The exact Jacobian of a user map: its formula program run on dual numbers, every value
// computed as the expression library computes it and its derivatives beside it. mod(a, b)
// differentiates as a - b*floor(a/b) with the floor held constant, abs as its sign (+1 at
// 0, as the built-in maps take it), floor, ceil, sign, comparisons and logic as constants,
// a choice as the branch it takes, min and max as the argument they give. A choice is
// constant when both its branches are (as machine code, which cannot know the branch
// beforehand, has it too).
//
// Immutable once made, and evaluated on the caller's stack: any number of threads may
// use one at once.
class UserMapJacobian {
 public:
  // Nothing for a program that does not read as formulas do, or that needs a deeper value
  // stack than kDeepest.
  static std::optional<UserMapJacobian> Of(const UserMapProgram& program);

  MapJacobian At(double x, double y, double k1, double k2, double k3, double k4) const noexcept;

  // The image itself: the same program on plain numbers, each value computed by the same
  // operation and the same function as the expression library's, so to the bit what the
  // library gives, without the library's dispatch (which cost an interpreted Standard Map
  // run about 19 of its 50 ns per iterate).
  MapImage Image(double x, double y, double k1, double k2, double k3, double k4) const noexcept;

  static constexpr int kDeepest = 512;

 private:
  UserMapJacobian() = default;

  std::vector<ProgramStep> steps_;
  std::vector<std::uint32_t> jumps_;  // for If and Else: the step evaluation goes on at when it skips
  std::vector<bool> constantChoice_;  // for EndIf: whether both branches were constant
  // How Image runs each step: its Op, or one of the codes below for a Call; kDone after
  // the last step.
  static constexpr std::uint8_t kCallBinary = static_cast<std::uint8_t>(ProgramStep::Op::EndIf) + 1;
  static constexpr std::uint8_t kModulo = kCallBinary + 1;
  static constexpr std::uint8_t kNegate = kModulo + 1;
  static constexpr std::uint8_t kDone = kNegate + 1;
  static constexpr int kCodeCount = kDone + 1;
  std::vector<std::uint8_t> codes_;
  std::vector<UnaryFunction> unary_;    // for Call: the function of one argument, or
  std::vector<BinaryFunction> binary_;  // of two
  int helperCount_ = 0;
};

}  // namespace orbitra
