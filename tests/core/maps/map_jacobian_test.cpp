// SPDX-License-Identifier: GPL-3.0-or-later
// The analytic Jacobians of the built-in maps against central differences of the maps'
// own formulas: many random points per map, away from the places where a formula is not
// differentiable, and chosen points on every branch (wraps, absolute values, the wedge).
#include <cmath>
#include <functional>
#include <random>

#include <gtest/gtest.h>

#include "maps/central_difference.h"
#include "maps/map_steps.h"
#include "support/map_model.h"

namespace orbitra {
namespace {

using testing::MapModel;
using Usable = std::function<bool(double, double)>;

constexpr CoordinateWrap kNoWrap{0.0, 0.0};
constexpr CoordinateWrap kWrapX{kTwoPi, 0.0};
constexpr CoordinateWrap kWrapBoth{kTwoPi, kTwoPi};
constexpr CoordinateWrap kWrapUnitX{1.0, 0.0};

// Each row of the analytic Jacobian agrees with the differences to 1e-6 of the row's size.
template <typename Step>
::testing::AssertionResult AgreesAt(const Step& step, CoordinateWrap wrap, double x, double y) {
  const MapJacobian a = step.Jacobian(x, y);
  const MapJacobian n = CentralDifferenceJacobian(step, x, y, wrap);
  const double rowX = 1e-6 * (1.0 + std::fabs(n.dxdx) + std::fabs(n.dxdy));
  const double rowY = 1e-6 * (1.0 + std::fabs(n.dydx) + std::fabs(n.dydy));
  if (std::fabs(a.dxdx - n.dxdx) <= rowX && std::fabs(a.dxdy - n.dxdy) <= rowX &&
      std::fabs(a.dydx - n.dydx) <= rowY && std::fabs(a.dydy - n.dydy) <= rowY) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "at (" << x << ", " << y << "): {" << a.dxdx << ", " << a.dxdy << ", "
                                       << a.dydx << ", " << a.dydy << "} against {" << n.dxdx << ", " << n.dxdy
                                       << ", " << n.dydx << ", " << n.dydy << "}";
}

// 2000 random points of the rectangle at which `usable` holds.
template <typename Step>
void ExpectAgreementOver(const Step& step, CoordinateWrap wrap, WorldRange r, const Usable& usable = nullptr) {
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

TEST(MapJacobian, SmoothMapsAgreeWithDifferences) {
  // Ranges beyond [0, 2pi], so that images wrap both ways: wraps leave derivatives alone.
  const WorldRange torus{-1.0, 7.5, -1.0, 7.5};
  for (double k1 : {0.7, 5.3}) ExpectAgreementOver(StandardMapStep(MapModel(1, k1)), kWrapBoth, torus);
  for (const MappingModel& m : {MapModel(2, 0.95, 1, -1), MapModel(2, 1.4, 0.3, 1)}) {
    ExpectAgreementOver(HenonDcMapStep(m), kNoWrap, {-2, 2, -2, 2});
  }
  for (const MappingModel& m : {MapModel(3, 1.2, 1.5, 0), MapModel(3, 0.8, 2.0, -0.5), MapModel(3, 1.1, 0.7, 0.3)}) {
    // Away from x*x + y*y + k3 = 0, where a non-integer power is not differentiable.
    const Usable positive = [&m](double x, double y) { return x * x + y * y + m.k3 > 0.05; };
    ExpectAgreementOver(HyperbolicCStep(m), kNoWrap, {-2, 2, -2, 2}, positive);
  }
  for (double k1 : {1.57, 0.3}) ExpectAgreementOver(HenonRotationStep(MapModel(4, k1)), kNoWrap, {-2, 2, -2, 2});
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
    // Away from the kink, where y' = 0 and the map blows up.
    ExpectAgreementOver(FermiSineStep(MapModel(7, k1)), kWrapUnitX, {-0.5, 1.5, -3, 20},
                        [](double x, double y) { return std::fabs(y + std::sin(kTwoPi * x)) > 0.1; });
    ExpectAgreementOver(FermiSawtoothStep(MapModel(8, k1)), kWrapUnitX, {-0.5, 1.5, -3, 20},
                        [](double x, double y) { return std::fabs(y + x - 0.5) > 0.1; });
  }
  // On either side of the kink the determinant is the sign of the absolute value's argument.
  const FermiSineStep sine(MapModel(7, 10));
  const FermiSawtoothStep saw(MapModel(8, 10));
  EXPECT_NEAR(sine.Jacobian(0.25, 0.5).Determinant(), 1.0, 1e-12);    // argument 1.5
  EXPECT_NEAR(sine.Jacobian(0.25, -1.5).Determinant(), -1.0, 1e-12);  // argument -0.5
  EXPECT_NEAR(saw.Jacobian(0.25, 1.0).Determinant(), 1.0, 1e-12);     // argument 0.75
  EXPECT_NEAR(saw.Jacobian(0.25, -0.75).Determinant(), -1.0, 1e-12);  // argument -1
}

TEST(MapJacobian, WedgeOnEachBranchAndWithoutAnImage) {
  for (double angle : {30.0, 12.0, 55.0}) {
    const WedgeMapStep wedge = WedgeStepOfAngle(angle);
    // Every point within 1e-3 of a branch boundary is skipped.
    const Usable clear = [&wedge](double x, double y) {
      const double u = x - 2.0 * y;
      const double d = 2.0 * wedge.g * (y - x) * (y - x) + 2.0 - y * y;
      return std::fabs(wedge.c2 * x * x + wedge.s2 * y * y - 1.0) > 1e-3 &&
             std::fabs(wedge.c2 * u * u + wedge.s2 * y * y - 1.0) > 1e-3 && std::fabs(d) > 1e-3;
    };
    ExpectAgreementOver(wedge, kNoWrap, {-2.5, 2.5, -0.5, 3.0}, clear);
  }
  const WedgeMapStep wedge = WedgeStepOfAngle(30);
  double d = 0.0;
  ASSERT_EQ(wedge.BranchAt(0.5, 0.25, d), WedgeMapStep::Branch::Shift);
  EXPECT_EQ(wedge.Jacobian(0.5, 0.25).dxdy, -2.0);
  // The root branch scales areas by y / y'.
  ASSERT_EQ(wedge.BranchAt(-1.0, 0.5, d), WedgeMapStep::Branch::Root);
  EXPECT_NEAR(wedge.Jacobian(-1.0, 0.5).Determinant(), 0.5 / wedge(-1.0, 0.5).y, 1e-12);
  // No image: the step keeps the point, so the derivative is the identity.
  ASSERT_EQ(wedge.BranchAt(2.0, 0.0, d), WedgeMapStep::Branch::None);
  const MapJacobian none = wedge.Jacobian(2.0, 0.0);
  EXPECT_TRUE(none.dxdx == 1.0 && none.dxdy == 0.0 && none.dydx == 0.0 && none.dydy == 1.0);
}

TEST(MapJacobian, RoutineStepDifferencesTheRoutineTheShortWayRound) {
  const MappingModel henon = MapModel(2, 1.4, 0.3, 1);
  const RoutineStep step{&henon, henon.routine, kNoWrap};
  for (double x : {-1.2, -0.3, 0.0, 0.7, 1.1}) {
    const MapJacobian n = step.Jacobian(x, 0.2);
    EXPECT_NEAR(n.dxdx, -2.8 * x, 1e-9);
    EXPECT_NEAR(n.dxdy, 1.0, 1e-9);
    EXPECT_NEAR(n.dydx, 0.3, 1e-9);
    EXPECT_NEAR(n.dydy, 0.0, 1e-9);
  }
  // x + y = 2pi: the differences straddle the cut of both coordinates.
  const MappingModel standard = MapModel(1, 0.7);
  const MapJacobian j = RoutineStep{&standard, standard.routine, kWrapBoth}.Jacobian(3.0, kTwoPi - 3.0);
  EXPECT_NEAR(j.dxdx, 1.0, 1e-8);
  EXPECT_NEAR(j.dxdy, 1.0, 1e-8);
  EXPECT_NEAR(j.dydy, 1.7, 1e-8);
}

}  // namespace
}  // namespace orbitra
