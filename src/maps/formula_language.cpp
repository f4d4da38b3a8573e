#include "maps/formula_language.h"

#include <muParser.h>

#include <array>
#include <cmath>

#include "maps/map_steps.h"

namespace orbitra {

namespace {

constexpr double kPi = 3.141592653589793;

double Sin(double v) { return std::sin(v); }
double Cos(double v) { return std::cos(v); }
double Tan(double v) { return std::tan(v); }
double Asin(double v) { return std::asin(v); }
double Acos(double v) { return std::acos(v); }
double Atan(double v) { return std::atan(v); }
double Atan2(double y, double x) { return std::atan2(y, x); }
double Sinh(double v) { return std::sinh(v); }
double Cosh(double v) { return std::cosh(v); }
double Tanh(double v) { return std::tanh(v); }
double Exp(double v) { return std::exp(v); }
double Log(double v) { return std::log(v); }
double Log10(double v) { return std::log10(v); }
double Sqrt(double v) { return std::sqrt(v); }
double Abs(double v) { return std::fabs(v); }
double Floor(double v) { return std::floor(v); }
double Ceil(double v) { return std::ceil(v); }
double Min(double a, double b) { return std::fmin(a, b); }
double Max(double a, double b) { return std::fmax(a, b); }
// 1 or -1 by the sign; zeros and not-a-number come back as they are.
double Sign(double v) { return v > 0.0 ? 1.0 : v < 0.0 ? -1.0 : v; }
double Mod(double v, double period) { return ReduceModulo(v, period); }

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
  parser.DefineFun("sin", Sin, kNoFolding);
  parser.DefineFun("cos", Cos, kNoFolding);
  parser.DefineFun("tan", Tan, kNoFolding);
  parser.DefineFun("asin", Asin, kNoFolding);
  parser.DefineFun("acos", Acos, kNoFolding);
  parser.DefineFun("atan", Atan, kNoFolding);
  parser.DefineFun("atan2", Atan2, kNoFolding);
  parser.DefineFun("sinh", Sinh, kNoFolding);
  parser.DefineFun("cosh", Cosh, kNoFolding);
  parser.DefineFun("tanh", Tanh, kNoFolding);
  parser.DefineFun("exp", Exp, kNoFolding);
  parser.DefineFun("log", Log, kNoFolding);
  parser.DefineFun("log10", Log10, kNoFolding);
  parser.DefineFun("sqrt", Sqrt, kNoFolding);
  parser.DefineFun("abs", Abs, kNoFolding);
  parser.DefineFun("floor", Floor, kNoFolding);
  parser.DefineFun("ceil", Ceil, kNoFolding);
  parser.DefineFun("min", Min, kNoFolding);
  parser.DefineFun("max", Max, kNoFolding);
  parser.DefineFun("sign", Sign, kNoFolding);
  parser.DefineFun("mod", Mod, kNoFolding);
}

bool IsReservedFormulaName(std::string_view name) noexcept {
  for (std::string_view reserved : kReservedNames) {
    if (reserved == name) return true;
  }
  return false;
}

}  // namespace orbitra
