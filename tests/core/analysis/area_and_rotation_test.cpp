// SPDX-License-Identifier: GPL-3.0-or-later
// Area preservation and rotation numbers against the mathematics: det J by central
// differences of the maps' own values, the integrable Standard Map (x advances by y), the
// linear rotation at elliptic fixed points (cos theta = trace / 2).
#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "analysis/area_preservation.h"
#include "analysis/rotation_number.h"
#include "maps/map_steps.h"
#include "maps/user_map_evaluator.h"
#include "maps/user_map_table.h"
#include "support/map_model.h"
#include "support/typed_maps.h"

namespace orbitra {
namespace {

constexpr double kPi = std::numbers::pi;

double ShortWay(double d, double period) { return period > 0 ? std::remainder(d, period) : d; }

// Whether |det J| = 1 at most points of a 16 x 16 grid over the map's default range, det J
// by central differences of the routine's values (the short way round where it wraps).
bool DifferencesSayAreaIsKept(const MappingModel& m) {
  const CoordinateWrap wrap = WrapOfSystem(m.system);
  const WorldRange r = m.DefaultRange;
  int kept = 0, finite = 0;
  for (int j = 0; j < 16; ++j) {
    for (int i = 0; i < 16; ++i) {
      const double x = r.Xmin + (i + 0.5) * (r.Xmax - r.Xmin) / 16, y = r.Ymin + (j + 0.5) * (r.Ymax - r.Ymin) / 16;
      const double h = 1e-6;
      const MapImage px = m.routine(m, x + h, y), mx = m.routine(m, x - h, y);
      const MapImage py = m.routine(m, x, y + h), my = m.routine(m, x, y - h);
      const double a = ShortWay(px.x - mx.x, wrap.x) / (2 * h), b = ShortWay(py.x - my.x, wrap.x) / (2 * h);
      const double c = ShortWay(px.y - mx.y, wrap.y) / (2 * h), d = ShortWay(py.y - my.y, wrap.y) / (2 * h);
      const double det = a * d - b * c;
      if (!std::isfinite(det)) continue;
      ++finite;
      kept += std::fabs(std::fabs(det) - 1) < 1e-4 ? 1 : 0;
    }
  }
  return finite > 0 && kept >= finite - 8;  // a few points may straddle a kink
}

TEST(AreaPreservation, VerdictOfEveryBuiltInAndItsTypedFormAgreesWithDetJ) {
  int preserving = 0;
  for (const testing::TypedMap& typed : testing::kTypedMaps) {
    MappingModel builtIn;
    SelectSystemWithDefaults(builtIn, typed.system);
    const bool expected = DifferencesSayAreaIsKept(builtIn);
    EXPECT_EQ(PreservesArea(builtIn), expected) << typed.system;
    preserving += expected ? 1 : 0;

    UserMapDefinition d;
    d.name = "typed";
    d.helpers = typed.helpers;
    d.xFormula = typed.x;
    d.yFormula = typed.y;
    MappingModel user = builtIn;
    user.system = kFirstUserSystem;
    user.routine = &UserMapRoutine;
    user.userMap = CompileUserMap(d).evaluator;
    ASSERT_TRUE(user.userMap);
    EXPECT_EQ(PreservesArea(user), expected) << "typed " << typed.system;
  }
  EXPECT_GE(preserving, 9);
  // Henon's 1.4 / 0.3 shrinks areas by 0.3; at a kick of 1e155 the Standard Map's det J
  // cancels to nothing in rounding, yet it keeps areas.
  EXPECT_FALSE(PreservesArea(testing::MapModel(2, 1.4, 0.3, 1.0)));
  EXPECT_TRUE(PreservesArea(testing::MapModel(1, 1e155)));
}

TEST(RotationNumber, IntegrableStandardMapAdvancesByY) {
  const PlaneMap map = PlaneMapOf(testing::MapModel(1, 0.0));
  for (const double y0 : {0.1, 1.0, 2.0 * kPi / 3.0, 4.0, 6.2}) {
    const RotationNumber r = OrbitRotationNumber(map, {0.3, y0}, 0, 10'000);
    EXPECT_EQ(r.kind, RotationKind::Lifted);
    EXPECT_EQ(r.iterations, 10'000);
    EXPECT_NEAR(r.value, y0 / (2 * kPi), 1e-12) << y0;
  }
}

// The profile along a vertical segment of the integrable map: y/2pi at every point, s the
// distance from the first end.
TEST(RotationNumber, ProfileAlongASegment) {
  const PlaneMap map = PlaneMapOf(testing::MapModel(1, 0.0));
  const std::vector<ProfilePoint> profile = RotationProfile(map, {1.0, 0.5}, {1.0, 2.5}, 5, 100, 1000);
  ASSERT_EQ(profile.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    const ProfilePoint& p = profile[static_cast<std::size_t>(i)];
    EXPECT_NEAR(p.s, 0.5 * i, 1e-15);
    EXPECT_EQ(p.at.x, 1.0);
    EXPECT_NEAR(p.rotation, (0.5 + 0.5 * i) / (2 * kPi), 1e-12);
  }
  EXPECT_EQ(FormatRotationProfile({profile[0]}), "0 1 0.5 0.0795774715459\n");
}

// At an elliptic fixed point with trace t the linearisation turns by theta, cos theta =
// t / 2, per iteration; orbits close to it wind about it at that rate.
TEST(RotationNumber, WindingNearEllipticPointsTendsToTheLinearAngle) {
  // Standard Map at (pi, 0): J = [[1, 1], [-k1, 1 - k1]], trace 2 - k1.
  const double k1 = 0.7;
  const PlaneMap standard = PlaneMapOf(testing::MapModel(1, k1));
  const double linear = std::acos((2 - k1) / 2) / (2 * kPi);
  double previousError = HUGE_VAL;
  for (const double offset : {0.1, 0.01, 1e-4}) {
    const RotationNumber r = OrbitRotationNumber(standard, {kPi + offset, 0.0}, 0, 20'000, WorldPoint{kPi, 0.0});
    EXPECT_EQ(r.kind, RotationKind::Winding);
    const double error = std::fabs(std::fabs(r.value) - linear);
    EXPECT_LT(error, previousError) << offset;
    previousError = error;
  }
  // What is left is the finite mean: a fraction of a turn over 20000 iterations.
  EXPECT_LT(previousError, 2e-5);

  // The Henon rotation map turns by k1 at its origin: trace 2 cos k1.
  for (const double angle : {0.4, 1.3, 2.5}) {
    const PlaneMap rotation = PlaneMapOf(testing::MapModel(4, angle));
    const RotationNumber r = OrbitRotationNumber(rotation, {1e-4, 0.0}, 0, 20'000, WorldPoint{0.0, 0.0});
    EXPECT_NEAR(std::fabs(r.value), angle / (2 * kPi), 1e-6) << angle;
    // No centre given and no wrap: nothing to say.
    EXPECT_TRUE(std::isnan(OrbitRotationNumber(rotation, {1e-4, 0.0}, 0, 100).value));
    // The centre found from a point near it.
    const std::optional<WorldPoint> centre = EllipticFixedPointNear(rotation, {0.01, -0.02}, 0.1);
    ASSERT_TRUE(centre);
    EXPECT_LT(std::hypot(centre->x, centre->y), 1e-12);
  }
}

}  // namespace
}  // namespace orbitra
