// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/formula_language.h"

#include <muParser.h>

#include <math.h>

#include <array>

#include "maps/map_steps.h"

namespace orbitra {

namespace {

constexpr double kPi = 3.141592653589793;

// 1 or -1 by the sign; zeros and not-a-number come back as they are.
double Sign(double v) { return v > 0.0 ? 1.0 : v < 0.0 ? -1.0 : v; }
double Mod(double v, double period) { return ReduceModulo(v, period); }
// The library's own sign operators, defined again so that compiled formulas name them.
double Negate(double v) { return -v; }
double Plus(double v) { return v; }

struct NamedFunction {
  const char* name;
  FormulaFunction function;
};
constexpr NamedFunction kNamedFunctions[] = {
    {"sin", FormulaFunction::Sin},     {"cos", FormulaFunction::Cos},     {"tan", FormulaFunction::Tan},
    {"asin", FormulaFunction::Asin},   {"acos", FormulaFunction::Acos},   {"atan", FormulaFunction::Atan},
    {"sinh", FormulaFunction::Sinh},   {"cosh", FormulaFunction::Cosh},   {"tanh", FormulaFunction::Tanh},
    {"exp", FormulaFunction::Exp},     {"log", FormulaFunction::Log},     {"log10", FormulaFunction::Log10},
    {"sqrt", FormulaFunction::Sqrt},   {"abs", FormulaFunction::Abs},     {"floor", FormulaFunction::Floor},
    {"ceil", FormulaFunction::Ceil},   {"sign", FormulaFunction::Sign},   {"atan2", FormulaFunction::Atan2},
    {"min", FormulaFunction::Min},     {"max", FormulaFunction::Max},     {"mod", FormulaFunction::Mod}};

// Indexed by FormulaFunction: the C library's functions themselves, so that a call costs
// no extra jump.
constexpr UnaryFunction kUnary[kFormulaFunctionCount] = {
    ::sin, ::cos, ::tan, ::asin, ::acos, ::atan, ::sinh, ::cosh, ::tanh, ::exp, ::log, ::log10, ::sqrt, ::fabs,
    ::floor, ::ceil, Sign, Negate, Plus};
constexpr BinaryFunction kBinary[kFormulaFunctionCount] = {
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, ::atan2, ::fmin, ::fmax, Mod};

// The variables, the constant, the functions, and the words of the map file's lines.
constexpr std::array<std::string_view, 31> kReservedNames = {
    "x",    "y",     "k1",   "k2",  "k3",    "k4",   "pi",  "sin", "cos",  "tan",
    "asin", "acos",  "atan", "atan2", "sinh", "cosh", "tanh", "exp", "log",  "log10",
    "sqrt", "abs",   "floor", "ceil", "min",  "max",  "sign", "mod", "map",  "end", "range"};

}  // namespace

void SetUpFormulaLanguage(mu::ParserBase& parser) {
  parser.ClearFun();
  parser.ClearConst();
  parser.EnableOptimizer(false);
  parser.DefineConst("pi", kPi);
  // Not folded at compile time either: every call happens at evaluation, as built in.
  constexpr bool kNoFolding = false;
  for (const NamedFunction& f : kNamedFunctions) {
    if (TakesTwoArguments(f.function)) {
      parser.DefineFun(f.name, BinaryFunctionOf(f.function), kNoFolding);
    } else {
      parser.DefineFun(f.name, UnaryFunctionOf(f.function), kNoFolding);
    }
  }
  parser.ClearInfixOprt();
  parser.DefineInfixOprt("-", Negate);
  parser.DefineInfixOprt("+", Plus);
}

UnaryFunction UnaryFunctionOf(FormulaFunction f) noexcept { return kUnary[static_cast<int>(f)]; }

BinaryFunction BinaryFunctionOf(FormulaFunction f) noexcept { return kBinary[static_cast<int>(f)]; }

std::optional<FormulaFunction> FormulaFunctionAt(const void* callback) noexcept {
  for (int i = 0; i < kFormulaFunctionCount; ++i) {
    const auto f = static_cast<FormulaFunction>(i);
    const void* known = TakesTwoArguments(f) ? reinterpret_cast<const void*>(kBinary[i])
                                             : reinterpret_cast<const void*>(kUnary[i]);
    if (known == callback) return f;
  }
  return std::nullopt;
}

bool IsReservedFormulaName(std::string_view name) noexcept {
  for (std::string_view reserved : kReservedNames) {
    if (reserved == name) return true;
  }
  return false;
}

}  // namespace orbitra
