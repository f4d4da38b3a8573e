// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/user_map_wrap.h"

#include <cmath>
#include <vector>

#include "maps/formula_language.h"

namespace orbitra {

namespace {

using Op = ProgramStep::Op;

// What the walk knows of a value on the stack: whether it depends on x and y, its value
// when it does not, and the period when it is a mod by a constant.
struct Known {
  bool constant = false;
  double value = NAN;
  double period = 0.0;  // > 0: the value is mod(a, period)
};

double Arithmetic(Op op, double a, double b) noexcept {
  switch (op) {
    case Op::Add: return a + b;
    case Op::Subtract: return a - b;
    case Op::Multiply: return a * b;
    case Op::Divide: return a / b;
    case Op::Power: return std::pow(a, b);
    default: return NAN;
  }
}

}  // namespace

CoordinateWrap WrapOfUserMapProgram(const UserMapProgram& program, double k1, double k2, double k3,
                                    double k4) noexcept {
  std::vector<Known> stack;
  std::vector<Known> helpers(static_cast<std::size_t>(program.helperCount > 0 ? program.helperCount : 0));
  const double parameters[4] = {k1, k2, k3, k4};
  for (const ProgramStep& step : program.steps) {
    switch (step.op) {
      case Op::Number:
        stack.push_back({true, step.number, 0.0});
        break;
      case Op::Variable:
        if (step.index < kProgramK1) {
          stack.push_back({false, NAN, 0.0});
        } else if (step.index < kFirstProgramHelper) {
          stack.push_back({true, parameters[step.index - kProgramK1], 0.0});
        } else if (static_cast<std::size_t>(step.index - kFirstProgramHelper) < helpers.size()) {
          stack.push_back(helpers[static_cast<std::size_t>(step.index - kFirstProgramHelper)]);
        } else {
          return {};
        }
        break;
      case Op::Assign: {
        if (stack.size() < 2 || step.index < kFirstProgramHelper ||
            static_cast<std::size_t>(step.index - kFirstProgramHelper) >= helpers.size()) {
          return {};
        }
        const Known value = stack.back();
        stack.pop_back();
        stack.back() = value;
        helpers[static_cast<std::size_t>(step.index - kFirstProgramHelper)] = value;
        break;
      }
      case Op::Call: {
        if (step.index >= kFormulaFunctionCount) return {};
        const auto f = static_cast<FormulaFunction>(step.index);
        if (TakesTwoArguments(f)) {
          if (stack.size() < 2) return {};
          const Known b = stack.back();
          stack.pop_back();
          Known& a = stack.back();
          if (a.constant && b.constant) {
            a = {true, BinaryFunctionOf(f)(a.value, b.value), 0.0};
          } else {
            const bool wraps = f == FormulaFunction::Mod && b.constant && b.value > 0.0 && std::isfinite(b.value);
            a = {false, NAN, wraps ? b.value : 0.0};
          }
        } else {
          if (stack.empty()) return {};
          Known& a = stack.back();
          a = a.constant ? Known{true, UnaryFunctionOf(f)(a.value), 0.0} : Known{};
        }
        break;
      }
      case Op::Add:
      case Op::Subtract:
      case Op::Multiply:
      case Op::Divide:
      case Op::Power: {
        if (stack.size() < 2) return {};
        const Known b = stack.back();
        stack.pop_back();
        Known& a = stack.back();
        a = a.constant && b.constant ? Known{true, Arithmetic(step.op, a.value, b.value), 0.0} : Known{};
        break;
      }
      case Op::If:
        if (stack.empty()) return {};
        stack.pop_back();
        break;
      case Op::Else:
        // The first branch's value is left; the second pushes its own in its place.
        if (stack.empty()) return {};
        stack.pop_back();
        break;
      case Op::EndIf:
        // A choice: neither a known constant nor a mod, whatever its branches are.
        if (stack.empty()) return {};
        stack.back() = Known{};
        break;
      default:  // comparisons and logic
        if (stack.size() < 2) return {};
        stack.pop_back();
        stack.back() = Known{};
        break;
    }
  }
  if (stack.size() < 2) return {};
  return {stack[stack.size() - 2].period, stack.back().period};
}

}  // namespace orbitra
