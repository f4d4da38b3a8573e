// SPDX-License-Identifier: GPL-3.0-or-later
// The derivative rules of the formula language pinned one by one: every function of the
// language (and both arguments of mod, atan2, min, max and the power) differentiated by
// the dual numbers, interpreted and as machine code, against central differences of the
// formula's own values taken here. Machine code and interpreter share the rules' design,
// so comparing them with each other would let a wrong rule pass; the differences cannot.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "maps/native_map_compiler.h"
#include "maps/native_user_map.h"
#include "maps/user_map_evaluator.h"

namespace orbitra {
namespace {

struct Rule {
  const char* formula;  // of x and y, as x'
  double x, y;
};

// Points chosen inside each function's domain and away from its kinks and jumps.
const Rule kRules[] = {
    {"sin(0.7*x + 0.3*y)", 0.4, 1.1},     {"cos(0.7*x + 0.3*y)", 0.4, 1.1},
    {"tan(0.5*x - 0.2*y)", 0.9, 0.3},     {"asin(0.3*x + 0.2*y)", 0.5, 0.9},
    {"acos(0.3*x + 0.2*y)", 0.5, 0.9},    {"atan(2*x - y)", 0.8, 0.3},
    {"sinh(0.5*x + y)", 0.7, 0.6},        {"cosh(0.5*x + y)", 0.7, 0.6},
    {"tanh(0.5*x + y)", 0.7, 0.2},        {"exp(0.5*x - 0.3*y)", 0.7, 0.6},
    {"log(x*x + y)", 1.3, 0.4},           {"log10(x*x + y)", 1.3, 0.4},
    {"sqrt(x*x + 2*y)", 1.3, 0.4},        {"abs(x - 2*y)", 0.3, 0.9},
    {"abs(x - 2*y)", 2.3, 0.9},           {"floor(x + y) + x", 0.3, 0.4},
    {"ceil(x*y) - y", 0.3, 0.4},          {"sign(x - y)*y", 0.3, 0.9},
    {"-(x*y)", 0.3, 0.9},                 {"+(x*y)", 0.3, 0.9},
    {"atan2(x + y, 2*x - y)", 0.6, -0.4}, {"atan2(y, x)", -0.6, 0.4},
    {"min(x*y, x + y)", 0.5, 0.7},        {"min(x*y, x + y)", 3.0, 2.0},
    {"max(x*y, x + y)", 0.5, 0.7},        {"max(x*y, x + y)", 3.0, 2.0},
    {"mod(7*x, y)", 1.0, 2.0},            {"mod(x*x + y, 0.5 + y)", 1.7, 0.3},
    {"mod(-3*x, y)", 1.1, 0.7},           {"x^y", 1.3, 0.7},
    {"(x*x + 1)^(0.5*y)", 0.8, 1.4},      {"x/(y*y + 1)", 0.8, 1.4},
    {"x*y - y/x", 0.8, 1.4},
};

// The formula's value at (x, y), by the interpreter.
double Value(const UserMapEvaluator& e, double x, double y) { return e.Evaluate(x, y, 0, 0, 0, 0).x; }

// The fourth-order central difference with step h.
double Difference(const UserMapEvaluator& e, const Rule& r, bool byY, double h) {
  const auto at = [&](double t) { return byY ? Value(e, r.x, r.y + t) : Value(e, r.x + t, r.y); };
  return (8.0 * (at(h) - at(-h)) - (at(2 * h) - at(-2 * h))) / (12.0 * h);
}

std::shared_ptr<const NativeUserMap> MachineCode(const UserMapEvaluator& evaluator) {
  if (!NativeCompilerBuilt()) return nullptr;
  static const NativeMapCompiler compiler;
  const std::optional<UserMapProgram> program = evaluator.Program();
  if (!program) return nullptr;
  return compiler.Compile(*program).code;
}

TEST(DualNumberRules, EveryFunctionAgainstCentralDifferences) {
  for (const Rule& r : kRules) {
    UserMapDefinition d;
    d.name = "rule";
    d.xFormula = r.formula;
    d.yFormula = "y";
    const UserMapCompilation c = CompileUserMap(d);
    ASSERT_TRUE(c.evaluator) << r.formula;
    const double dx = Difference(*c.evaluator, r, false, 1e-4);
    const double dy = Difference(*c.evaluator, r, true, 1e-4);
    const MapJacobian j = c.evaluator->Jacobian(r.x, r.y, 0, 0, 0, 0);
    const double tolerance = 1e-7 * (1.0 + std::fabs(dx) + std::fabs(dy));
    EXPECT_NEAR(j.dxdx, dx, tolerance) << r.formula << " d/dx, interpreted";
    EXPECT_NEAR(j.dxdy, dy, tolerance) << r.formula << " d/dy, interpreted";
    if (const std::shared_ptr<const NativeUserMap> native = MachineCode(*c.evaluator)) {
      ASSERT_TRUE(native->JacobianCode()) << r.formula;
      const MapJacobian n = native->JacobianCode()(r.x, r.y, 0, 0, 0, 0);
      EXPECT_NEAR(n.dxdx, dx, tolerance) << r.formula << " d/dx, machine code";
      EXPECT_NEAR(n.dxdy, dy, tolerance) << r.formula << " d/dy, machine code";
    }
  }
}

TEST(DualNumberRules, ModByAVariablePeriodTakesOffItsWholePeriods) {
  // mod(7x, y) = 7x - y floor(7x / y): at (1, 2) that is 7 - 2*3, so d/dy = -3, d/dx = 7.
  UserMapDefinition d;
  d.name = "mod";
  d.xFormula = "mod(7*x, y)";
  d.yFormula = "mod(y, 7*x)";
  const UserMapCompilation c = CompileUserMap(d);
  ASSERT_TRUE(c.evaluator);
  const MapJacobian j = c.evaluator->Jacobian(1.0, 2.0, 0, 0, 0, 0);
  EXPECT_EQ(j.dxdx, 7.0);
  EXPECT_EQ(j.dxdy, -3.0);
  EXPECT_EQ(j.dydx, 0.0);  // mod(2, 7) = 2: no period taken off
  EXPECT_EQ(j.dydy, 1.0);
  if (const std::shared_ptr<const NativeUserMap> native = MachineCode(*c.evaluator)) {
    const MapJacobian n = native->JacobianCode()(1.0, 2.0, 0, 0, 0, 0);
    EXPECT_EQ(n.dxdx, 7.0);
    EXPECT_EQ(n.dxdy, -3.0);
  }
}

}  // namespace
}  // namespace orbitra
