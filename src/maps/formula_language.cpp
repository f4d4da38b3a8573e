#include "maps/formula_language.h"

#include <muParser.h>

#include <math.h>

#include <array>

#include "maps/map_steps.h"

namespace orbitra {

namespace {

constexpr double kPi = 3.141592653589793;

using Unary = double (*)(double);
using Binary = double (*)(double, double);

// 1 or -1 by the sign; zeros and not-a-number come back as they are.
double Sign(double v) { return v > 0.0 ? 1.0 : v < 0.0 ? -1.0 : v; }
double Mod(double v, double period) { return ReduceModulo(v, period); }

// The C library's functions themselves, so that a call costs no extra jump.
struct NamedFunction {
  const char* name;
  Unary function;
};
constexpr NamedFunction kUnaryFunctions[] = {
    {"sin", ::sin},   {"cos", ::cos},   {"tan", ::tan},     {"asin", ::asin},   {"acos", ::acos},
    {"atan", ::atan}, {"sinh", ::sinh}, {"cosh", ::cosh},   {"tanh", ::tanh},   {"exp", ::exp},
    {"log", ::log},   {"log10", ::log10}, {"sqrt", ::sqrt}, {"abs", ::fabs},    {"floor", ::floor},
    {"ceil", ::ceil}, {"sign", Sign}};

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
  for (const NamedFunction& f : kUnaryFunctions) parser.DefineFun(f.name, f.function, kNoFolding);
  parser.DefineFun("atan2", static_cast<Binary>(::atan2), kNoFolding);
  parser.DefineFun("min", static_cast<Binary>(::fmin), kNoFolding);
  parser.DefineFun("max", static_cast<Binary>(::fmax), kNoFolding);
  parser.DefineFun("mod", Mod, kNoFolding);
}

bool IsReservedFormulaName(std::string_view name) noexcept {
  for (std::string_view reserved : kReservedNames) {
    if (reserved == name) return true;
  }
  return false;
}

}  // namespace orbitra
