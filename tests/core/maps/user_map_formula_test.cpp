// SPDX-License-Identifier: GPL-3.0-or-later
// User maps against the built-in maps typed as formulas, and the formula language's
// functions against the C library, bit for bit: evaluated by the expression library and,
// where the build has the JIT compiler, as machine code too; their exact Jacobians against
// the built-ins' analytic ones.
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/lyapunov_accumulator.h"
#include "maps/central_difference.h"
#include "maps/coordinate_wrap.h"
#include "maps/formula_text.h"
#include "maps/map_steps.h"
#include "maps/mapping_catalogue.h"
#include "maps/native_map_compiler.h"
#include "maps/native_steps.h"
#include "maps/system_catalogue.h"
#include "maps/user_map_evaluator.h"
#include "support/typed_maps.h"

namespace orbitra {
namespace {

using testing::TypedMap;
using testing::kTypedMaps;

std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v); }

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The evaluator's formulas as machine code; null in a build without the JIT compiler.
std::shared_ptr<const NativeUserMap> MachineCode(const UserMapEvaluator& evaluator) {
  if (!NativeCompilerBuilt()) return nullptr;
  static const NativeMapCompiler compiler;  // loads the library once for all tests
  const std::optional<UserMapProgram> program = evaluator.Program();
  EXPECT_TRUE(program.has_value());
  if (!program) return nullptr;
  NativeCompilation compiled = compiler.Compile(*program);
  EXPECT_TRUE(compiled.code) << compiled.failure;
  return compiled.code;
}

// The image by the machine code's block function, asked for one iterate that never escapes.
MapImage BlockImage(const NativeUserMap& code, const MappingModel& m, double x, double y) {
  const double k[4] = {m.k1, m.k2, m.k3, m.k4};
  MapImage image{0.0, 0.0};
  EXPECT_EQ(code.BlockCode()(x, y, k, kInfinity, 1, &image), 1);
  return image;
}

// Both models with the built-in map's defaults; the user's runs its compiled formulas.
struct Pair {
  MappingModel builtIn;
  MappingModel user;
  std::shared_ptr<const NativeUserMap> native;  // the user's as machine code, where the build has it
};

Pair ModelsFor(const TypedMap& typed) {
  Pair p;
  SelectSystemWithDefaults(p.builtIn, typed.system);
  p.user = p.builtIn;
  UserMapDefinition d;
  d.name = "typed";
  d.helpers = typed.helpers;
  d.xFormula = typed.x;
  d.yFormula = typed.y;
  const UserMapCompilation compiled = CompileUserMap(d);
  EXPECT_FALSE(compiled.error.has_value()) << (compiled.error ? DescribeFormulaError(*compiled.error) : "");
  p.user.routine = &UserMapRoutine;
  p.user.userMap = compiled.evaluator;
  if (compiled.evaluator) p.native = MachineCode(*compiled.evaluator);
  return p;
}

// Equal bits, or both not a number: the sign of a NaN depends on which operand of a
// commutative operation the compiler puts first, which no formula can follow.
bool SameValue(double a, double b) { return Bits(a) == Bits(b) || (std::isnan(a) && std::isnan(b)); }

class TypedBuiltInMap : public ::testing::TestWithParam<TypedMap> {};

TEST_P(TypedBuiltInMap, GivesTheBuiltInOrbitBitForBit) {
  const Pair p = ModelsFor(GetParam());
  ASSERT_TRUE(p.user.userMap);
  // The program's starting point; on the sawtooth it meets y' = 0 at once (and from the
  // catalogue's (0.25, 0.5) at the second step), so that map starts at (0.5, 0.3). Every
  // orbit stays finite all the way.
  const bool sawtooth = GetParam().system == 8;
  constexpr int kIterations = 100000;
  double bx = 0.5, by = sawtooth ? 0.3 : 0.0;
  double ux = bx, uy = by, nx = bx, ny = by;
  // The machine code's block function runs the whole orbit in one call.
  std::vector<MapImage> block(kIterations);
  if (p.native) {
    const double k[4] = {p.user.k1, p.user.k2, p.user.k3, p.user.k4};
    ASSERT_EQ(p.native->BlockCode()(bx, by, k, kInfinity, kIterations, block.data()), kIterations);
  }
  for (int i = 0; i < kIterations; ++i) {
    const MapImage b = p.builtIn.routine(p.builtIn, bx, by);
    const MapImage u = p.user.routine(p.user, ux, uy);
    ASSERT_EQ(Bits(b.x), Bits(u.x)) << "iteration " << i;
    ASSERT_EQ(Bits(b.y), Bits(u.y)) << "iteration " << i;
    ASSERT_TRUE(std::isfinite(b.x) && std::isfinite(b.y)) << "iteration " << i;
    if (p.native) {
      const MapImage n = p.native->Step(nx, ny, p.user);
      ASSERT_EQ(Bits(b.x), Bits(n.x)) << "machine code, iteration " << i;
      ASSERT_EQ(Bits(b.y), Bits(n.y)) << "machine code, iteration " << i;
      ASSERT_EQ(Bits(b.x), Bits(block[i].x)) << "machine code in one block, iteration " << i;
      ASSERT_EQ(Bits(b.y), Bits(block[i].y)) << "machine code in one block, iteration " << i;
      nx = n.x, ny = n.y;
    }
    bx = b.x, by = b.y, ux = u.x, uy = u.y;
  }
}

TEST_P(TypedBuiltInMap, TakesEveryPointWhereTheBuiltInTakesIt) {
  const Pair p = ModelsFor(GetParam());
  ASSERT_TRUE(p.user.userMap);
  std::mt19937_64 random(GetParam().system);
  std::uniform_real_distribution<double> coordinate(-8.0, 8.0);
  constexpr double kInf = std::numeric_limits<double>::infinity();
  std::vector<double> values = {0.0, -0.0, 0.5, -0.5, 1.0, kTwoPi, kInf, -kInf, std::nan("")};
  for (int i = 0; i < 60; ++i) values.push_back(coordinate(random));
  for (double x : values) {
    for (double y : values) {
      const MapImage b = p.builtIn.routine(p.builtIn, x, y);
      const MapImage u = p.user.routine(p.user, x, y);
      ASSERT_TRUE(SameValue(b.x, u.x) && SameValue(b.y, u.y)) << "at " << x << ", " << y;
      if (p.native) {
        const MapImage n = p.native->Step(x, y, p.user);
        const MapImage nb = BlockImage(*p.native, p.user, x, y);
        ASSERT_TRUE(SameValue(b.x, n.x) && SameValue(b.y, n.y)) << "machine code at " << x << ", " << y;
        ASSERT_TRUE(SameValue(b.x, nb.x) && SameValue(b.y, nb.y)) << "machine code block at " << x << ", " << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryBuiltInMap, TypedBuiltInMap, ::testing::ValuesIn(kTypedMaps),
                         [](const ::testing::TestParamInfo<TypedMap>& info) {
                           return "System" + std::to_string(info.param.system);
                         });

// Typed maps' exact Jacobians (dual numbers through the formulas, interpreted and as
// machine code) against the built-in maps' analytic ones, and the Lyapunov exponents they
// give against the built-ins' over long orbits.

// The built-in map's own analytic Jacobian.
MapJacobian BuiltInJacobian(const MappingModel& m, double x, double y) {
  switch (m.system) {
    case 1: return StandardMapStep(m).Jacobian(x, y);
    case 2: return HenonDcMapStep(m).Jacobian(x, y);
    case 3: return HyperbolicCStep(m).Jacobian(x, y);
    case 4: return HenonRotationStep(m).Jacobian(x, y);
    case 5: return DimerizedChainsStep(m).Jacobian(x, y);
    case 6: return VortexFlowStep(m).Jacobian(x, y);
    case 7: return FermiSineStep(m).Jacobian(x, y);
    case 8: return FermiSawtoothStep(m).Jacobian(x, y);
    case 9: return DoublyKickedRotatorStep(m).Jacobian(x, y);
    default: return WedgeMapStep(m).Jacobian(x, y);
  }
}

::testing::AssertionResult Close(const MapJacobian& a, const MapJacobian& b) {
  const double row = 1e-11 * (1.0 + std::fabs(b.dxdx) + std::fabs(b.dxdy) + std::fabs(b.dydx) + std::fabs(b.dydy));
  if (std::fabs(a.dxdx - b.dxdx) <= row && std::fabs(a.dxdy - b.dxdy) <= row && std::fabs(a.dydx - b.dydx) <= row &&
      std::fabs(a.dydy - b.dydy) <= row) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "{" << a.dxdx << ", " << a.dxdy << ", " << a.dydx << ", " << a.dydy
                                       << "} against {" << b.dxdx << ", " << b.dxdy << ", " << b.dydx << ", "
                                       << b.dydy << "}";
}

class TypedJacobian : public ::testing::TestWithParam<TypedMap> {};

// Everywhere, cuts of mod and sides of abs included: the points straddle 0 and 2pi.
TEST_P(TypedJacobian, EqualsTheBuiltInAnalyticJacobian) {
  const Pair t = ModelsFor(GetParam());
  ASSERT_TRUE(t.user.userMap && t.user.userMap->HasExactJacobian());
  const RoutineStep step{&t.user, t.user.routine, WrapOfSystem(t.user.system)};
  std::mt19937_64 random(GetParam().system * 77);
  std::uniform_real_distribution<double> coordinate(-1.0, 7.5);
  for (int i = 0; i < 3000; ++i) {
    const double x = coordinate(random), y = coordinate(random) - 3.0;
    const MapJacobian expected = BuiltInJacobian(t.builtIn, x, y);
    if (!(std::isfinite(expected.dxdx) && std::isfinite(expected.dxdy) && std::isfinite(expected.dydx) &&
          std::isfinite(expected.dydy))) {
      continue;
    }
    ASSERT_TRUE(Close(step.Jacobian(x, y), expected)) << "interpreted at " << x << ", " << y;
    if (t.native) {
      ASSERT_TRUE(Close(NativeStep(*t.native, t.user, {}).Jacobian(x, y), expected)) << "compiled at " << x << ", " << y;
    }
  }
}

// The exponents of one orbit, the Jacobian taken from `jacobian`.
template <class Step, class Jacobian>
LyapunovEstimate Exponents(const Step& step, const Jacobian& jacobian, double x, double y, int n) {
  LyapunovAccumulator lyapunov;
  for (int i = 0; i < n; ++i) {
    lyapunov.Add(jacobian(x, y));
    const MapImage image = step(x, y);
    x = image.x;
    y = image.y;
  }
  return lyapunov.Estimate();
}

void ExpectSameExponents(const LyapunovEstimate& a, const LyapunovEstimate& b, const char* what) {
  EXPECT_EQ(a.gap1, b.gap1) << what;
  EXPECT_EQ(a.gap2, b.gap2) << what;
  if (a.gap1 == ExponentGap::None) EXPECT_NEAR(a.lambda1, b.lambda1, 1e-9) << what;
  if (a.gap2 == ExponentGap::None) EXPECT_NEAR(a.lambda2, b.lambda2, 1e-9) << what;
}

// 10^5 iterations from the program's starting point (the sawtooth from (0.5, 0.3), where
// its orbit stays finite): the same exponents as the built-in map's, to 1e-9.
TEST_P(TypedJacobian, GivesTheBuiltInExponents) {
  const Pair t = ModelsFor(GetParam());
  const double y0 = GetParam().system == 8 ? 0.3 : 0.0;
  const RoutineStep typed{&t.user, t.user.routine, WrapOfSystem(t.user.system)};
  const MappingModel& b = t.builtIn;
  const LyapunovEstimate builtIn = Exponents([&b](double x, double y) { return b.routine(b, x, y); },
                                             [&b](double x, double y) { return BuiltInJacobian(b, x, y); }, 0.5, y0,
                                             100'000);
  ExpectSameExponents(Exponents(typed, [&typed](double x, double y) { return typed.Jacobian(x, y); }, 0.5, y0, 100'000),
                      builtIn, "interpreted");
  if (t.native) {
    const NativeStep compiled(*t.native, t.user, {});
    ExpectSameExponents(
        Exponents(compiled, [&compiled](double x, double y) { return compiled.Jacobian(x, y); }, 0.5, y0, 100'000),
        builtIn, "compiled");
  }
}

INSTANTIATE_TEST_SUITE_P(EveryBuiltInMap, TypedJacobian, ::testing::ValuesIn(kTypedMaps),
                         [](const ::testing::TestParamInfo<TypedMap>& info) {
                           return "System" + std::to_string(info.param.system);
                         });

// The typed Standard Map preserves areas, as the built-in one does: its exponents sum to 0
// over a long chaotic orbit whose x + y keeps crossing the cut of mod.
TEST(TypedJacobian, TypedStandardMapPreservesAreas) {
  Pair t = ModelsFor(kTypedMaps[0]);
  t.user.k1 = 0.7;
  const RoutineStep typed{&t.user, t.user.routine, WrapOfSystem(t.user.system)};
  const LyapunovEstimate e =
      Exponents(typed, [&typed](double x, double y) { return typed.Jacobian(x, y); }, 0.5, 0.25, 1'000'000);
  ASSERT_EQ(e.gap2, ExponentGap::None);
  EXPECT_NEAR(e.Sum(), 0.0, 1e-9);
  EXPECT_NEAR(e.meanLogDet, 0.0, 1e-12);
}


// One formula of x (and y) compiled alone, for x'. Its value is the expression library's;
// the machine code of the same formula must give the very same bits.
class OneFormula {
 public:
  explicit OneFormula(std::string text) : text_(std::move(text)) {
    UserMapDefinition d;
    d.xFormula = text_;
    d.yFormula = "0";
    evaluator_ = CompileUserMap(d).evaluator;
    EXPECT_TRUE(evaluator_) << text_;
    if (evaluator_) native_ = MachineCode(*evaluator_);
  }

  double operator()(double x, double y = 0.0) const {
    if (!evaluator_) return 0.0;
    const double value = evaluator_->Evaluate(x, y, 0, 0, 0, 0).x;
    if (native_) {
      EXPECT_EQ(Bits(native_->Step(x, y, MappingModel{}).x), Bits(value)) << text_ << " at " << x << ", " << y;
      EXPECT_EQ(Bits(BlockImage(*native_, MappingModel{}, x, y).x), Bits(value)) << text_ << " at " << x << ", " << y;
    }
    return value;
  }

 private:
  std::string text_;
  std::shared_ptr<const UserMapEvaluator> evaluator_;
  std::shared_ptr<const NativeUserMap> native_;
};

double Formula(const std::string& text, double x, double y = 0.0) { return OneFormula(text)(x, y); }

TEST(FormulaLanguage, FunctionsAndPowerGiveTheCLibrarysBits) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const std::vector<double> values = {0.0, -0.0, 0.1, -0.1, 0.5, 1.0, -1.0, 2.5, -7.0, 1e-300, 1e300, 700.0,
                                      kTwoPi, kInf, -kInf, std::nan("")};
  using F1 = double (*)(double);
  const std::vector<std::pair<std::string, F1>> one = {
      {"sin", std::sin},   {"cos", std::cos},   {"tan", std::tan},     {"asin", std::asin}, {"acos", std::acos},
      {"atan", std::atan}, {"sinh", std::sinh}, {"cosh", std::cosh},   {"tanh", std::tanh}, {"exp", std::exp},
      {"log", std::log},   {"log10", std::log10}, {"sqrt", std::sqrt}, {"abs", std::fabs},  {"floor", std::floor},
      {"ceil", std::ceil}};
  using F2 = double (*)(double, double);
  const std::vector<std::pair<std::string, F2>> two = {
      {"atan2", std::atan2}, {"min", std::fmin}, {"max", std::fmax}, {"mod", ReduceModulo}};
  for (const auto& [name, f] : one) {
    const OneFormula formula(name + "(x)");
    for (double x : values) EXPECT_EQ(Bits(formula(x)), Bits(f(x))) << name << "(" << x << ")";
  }
  for (const auto& [name, f] : two) {
    const OneFormula formula(name + "(x, y)");
    for (double x : values) {
      for (double y : values) {
        EXPECT_EQ(Bits(formula(x, y)), Bits(f(x, y))) << name << "(" << x << ", " << y << ")";
      }
    }
  }
  const OneFormula power("x^y");
  for (double x : values) {
    for (double y : values) EXPECT_EQ(Bits(power(x, y)), Bits(std::pow(x, y))) << x << "^" << y;
  }
  EXPECT_EQ(Formula("2*pi", 0), 6.283185307179586);
  EXPECT_EQ(Formula("log(x)", std::exp(1.0)), 1.0);  // natural, not base 10
  EXPECT_EQ(Bits(Formula("sign(x)", -0.0)), Bits(-0.0));
  EXPECT_EQ(Formula("sign(x)", -3.5), -1.0);
  EXPECT_EQ(Formula("-x^2", 3.0), -9.0);
  EXPECT_EQ(Formula("mod(x, 2*pi)", -0.1), kTwoPi - 0.1);
  EXPECT_EQ(Formula("mod(x, 2*pi)", 7.0), 7.0 - kTwoPi);
}

// Random maps over every operation of the language: the interpreted program and machine
// code against the expression library's own evaluation, and the exact Jacobian against the interpreted dual numbers, at points and
// parameters that include zeros, infinities and not-a-number.
TEST(FormulaLanguage, MachineCodeGivesTheLibrarysBitsForAnyFormula) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  std::mt19937_64 random(16);
  const auto pick = [&random](const std::vector<std::string>& list) { return list[random() % list.size()]; };
  const std::vector<std::string> numbers = {"0", "0.5", "3", "1e-3", "pi", "2.25"};
  const std::vector<std::string> operators = {"+", "-", "*", "/", "^", "<", "<=", ">", ">=", "==", "!=", "&&", "||"};
  const std::vector<std::string> oneArgument = {"sin", "cos", "tan", "asin", "acos", "atan", "sinh", "cosh", "tanh",
                                                "exp", "log", "log10", "sqrt", "abs", "floor", "ceil", "sign"};
  const std::vector<std::string> twoArguments = {"atan2", "min", "max", "mod"};
  std::vector<std::string> names;
  std::function<std::string(int)> expression = [&](int depth) -> std::string {
    if (depth == 0 || random() % 5 == 0) return random() % 3 == 0 ? pick(numbers) : pick(names);
    switch (random() % 6) {
      case 0:
      case 1:
        return "(" + expression(depth - 1) + pick(operators) + expression(depth - 1) + ")";
      case 2:
        return pick(oneArgument) + "(" + expression(depth - 1) + ")";
      case 3:
        return pick(twoArguments) + "(" + expression(depth - 1) + ", " + expression(depth - 1) + ")";
      case 4:
        return "(" + expression(depth - 1) + " ? " + expression(depth - 1) + " : " + expression(depth - 1) + ")";
      default:
        return (random() % 2 == 0 ? "-" : "+") + expression(depth - 1);
    }
  };
  std::uniform_real_distribution<double> coordinate(-4.0, 4.0);
  std::vector<double> values = {0.0, -0.0, 1.0, -1.0, kTwoPi, 1e300, kInfinity, -kInfinity, std::nan("")};
  for (int i = 0; i < 24; ++i) values.push_back(coordinate(random));
  int compiled = 0;
  for (int map = 0; map < 25; ++map) {
    names = {"x", "y", "k1", "k2", "k3", "k4"};
    UserMapDefinition d;
    for (int h = 0; h < 3; ++h) {
      d.helpers.push_back("h" + std::to_string(h) + " = " + expression(4));
      names.push_back("h" + std::to_string(h));
    }
    d.xFormula = expression(4);
    d.yFormula = expression(4);
    const UserMapCompilation c = CompileUserMap(d);
    if (!c.evaluator) continue;  // "x*-y" and the like, which the library does not take
    ++compiled;
    const std::shared_ptr<const NativeUserMap> native = MachineCode(*c.evaluator);
    ASSERT_TRUE(native);
    MappingModel m;
    m.k1 = values[random() % values.size()];
    m.k2 = coordinate(random);
    m.k3 = 0.0;
    m.k4 = -2.5;
    for (double x : values) {
      for (double y : values) {
        const MapImage e = c.evaluator->Evaluate(x, y, m.k1, m.k2, m.k3, m.k4);
        const MapImage l = c.evaluator->EvaluateByLibrary(x, y, m.k1, m.k2, m.k3, m.k4);
        const MapImage n = native->Step(x, y, m);
        const MapImage b = BlockImage(*native, m, x, y);
        // The derivatives too: the compiled dual numbers against the interpreted ones.
        const MapJacobian ej = c.evaluator->Jacobian(x, y, m.k1, m.k2, m.k3, m.k4);
        const MapJacobian nj = native->JacobianCode()(x, y, m.k1, m.k2, m.k3, m.k4);
        ASSERT_TRUE(SameValue(e.x, l.x) && SameValue(e.y, l.y) && SameValue(e.x, n.x) && SameValue(e.y, n.y) &&
                    SameValue(e.x, b.x) && SameValue(e.y, b.y) &&
                    SameValue(ej.dxdx, nj.dxdx) && SameValue(ej.dxdy, nj.dxdy) && SameValue(ej.dydx, nj.dydx) &&
                    SameValue(ej.dydy, nj.dydy))
            << "at " << x << ", " << y << " k1 = " << m.k1 << ", k2 = " << m.k2 << "\n"
            << d.helpers[0] << "\n" << d.helpers[1] << "\n" << d.helpers[2] << "\nx' = " << d.xFormula
            << "\ny' = " << d.yFormula << "\nJacobian " << ej.dxdx << " " << ej.dxdy << " " << ej.dydx << " "
            << ej.dydy << " compiled " << nj.dxdx << " " << nj.dxdy << " " << nj.dydx << " " << nj.dydy;
      }
    }
  }
  EXPECT_GE(compiled, 20);
}

// Every comparison at operands that compare equal (and at either side of them, and with
// signed zeros and not-a-number), interpreted and in machine code, against C++'s own.
TEST(FormulaLanguage, ComparisonsHoldAtEqualOperands) {
  struct Comparison {
    const char* op;
    bool (*holds)(double, double);
  };
  const Comparison comparisons[] = {
      {"<", [](double a, double b) { return a < b; }},   {"<=", [](double a, double b) { return a <= b; }},
      {">", [](double a, double b) { return a > b; }},   {">=", [](double a, double b) { return a >= b; }},
      {"==", [](double a, double b) { return a == b; }}, {"!=", [](double a, double b) { return a != b; }},
  };
  const std::pair<double, double> operands[] = {{1.0, 1.0},   {-0.0, 0.0}, {0.75, 0.75 + 1e-16},
                                                {1.0, 0.999}, {2.5, 3.5},  {std::nan(""), std::nan("")}};
  for (const Comparison& c : comparisons) {
    UserMapDefinition d;
    d.xFormula = std::string("x ") + c.op + " y ? 2 : 3";
    d.yFormula = std::string("y ") + c.op + " 1 ? 5 : 7";
    const UserMapCompilation compiled = CompileUserMap(d);
    ASSERT_TRUE(compiled.evaluator) << c.op;
    const std::shared_ptr<const NativeUserMap> native =
        NativeCompilerBuilt() ? MachineCode(*compiled.evaluator) : nullptr;
    MappingModel m;
    for (const auto& [x, y] : operands) {
      const MapImage expected{c.holds(x, y) ? 2.0 : 3.0, c.holds(y, 1.0) ? 5.0 : 7.0};
      const MapImage interpreted = compiled.evaluator->Evaluate(x, y, 0, 0, 0, 0);
      EXPECT_EQ(interpreted.x, expected.x) << x << " " << c.op << " " << y;
      EXPECT_EQ(interpreted.y, expected.y) << y << " " << c.op << " 1";
      if (!native) continue;
      const MapImage step = native->Step(x, y, m), block = BlockImage(*native, m, x, y);
      EXPECT_EQ(step.x, expected.x) << "machine code: " << x << " " << c.op << " " << y;
      EXPECT_EQ(step.y, expected.y) << "machine code: " << y << " " << c.op << " 1";
      EXPECT_EQ(block.x, expected.x) << "machine code in blocks: " << x << " " << c.op << " " << y;
    }
  }
}

TEST(FormulaLanguage, OnlyWholeSegmentsOfNumbersAndPiAreFolded) {
  const auto marked = [](std::string_view) -> std::optional<std::string> { return "V"; };
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"mod(t, 2*pi)", "mod(t,(V))"},       {"2*pi", "(V)"},
      {"sin(2*pi*x)", "sin(2*pi*x)"},       {"x^(1/3) + (2)", "x^((V)) + (2)"},
      {"atan2(1+1, 2)", "atan2((V), 2)"},   {"-1e-3*2", "(V)"},
      {"pi2*2 + x", "pi2*2 + x"},           {"x > 1+1 ? 2 : 3", "x > 1+1 ? 2 : 3"},
      {"x*((1+2)*(3-4))", "x*((V))"},       {"1/(2*x)", "1/(2*x)"}};
  for (const auto& [formula, folded] : cases) EXPECT_EQ(FoldConstantSegments(formula, marked), folded) << formula;
}

TEST(FormulaLanguage, FoldingConstantsChangesNoBit) {
  std::mt19937_64 random(7);
  const std::vector<std::string> leaves = {"0.1", "3", "7.25", "1e-5", "pi", "2", "0"};
  const std::vector<std::string> operators = {"+", "-", "*", "/", "^"};
  std::function<std::string(int)> expression = [&](int depth) -> std::string {
    if (depth == 0 || random() % 4 == 0) return leaves[random() % leaves.size()];
    const std::string a = expression(depth - 1), b = expression(depth - 1);
    switch (random() % 3) {
      case 0:
        return a + operators[random() % operators.size()] + b;
      case 1:
        return "(" + a + operators[random() % operators.size()] + b + ")";
      default:
        return a.front() == '-' ? "-(" + a + ")" : "-" + a;
    }
  };
  int folded = 0;
  for (int i = 0; i < 400; ++i) {
    const std::string e = expression(4);
    UserMapDefinition d;
    d.xFormula = "x*(" + e + ")";
    d.yFormula = e;
    const UserMapCompilation fold = CompileUserMap(d, ConstantFolding::Fold);
    const UserMapCompilation keep = CompileUserMap(d, ConstantFolding::Keep);
    ASSERT_EQ(fold.evaluator != nullptr, keep.evaluator != nullptr) << e;
    if (!keep.evaluator) continue;  // "3+-2" and the like, which the library does not take
    for (double x : {1.5, -0.0}) {
      const MapImage a = fold.evaluator->Evaluate(x, 0, 0, 0, 0, 0);
      const MapImage b = keep.evaluator->Evaluate(x, 0, 0, 0, 0, 0);
      ASSERT_EQ(Bits(a.x), Bits(b.x)) << e;
      ASSERT_EQ(Bits(a.y), Bits(b.y)) << e;
    }
    if (std::isfinite(keep.evaluator->Evaluate(0, 0, 0, 0, 0, 0).y)) ++folded;
  }
  EXPECT_GT(folded, 200);  // most of them had a finite value to fold
}

// `count` helper lines "hI = x+x+...+x" padded with blanks to `width` characters each;
// helper I holds as many x as `xCount[I]` says.
std::vector<std::string> WideHelpers(int count, std::size_t width, std::vector<int>* xCount = nullptr) {
  std::vector<std::string> lines;
  for (int i = 1; i <= count; ++i) {
    std::string line = "h" + std::to_string(i) + " = x";
    int xs = 1;
    for (; line.size() + 2 <= width; ++xs) line += "+x";
    line.resize(width, ' ');
    lines.push_back(line);
    if (xCount != nullptr) xCount->push_back(xs);
  }
  return lines;
}

// Within the stated limits a map is taken: 19 helper lines of 994 characters (18886 in
// all), a helper name of 100 characters; names compare without letter case beyond ASCII.
TEST(FormulaLanguage, EverythingWithinTheStatedLimitsIsTaken) {
  std::vector<int> xs;
  UserMapDefinition wide;
  wide.helpers = WideHelpers(19, 994, &xs);
  wide.xFormula = "h1";
  wide.yFormula = "h19 - h18";
  const UserMapCompilation compiled = CompileUserMap(wide);
  ASSERT_TRUE(compiled.evaluator) << DescribeFormulaError(*compiled.error);
  const MapImage image = compiled.evaluator->Evaluate(1.0, 0.0, 0, 0, 0, 0);
  EXPECT_EQ(image.x, xs[0]);
  EXPECT_EQ(image.y, xs[18] - xs[17]);

  UserMapDefinition named;
  const std::string name(100, 'n');
  named.helpers = {name + " = 2*x"};
  named.xFormula = name;
  named.yFormula = "y";
  ASSERT_TRUE(CompileUserMap(named).evaluator);

  EXPECT_TRUE(SameName("Été à Köln", "éTÉ À kÖLN"));
  EXPECT_TRUE(SameName("ΛΥΑΠΟΥΝΟΦ", "λυαπουνοφ"));
  EXPECT_FALSE(SameName("Ete", "Été"));
  EXPECT_FALSE(SameName("Köln", "Köl"));
}

struct BadMap {
  std::vector<std::string> helpers;
  std::string x;
  std::string y;
  std::string message;
  int column;
  int length;
};

void PrintTo(const BadMap& bad, std::ostream* os) { *os << bad.message; }

class MalformedMap : public ::testing::TestWithParam<BadMap> {};

TEST_P(MalformedMap, IsRefusedWithWhatAndWhere) {
  const BadMap& bad = GetParam();
  UserMapDefinition d;
  d.helpers = bad.helpers;
  d.xFormula = bad.x;
  d.yFormula = bad.y;
  const UserMapCompilation compiled = CompileUserMap(d);
  ASSERT_FALSE(compiled.evaluator);
  ASSERT_TRUE(compiled.error);
  EXPECT_EQ(DescribeFormulaError(*compiled.error), bad.message);
  EXPECT_EQ(compiled.error->column, bad.column);
  EXPECT_EQ(compiled.error->length, bad.length);
}

INSTANTIATE_TEST_SUITE_P(
    Formulas, MalformedMap,
    ::testing::Values(
        BadMap{{}, "x +* y", "y", "x': unexpected operator \"*\" at column 4", 4, 1},
        BadMap{{}, "x", "1 - k5*x", "y': unknown name \"k5\" at column 5", 5, 2},
        BadMap{{}, "sin(x", "y", "x': missing closing parenthesis at column 6", 6, 0},
        BadMap{{}, "x", "2 y", "y': missing operator before \"y\" at column 3", 3, 1},
        BadMap{{}, "x", "  ", "y': the formula is empty", 0, 0},
        BadMap{{}, "x = 3", "y", "x': unexpected \"=\" at column 3", 3, 1},
        BadMap{{}, "x, y", "y", "x': unexpected \",\" at column 2", 2, 1},
        BadMap{{}, "atan2(x)", "y", "x': too few arguments for \"atan2\" at column 8", 8, 1},
        BadMap{{}, "x + 1e400", "y", "x': invalid number \"1e400\" at column 5", 5, 5},
        BadMap{{}, "x", std::string(1001, '1'), "y': longer than 1000 characters at column 1001", 1001, 1},
        BadMap{{"t = x", "", "u = t + w"}, "u", "y", "helper line 3: unknown name \"w\" at column 9", 9, 1},
        BadMap{{"t = u", "u = x"}, "t", "y", "helper line 1: unknown name \"u\" at column 5", 5, 1},
        BadMap{{" sin = x"}, "x", "y", "helper line 1: \"sin\" cannot be a helper name at column 2", 2, 3},
        BadMap{{"t = x", "t = y"}, "t", "y", "helper line 2: \"t\" is defined twice at column 1", 1, 1},
        BadMap{{"t = t + 1"}, "t", "y", "helper line 1: unknown name \"t\" at column 5", 5, 1},
        BadMap{{"2t = x"}, "x", "y", "helper line 1: invalid name \"2t\" at column 1", 1, 2},
        BadMap{{"t + x"}, "x", "y", "helper line 1: a helper line reads name = formula", 0, 0},
        BadMap{{std::string(101, 'n') + " = x"}, "x", "y",
               "helper line 1: a name may have at most 100 characters at column 1", 1, 101},
        BadMap{WideHelpers(21, 994), "h1", "y",
               "helper line 20: the map's lines are longer than 19000 characters together", 0, 0},
        BadMap{WideHelpers(19, 994), "h1 + " + std::string(150, ' ') + "1", "y",
               "x': the map's lines are longer than 19000 characters together", 0, 0},
        BadMap{{}, "x + \u00e9t\u00e9", "y", "x': unexpected character \"\u00e9\" at column 5", 5, 2},
        BadMap{{}, "x", "y * \u03bb", "y': unexpected character \"\u03bb\" at column 5", 5, 2}));

}  // namespace
}  // namespace orbitra
