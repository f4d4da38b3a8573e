// The analytic Jacobians of the built-in maps against central differences of the maps'
// own formulas: many random points per map, away from the places where a formula is not
// differentiable, and chosen points on every branch (wraps, absolute values, the wedge).
#include <cmath>
#include <functional>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "maps/central_difference.h"
#include "maps/map_steps.h"
#include "maps/mapping_catalogue.h"
#include "support/map_model.h"

namespace orbitra {
namespace {

constexpr CoordinateWrap kNoWrap{0.0, 0.0};
constexpr CoordinateWrap kWrapX{kTwoPi, 0.0};
constexpr CoordinateWrap kWrapBoth{kTwoPi, kTwoPi};
constexpr CoordinateWrap kWrapUnitX{1.0, 0.0};

using testing::MapModel;

// Each row of the analytic Jacobian agrees with the differences to 1e-6 of the row's size.
template <typename Step>
::testing::AssertionResult AgreesAt(const Step& step, CoordinateWrap wrap, double x, double y) {
  const MapJacobian a = step.Jacobian(x, y);
  const MapJacobian n = CentralDifferenceJacobian(step, x, y, wrap);
  const double rowX = 1.0 + std::fabs(n.dxdx) + std::fabs(n.dxdy);
  const double rowY = 1.0 + std::fabs(n.dydx) + std::fabs(n.dydy);
  const bool ok = std::fabs(a.dxdx - n.dxdx) <= 1e-6 * rowX && std::fabs(a.dxdy - n.dxdy) <= 1e-6 * rowX &&
                  std::fabs(a.dydx - n.dydx) <= 1e-6 * rowY && std::fabs(a.dydy - n.dydy) <= 1e-6 * rowY;
  if (ok) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "at (" << x << ", " << y << "): analytic {" << a.dxdx << ", " << a.dxdy
                                       << ", " << a.dydx << ", " << a.dydy << "}, differences {" << n.dxdx << ", "
                                       << n.dxdy << ", " << n.dydx << ", " << n.dydy << "}";
}

// 2000 random points of the rectangle at which `usable` holds.
template <typename Step>
void ExpectAgreementOver(const Step& step, CoordinateWrap wrap, WorldRange r,
                         const std::function<bool(double, double)>& usable = nullptr) {
  std::mt19937_64 random(20260815);
  std::uniform_real_distribution<double> ux(r.Xmin, r.Xmax), uy(r.Ymin, r.Ymax);
  int checked = 0;
  for (int tries = 0; checked < 2000 && tries < 200000; ++tries) {
    const double x = ux(random), y = uy(random);
    if (usable && !usable(x, y)) continue;
    ++checked;
    ASSERT_TRUE(AgreesAt(step, wrap, x, y));
  }
  EXPECT_EQ(checked, 2000);
}

TEST(MapJacobian, SmoothMapsAgreeWithDifferencesEverywhere) {
  const WorldRange torus{-1.0, 7.5, -1.0, 7.5};  // beyond [0, 2pi] so that images wrap both ways
  for (const MappingModel& m : {MapModel(1, 0.7), MapModel(1, 5.3)}) ExpectAgreementOver(StandardMapStep(m), kWrapBoth, torus);
  for (const MappingModel& m : {MapModel(2, 0.95, 1, -1), MapModel(2, 1.4, 0.3, 1)}) {
    ExpectAgreementOver(HenonDcMapStep(m), kNoWrap, {-2, 2, -2, 2});
  }
  for (const MappingModel& m : {MapModel(3, 1.2, 1.5, 0), MapModel(3, 0.8, 2.0, -0.5), MapModel(3, 1.1, 0.7, 0.3)}) {
    // Away from x*x + y*y + k3 = 0, where a non-integer power is not differentiable.
    ExpectAgreementOver(HyperbolicCStep(m), kNoWrap, {-2, 2, -2, 2},
                        [&m](double x, double y) { return x * x + y * y + m.k3 > 0.05; });
  }
  for (const MappingModel& m : {MapModel(4, 1.57), MapModel(4, 0.3)}) {
    ExpectAgreementOver(HenonRotationStep(m), kNoWrap, {-1.5, 1.5, -1.5, 1.5});
  }
  for (const MappingModel& m : {MapModel(5, 0.3, 0.8), MapModel(5, 2.5, -0.4)}) {
    ExpectAgreementOver(DimerizedChainsStep(m), kWrapX, {-1, 7.5, -3, 4});
  }
  for (const MappingModel& m : {MapModel(6, 0.3, 0.5), MapModel(6, 0.9, 1.7)}) {
    ExpectAgreementOver(VortexFlowStep(m), kWrapX, {-1, 7.5, -2.5, 2.5});
  }
  for (const MappingModel& m : {MapModel(9, 0.3, 0.01, 1.5, 0), MapModel(9, 1.9, 0.8, 3.0, 0.4)}) {
    ExpectAgreementOver(DoublyKickedRotatorStep(m), kWrapBoth, torus);
  }
}

TEST(MapJacobian, FermiMapsFlipTheSignWhereTheAbsoluteValueDoes) {
  for (double k1 : {10.0, 0.7}) {
    const FermiSineStep sine(MapModel(7, k1));
    const FermiSawtoothStep saw(MapModel(8, k1));
    // Away from the kink y + t(x) = 0, where y' = 0 and the map blows up.
    ExpectAgreementOver(sine, kWrapUnitX, {-0.5, 1.5, -3, 20},
                        [](double x, double y) { return std::fabs(y + std::sin(kTwoPi * x)) > 0.1; });
    ExpectAgreementOver(saw, kWrapUnitX, {-0.5, 1.5, -3, 20},
                        [](double x, double y) { return std::fabs(y + x - 0.5) > 0.1; });
  }
  // One point on each side of the kink, by hand: the determinant is the sign of the argument.
  const FermiSineStep sine(MapModel(7, 10));
  const FermiSawtoothStep saw(MapModel(8, 10));
  EXPECT_TRUE(AgreesAt(sine, kWrapUnitX, 0.25, 0.5));    // t = 1.5
  EXPECT_TRUE(AgreesAt(sine, kWrapUnitX, 0.25, -1.5));   // t = -0.5
  EXPECT_NEAR(sine.Jacobian(0.25, 0.5).Determinant(), 1.0, 1e-12);
  EXPECT_NEAR(sine.Jacobian(0.25, -1.5).Determinant(), -1.0, 1e-12);
  EXPECT_TRUE(AgreesAt(saw, kWrapUnitX, 0.25, 1.0));     // t = 0.75
  EXPECT_TRUE(AgreesAt(saw, kWrapUnitX, 0.25, -0.75));   // t = -1
  EXPECT_NEAR(saw.Jacobian(0.25, 1.0).Determinant(), 1.0, 1e-12);
  EXPECT_NEAR(saw.Jacobian(0.25, -0.75).Determinant(), -1.0, 1e-12);
}

TEST(MapJacobian, WrapsLeaveTheDerivativesAlone) {
  // Images that wrap: x + y = 7 > 2pi, a negative sum, and y' of the rotator beyond 2pi.
  const StandardMapStep standard(MapModel(1, 0.7));
  EXPECT_TRUE(AgreesAt(standard, kWrapBoth, 4.0, 3.0));
  EXPECT_TRUE(AgreesAt(standard, kWrapBoth, 0.1, -0.5));
  const DimerizedChainsStep chains(MapModel(5, 0.3, 0.8));
  EXPECT_TRUE(AgreesAt(chains, kWrapX, 0.2, -2.0));
  const DoublyKickedRotatorStep rotator(MapModel(9, 0.3, 0.01, 1.5, 0));
  EXPECT_TRUE(AgreesAt(rotator, kWrapBoth, 6.0, 6.2));
  // The differences themselves are taken the short way round a cut.
  const MapJacobian j = CentralDifferenceJacobian(standard, 3.0, kTwoPi - 3.0, kWrapBoth);
  EXPECT_NEAR(j.dxdx, 1.0, 1e-8);
  EXPECT_NEAR(j.dxdy, 1.0, 1e-8);
}

TEST(MapJacobian, WedgeOnEachBranchAndWithoutAnImage) {
  for (double angle : {30.0, 12.0, 55.0}) {
    const WedgeMapStep wedge = WedgeStepOfAngle(angle);
    auto clear = [&wedge](double x, double y) {
      // Every point within 1e-3 of a branch boundary is skipped.
      const double u = x - 2.0 * y;
      const double inDomain = wedge.c2 * x * x + wedge.s2 * y * y - 1.0;
      const double shift = wedge.c2 * u * u + wedge.s2 * y * y - 1.0;
      const double d = 2.0 * wedge.g * (y - x) * (y - x) + 2.0 - y * y;
      return std::fabs(inDomain) > 1e-3 && std::fabs(shift) > 1e-3 && std::fabs(d) > 1e-3;
    };
    ExpectAgreementOver(wedge, kNoWrap, {-2.5, 2.5, -0.5, 3.0}, clear);
  }
  const WedgeMapStep wedge = WedgeStepOfAngle(30);
  double d = 0.0;
  ASSERT_EQ(wedge.BranchAt(0.5, 0.25, d), WedgeMapStep::Branch::Shift);
  EXPECT_TRUE(AgreesAt(wedge, kNoWrap, 0.5, 0.25));
  EXPECT_EQ(wedge.Jacobian(0.5, 0.25).dxdy, -2.0);
  ASSERT_EQ(wedge.BranchAt(-1.0, 0.5, d), WedgeMapStep::Branch::Root);
  EXPECT_TRUE(AgreesAt(wedge, kNoWrap, -1.0, 0.5));
  // The root branch scales areas by y / y'.
  const MapImage image = wedge(-1.0, 0.5);
  EXPECT_NEAR(wedge.Jacobian(-1.0, 0.5).Determinant(), 0.5 / image.y, 1e-12);
  // No image: the step keeps the point, so the derivative is the identity.
  ASSERT_EQ(wedge.BranchAt(2.0, 0.0, d), WedgeMapStep::Branch::None);
  const MapJacobian none = wedge.Jacobian(2.0, 0.0);
  EXPECT_EQ(none.dxdx, 1.0);
  EXPECT_EQ(none.dxdy, 0.0);
  EXPECT_EQ(none.dydx, 0.0);
  EXPECT_EQ(none.dydy, 1.0);
  EXPECT_TRUE(AgreesAt(wedge, kNoWrap, 2.0, 0.0));
}

TEST(MapJacobian, RoutineStepDifferencesTheModelsRoutine) {
  // A map evaluated at run time: the differences of its routine match the formula's Jacobian.
  const MappingModel henon = MapModel(2, 1.4, 0.3, 1);
  const RoutineStep step{&henon, henon.routine, kNoWrap};
  for (double x : {-1.2, -0.3, 0.0, 0.7, 1.1}) {
    const MapJacobian n = step.Jacobian(x, 0.2);
    EXPECT_NEAR(n.dxdx, -2.8 * x, 1e-9);
    EXPECT_NEAR(n.dxdy, 1.0, 1e-9);
    EXPECT_NEAR(n.dydx, 0.3, 1e-9);
    EXPECT_NEAR(n.dydy, 0.0, 1e-9);
  }
  const MappingModel standard = MapModel(1, 0.7);
  const RoutineStep wrapped{&standard, standard.routine, kWrapBoth};
  EXPECT_TRUE(AgreesAt(StandardMapStep(standard), kWrapBoth, 3.0, kTwoPi - 3.0));
  const MapJacobian j = wrapped.Jacobian(3.0, kTwoPi - 3.0);
  EXPECT_NEAR(j.dydy, 1.0 + 0.7 * std::cos(kTwoPi), 1e-8);
}

}  // namespace
}  // namespace orbitra
