// Typed maps' exact Jacobians (dual numbers through the formulas, interpreted and as
// machine code) against the built-in maps' analytic ones, and the Lyapunov exponents they
// give against the built-ins' over long orbits.
#include <cmath>
#include <memory>
#include <random>

#include <gtest/gtest.h>

#include "analysis/lyapunov_accumulator.h"
#include "maps/central_difference.h"
#include "maps/coordinate_wrap.h"
#include "maps/map_steps.h"
#include "maps/mapping_catalogue.h"
#include "maps/native_map_compiler.h"
#include "maps/native_steps.h"
#include "maps/user_map_evaluator.h"
#include "support/typed_maps.h"

namespace orbitra {
namespace {

using testing::kTypedMaps;
using testing::TypedMap;

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

struct Typed {
  MappingModel builtIn;
  MappingModel user;
  std::shared_ptr<const NativeUserMap> native;  // null in a build without the compiler
};

Typed Make(const TypedMap& typed) {
  Typed t;
  SelectSystemWithDefaults(t.builtIn, typed.system);
  t.user = t.builtIn;
  UserMapDefinition d;
  d.name = "typed";
  d.helpers = typed.helpers;
  d.xFormula = typed.x;
  d.yFormula = typed.y;
  t.user.userMap = CompileUserMap(d).evaluator;
  t.user.routine = &UserMapRoutine;
  if (NativeCompilerBuilt() && t.user.userMap) {
    static const NativeMapCompiler compiler;
    t.native = compiler.Compile(*t.user.userMap->Program()).code;
  }
  return t;
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
  const Typed t = Make(GetParam());
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
  const Typed t = Make(GetParam());
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
  Typed t = Make(kTypedMaps[0]);
  t.user.k1 = 0.7;
  const RoutineStep typed{&t.user, t.user.routine, WrapOfSystem(t.user.system)};
  const LyapunovEstimate e =
      Exponents(typed, [&typed](double x, double y) { return typed.Jacobian(x, y); }, 0.5, 0.25, 1'000'000);
  ASSERT_EQ(e.gap2, ExponentGap::None);
  EXPECT_NEAR(e.Sum(), 0.0, 1e-9);
  EXPECT_NEAR(e.meanLogDet, 0.0, 1e-12);
}

}  // namespace
}  // namespace orbitra
