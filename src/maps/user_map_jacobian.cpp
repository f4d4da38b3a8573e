// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/user_map_jacobian.h"

#include <math.h>

#include <cmath>

#include "maps/formula_language.h"
#include "maps/map_steps.h"

namespace orbitra {

namespace {

using Op = ProgramStep::Op;

constexpr double kLn10 = 2.302585092994046;

DualNumber Constant(double v) noexcept { return {v, 0.0, 0.0, true}; }

// Scales both derivatives of `a` by the derivative of the function at a.
DualNumber Chain(double value, const DualNumber& a, double slope) noexcept {
  return {value, slope * a.dx, slope * a.dy, false};
}

// d(a - b*q) with q held constant, per derivative: a derivative of b that is 0 adds
// nothing, even where q is not finite.
double LessMultiple(double da, double db, double q) noexcept { return db == 0.0 ? da : da - q * db; }

DualNumber Call(FormulaFunction f, const DualNumber& a, const DualNumber& b) noexcept {
  using F = FormulaFunction;
  if (TakesTwoArguments(f)) {
    const double value = BinaryFunctionOf(f)(a.v, b.v);
    if (a.constant && b.constant) return Constant(value);
    switch (f) {
      case F::Atan2: {
        const double r = a.v * a.v + b.v * b.v;
        return {value, (b.v * a.dx - a.v * b.dx) / r, (b.v * a.dy - a.v * b.dy) / r, false};
      }
      case F::Min:
      case F::Max: {
        // The argument given; the first on a tie, and the other one where the first is not
        // a number.
        const DualNumber& chosen = value == a.v ? a : b;
        return {value, chosen.dx, chosen.dy, false};
      }
      default: {  // Mod: a - b*q with q the whole number of periods taken off
        if (b.constant) return {value, a.dx, a.dy, false};
        const double q = std::nearbyint((a.v - value) / b.v);
        return {value, LessMultiple(a.dx, b.dx, q), LessMultiple(a.dy, b.dy, q), false};
      }
    }
  }
  const double value = UnaryFunctionOf(f)(a.v);
  if (a.constant) return Constant(value);
  switch (f) {
    case F::Sin: return Chain(value, a, ::cos(a.v));
    case F::Cos: return Chain(value, a, -::sin(a.v));
    case F::Tan: return Chain(value, a, 1.0 + value * value);
    case F::Asin: return Chain(value, a, 1.0 / ::sqrt(1.0 - a.v * a.v));
    case F::Acos: return Chain(value, a, -1.0 / ::sqrt(1.0 - a.v * a.v));
    case F::Atan: return Chain(value, a, 1.0 / (1.0 + a.v * a.v));
    case F::Sinh: return Chain(value, a, ::cosh(a.v));
    case F::Cosh: return Chain(value, a, ::sinh(a.v));
    case F::Tanh: return Chain(value, a, 1.0 - value * value);
    case F::Exp: return Chain(value, a, value);
    case F::Log: return Chain(value, a, 1.0 / a.v);
    case F::Log10: return Chain(value, a, 1.0 / (a.v * kLn10));
    case F::Sqrt: return Chain(value, a, 0.5 / value);
    case F::Abs: return Chain(value, a, a.v < 0.0 ? -1.0 : 1.0);
    case F::Negate: return {value, -a.dx, -a.dy, false};
    case F::Plus: return {value, a.dx, a.dy, false};
    default: return Constant(value);  // floor, ceil, sign: steps, flat between them
  }
}

// a^b: b a^(b-1) da + a^b ln(a) db, each term only where a and b vary and their
// derivative is not 0 (a constant exponent on a negative base, a constant base of 0).
double PowerDerivative(const DualNumber& a, const DualNumber& b, double value, double da, double db) noexcept {
  double d = 0.0;
  if (!a.constant && da != 0.0) d += b.v * ::pow(a.v, b.v - 1.0) * da;
  if (!b.constant && db != 0.0) d += value * ::log(a.v) * db;
  return d;
}

DualNumber Arithmetic(Op op, const DualNumber& a, const DualNumber& b) noexcept {
  const bool constant = a.constant && b.constant;
  switch (op) {
    case Op::Add:
      if (constant) return Constant(a.v + b.v);
      return {a.v + b.v, a.dx + b.dx, a.dy + b.dy, false};
    case Op::Subtract:
      if (constant) return Constant(a.v - b.v);
      return {a.v - b.v, a.dx - b.dx, a.dy - b.dy, false};
    case Op::Multiply:
      if (constant) return Constant(a.v * b.v);
      if (a.constant) return {a.v * b.v, a.v * b.dx, a.v * b.dy, false};
      if (b.constant) return {a.v * b.v, b.v * a.dx, b.v * a.dy, false};
      return {a.v * b.v, a.v * b.dx + b.v * a.dx, a.v * b.dy + b.v * a.dy, false};
    case Op::Divide: {
      const double q = a.v / b.v;
      if (constant) return Constant(q);
      if (b.constant) return {q, a.dx / b.v, a.dy / b.v, false};
      return {q, (a.dx - q * b.dx) / b.v, (a.dy - q * b.dy) / b.v, false};
    }
    default: {  // Power
      const double p = ::pow(a.v, b.v);
      if (constant) return Constant(p);
      return {p, PowerDerivative(a, b, p, a.dx, b.dx), PowerDerivative(a, b, p, a.dy, b.dy), false};
    }
  }
}

double Truth(bool t) noexcept { return t ? 1.0 : 0.0; }

double Compare(Op op, double a, double b) noexcept {
  switch (op) {
    case Op::Less: return Truth(a < b);
    case Op::LessEqual: return Truth(a <= b);
    case Op::Greater: return Truth(a > b);
    case Op::GreaterEqual: return Truth(a >= b);
    case Op::Equal: return Truth(a == b);
    case Op::NotEqual: return Truth(a != b);
    case Op::And: return Truth(a != 0.0 && b != 0.0);
    default: return Truth(a != 0.0 || b != 0.0);  // Or
  }
}

// How many values each step takes off the stack and puts on it.
struct StackEffect {
  int takes;
  int gives;
};

StackEffect EffectOf(const ProgramStep& step) noexcept {
  switch (step.op) {
    case Op::Number:
    case Op::Variable: return {0, 1};
    case Op::Assign: return {2, 1};
    case Op::Call: return {TakesTwoArguments(static_cast<FormulaFunction>(step.index)) ? 2 : 1, 1};
    case Op::If: return {1, 0};
    case Op::Else:
    case Op::EndIf: return {0, 0};
    default: return {2, 1};  // the operators of two values
  }
}

}  // namespace

std::optional<UserMapJacobian> UserMapJacobian::Of(const UserMapProgram& program) {
  if (program.helperCount < 0 || program.helperCount > kDeepest) return std::nullopt;
  UserMapJacobian j;
  j.steps_ = program.steps;
  j.helperCount_ = program.helperCount;
  j.jumps_.assign(j.steps_.size(), 0);
  j.codes_.assign(j.steps_.size() + 1, kDone);
  j.unary_.assign(j.steps_.size(), nullptr);
  j.binary_.assign(j.steps_.size(), nullptr);
  j.constantChoice_.assign(j.steps_.size(), false);
  // Checks that the stack never runs dry or too deep along either branch of a choice (both
  // branches leave one value), and finds where each If and Else jumps to.
  struct Open {
    std::size_t at;
    int depth;
    bool inElse;
    bool yesConstant;  // whether the first branch's value was constant
  };
  std::vector<Open> open;
  int depth = 0;
  // Which values are constant, as At finds them (a choice: both branches constant).
  std::vector<bool> constant;
  std::vector<bool> helperConstant(static_cast<std::size_t>(program.helperCount), true);
  const int variables = kFirstProgramHelper + program.helperCount;
  for (std::size_t i = 0; i < j.steps_.size(); ++i) {
    const ProgramStep& step = j.steps_[i];
    if (step.op == Op::Call && step.index >= kFormulaFunctionCount) return std::nullopt;
    if ((step.op == Op::Variable || step.op == Op::Assign) && step.index >= variables) return std::nullopt;
    if (step.op == Op::Assign && step.index < kFirstProgramHelper) return std::nullopt;
    j.codes_[i] = static_cast<std::uint8_t>(step.op);
    if (step.op == Op::Call) {
      const auto f = static_cast<FormulaFunction>(step.index);
      if (f == FormulaFunction::Mod) {
        j.codes_[i] = kModulo;
      } else if (f == FormulaFunction::Negate) {
        j.codes_[i] = kNegate;
      } else if (TakesTwoArguments(f)) {
        j.codes_[i] = kCallBinary;
        j.binary_[i] = BinaryFunctionOf(f);
      } else {
        j.unary_[i] = UnaryFunctionOf(f);
      }
    }
    const StackEffect effect = EffectOf(step);
    if (depth < effect.takes) return std::nullopt;
    depth += effect.gives - effect.takes;
    if (depth > kDeepest) return std::nullopt;
    const auto pop = [&constant] {
      const bool top = constant.back();
      constant.pop_back();
      return top;
    };
    switch (step.op) {
      case Op::Number:
        constant.push_back(true);
        break;
      case Op::Variable:
        constant.push_back(step.index >= kFirstProgramHelper ? helperConstant[step.index - kFirstProgramHelper]
                                                             : step.index >= kProgramK1);
        break;
      case Op::Assign: {
        const bool value = pop();
        constant.back() = value;
        helperConstant[step.index - kFirstProgramHelper] = value;
        break;
      }
      case Op::Call: {
        const auto f = static_cast<FormulaFunction>(step.index);
        const bool b = TakesTwoArguments(f) ? pop() : true;
        const bool flat = f == FormulaFunction::Floor || f == FormulaFunction::Ceil || f == FormulaFunction::Sign;
        constant.back() = flat || (constant.back() && b);
        break;
      }
      case Op::Add:
      case Op::Subtract:
      case Op::Multiply:
      case Op::Divide:
      case Op::Power: {
        const bool b = pop();
        constant.back() = constant.back() && b;
        break;
      }
      case Op::If:
        pop();
        break;
      case Op::Else:
      case Op::EndIf:
        break;
      default: {  // comparisons and logic
        pop();
        constant.back() = true;
        break;
      }
    }
    if (step.op == Op::If) {
      open.push_back({i, depth, false, false});
    } else if (step.op == Op::Else || step.op == Op::EndIf) {
      if (open.empty() || open.back().inElse != (step.op == Op::EndIf) || depth != open.back().depth + 1) {
        return std::nullopt;
      }
      // If skips past its Else; Else goes to its EndIf, which marks what the choice is.
      j.jumps_[open.back().at] = static_cast<std::uint32_t>(step.op == Op::Else ? i + 1 : i);
      if (step.op == Op::Else) {
        open.back() = {i, open.back().depth, true, pop()};
        depth -= 1;  // the other branch starts where the first did
      } else {
        constant.back() = constant.back() && open.back().yesConstant;
        j.constantChoice_[i] = constant.back();
        open.pop_back();
      }
    }
  }
  if (!open.empty() || depth != program.helperCount + 2) return std::nullopt;
  return j;
}

MapJacobian UserMapJacobian::At(double x, double y, double k1, double k2, double k3, double k4) const noexcept {
  DualNumber stack[kDeepest];
  DualNumber variables[kFirstProgramHelper + kDeepest];
  variables[kProgramX] = {x, 1.0, 0.0, false};
  variables[kProgramY] = {y, 0.0, 1.0, false};
  variables[kProgramK1] = Constant(k1);
  variables[kProgramK1 + 1] = Constant(k2);
  variables[kProgramK1 + 2] = Constant(k3);
  variables[kProgramK1 + 3] = Constant(k4);
  for (int h = 0; h < helperCount_; ++h) variables[kFirstProgramHelper + h] = Constant(0.0);
  int top = 0;  // values on the stack
  const std::size_t count = steps_.size();
  for (std::size_t i = 0; i < count; ++i) {
    const ProgramStep& step = steps_[i];
    switch (step.op) {
      case Op::Number:
        stack[top++] = Constant(step.number);
        break;
      case Op::Variable:
        stack[top++] = variables[step.index];
        break;
      case Op::Assign:
        variables[step.index] = stack[top - 1];
        stack[top - 2] = stack[top - 1];
        --top;
        break;
      case Op::Call: {
        const auto f = static_cast<FormulaFunction>(step.index);
        if (TakesTwoArguments(f)) {
          stack[top - 2] = Call(f, stack[top - 2], stack[top - 1]);
          --top;
        } else {
          stack[top - 1] = Call(f, stack[top - 1], stack[top - 1]);
        }
        break;
      }
      case Op::Add:
      case Op::Subtract:
      case Op::Multiply:
      case Op::Divide:
      case Op::Power:
        stack[top - 2] = Arithmetic(step.op, stack[top - 2], stack[top - 1]);
        --top;
        break;
      case Op::If:
        // The library takes the first branch unless the condition equals 0.
        --top;
        if (!(stack[top].v != 0.0)) i = jumps_[i] - 1;
        break;
      case Op::Else:
        i = jumps_[i] - 1;
        break;
      case Op::EndIf:
        stack[top - 1].constant = constantChoice_[i];
        break;
      default:
        stack[top - 2] = Constant(Compare(step.op, stack[top - 2].v, stack[top - 1].v));
        --top;
        break;
    }
  }
  const DualNumber& xImage = stack[top - 2];
  const DualNumber& yImage = stack[top - 1];
  return {xImage.dx, xImage.dy, yImage.dx, yImage.dy};
}

MapImage UserMapJacobian::Image(double x, double y, double k1, double k2, double k3, double k4) const noexcept {
  // The stack's top value stays in a register; `below` holds the rest (below[0] is never
  // read). Each value then goes on to the next operation without a store and a load.
  double below[kDeepest + 1];
  double variables[kFirstProgramHelper + kDeepest];
  variables[kProgramX] = x;
  variables[kProgramY] = y;
  variables[kProgramK1] = k1;
  variables[kProgramK1 + 1] = k2;
  variables[kProgramK1 + 2] = k3;
  variables[kProgramK1 + 3] = k4;
  double top = 0.0;
  int n = 0;  // values on the stack
  const ProgramStep* const steps = steps_.data();
  const std::uint8_t* const codes = codes_.data();
  std::size_t i = 0;
  // Every operation ends in a jump of its own to the next one's code (GCC's labels as
  // values): the processor predicts each from where it stands. One shared jump, as a
  // switch compiles to, was mispredicted so often that it cost a third of the time.
  static const void* const kCode[kCodeCount] = {
      &&number, &&variable, &&assign, &&add, &&subtract, &&multiply, &&divide, &&power,
      &&less, &&lessEqual, &&greater, &&greaterEqual, &&equal, &&notEqual, &&logicalAnd, &&logicalOr,
      &&callUnary, &&conditional, &&otherwise, &&endConditional, &&callBinary, &&modulo, &&negate, &&done};
#define ORBITRA_NEXT goto* kCode[codes[++i]]
  goto* kCode[codes[0]];
number:
  below[n++] = top;
  top = steps[i].number;
  ORBITRA_NEXT;
variable:
  below[n++] = top;
  top = variables[steps[i].index];
  ORBITRA_NEXT;
assign:
  // The variable's own entry goes; its value stays on top.
  variables[steps[i].index] = top;
  --n;
  ORBITRA_NEXT;
add:
  top = below[--n] + top;
  ORBITRA_NEXT;
subtract:
  top = below[--n] - top;
  ORBITRA_NEXT;
multiply:
  top = below[--n] * top;
  ORBITRA_NEXT;
divide:
  top = below[--n] / top;
  ORBITRA_NEXT;
power:
  top = ::pow(below[--n], top);
  ORBITRA_NEXT;
less:
  top = Compare(Op::Less, below[--n], top);
  ORBITRA_NEXT;
lessEqual:
  top = Compare(Op::LessEqual, below[--n], top);
  ORBITRA_NEXT;
greater:
  top = Compare(Op::Greater, below[--n], top);
  ORBITRA_NEXT;
greaterEqual:
  top = Compare(Op::GreaterEqual, below[--n], top);
  ORBITRA_NEXT;
equal:
  top = Compare(Op::Equal, below[--n], top);
  ORBITRA_NEXT;
notEqual:
  top = Compare(Op::NotEqual, below[--n], top);
  ORBITRA_NEXT;
logicalAnd:
  top = Compare(Op::And, below[--n], top);
  ORBITRA_NEXT;
logicalOr:
  top = Compare(Op::Or, below[--n], top);
  ORBITRA_NEXT;
callUnary:
  top = unary_[i](top);
  ORBITRA_NEXT;
callBinary:
  top = binary_[i](below[--n], top);
  ORBITRA_NEXT;
modulo:
  // The function mod calls, in line.
  top = ReduceModulo(below[--n], top);
  ORBITRA_NEXT;
negate:
  top = -top;
  ORBITRA_NEXT;
conditional: {
  // The library takes the first branch unless the condition equals 0.
  const double condition = top;
  top = below[--n];
  if (!(condition != 0.0)) i = jumps_[i] - 1;
  ORBITRA_NEXT;
}
otherwise:
  i = jumps_[i] - 1;
  ORBITRA_NEXT;
endConditional:
  ORBITRA_NEXT;
#undef ORBITRA_NEXT
done:
  return {below[n - 1], top};
}

}  // namespace orbitra
