// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "maps/formula_language.h"

namespace orbitra {

// A user map's formulas as the expression library compiled them, in the library's own
// order (postfix, one value stack), but free of the library's types: what machine code is
// made from. Helpers are assigned in order; the last two values left are x' and y'.
struct ProgramStep {
  enum class Op : std::uint8_t {
    Number,    // pushes `number`
    Variable,  // pushes variable `index`
    Assign,    // pops a value and the variable's own entry below it; the variable takes the
               // value, which is pushed again
    Add, Subtract, Multiply, Divide, Power,
    Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual,  // 1 or 0
    And, Or,   // of two values, each true when not 0; 1 or 0
    Call,      // the FormulaFunction `index` of its one or two arguments
    If,        // pops the condition; what follows up to Else when it is not 0
    Else,      // what follows up to EndIf when the condition was 0
    EndIf,
  };
  Op op = Op::Number;
  std::uint8_t index = 0;
  double number = 0.0;
};

// Variables by index: x, y, k1 to k4, then the helpers in the order of their lines.
inline constexpr int kProgramX = 0;
inline constexpr int kProgramY = 1;
inline constexpr int kProgramK1 = 2;
inline constexpr int kFirstProgramHelper = 6;

struct UserMapProgram {
  std::vector<ProgramStep> steps;
  int helperCount = 0;

  // Equal for two programs exactly when they compute the same (numbers to the bit).
  std::string Key() const;
  // The program a Key() was made of; nothing for bytes that are no such key.
  static std::optional<UserMapProgram> FromKey(std::string_view key);
};

}  // namespace orbitra
