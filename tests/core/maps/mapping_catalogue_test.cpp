// SPDX-License-Identifier: GPL-3.0-or-later
#include <bit>
#include <cstdint>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "maps/map_routines.h"
#include "maps/mapping_catalogue.h"

namespace orbitra {
namespace {

MappingModel ModelFor(int system) {
  MappingModel m;
  SelectSystemWithDefaults(m, system);
  return m;
}

// Relative agreement to 10 significant digits (absolute near zero).
void ExpectTenDigits(double expected, double actual) {
  const double tolerance = std::max(std::fabs(expected), 1e-3) * 5e-10;
  EXPECT_NEAR(actual, expected, tolerance);
}

struct FirstIterate {
  int system;
  double x, y;
  double xImage, yImage;
};

class FirstIterateTest : public ::testing::TestWithParam<FirstIterate> {};

TEST_P(FirstIterateTest, MatchesTheFormulas) {
  const FirstIterate& row = GetParam();
  const MappingModel m = ModelFor(row.system);
  const MapImage image = m.routine(m, row.x, row.y);
  ExpectTenDigits(row.xImage, image.x);
  ExpectTenDigits(row.yImage, image.y);
}

INSTANTIATE_TEST_SUITE_P(
    EverySystemWithItsDefaults, FirstIterateTest,
    ::testing::Values(FirstIterate{1, 0.5, 0.25, 0.75, 0.727147132},
                      FirstIterate{2, 0.5, 0.25, 0.5125, 0.5},
                      FirstIterate{3, 0.5, 0.25, 0.6430096755, 0.1327434818},
                      FirstIterate{4, 0.5, 0.25, 0.0003981633554, 0.4999998415},
                      FirstIterate{5, 0.5, 0.25, 0.5971542861, 0.1061723384},
                      FirstIterate{6, 0.5, 0.25, 1.178012353, 0.291997287},
                      FirstIterate{7, 0.25, 0.5, 0.9166666667, 1.5},
                      FirstIterate{8, 0.25, 0.5, 0.25, 0.25},
                      FirstIterate{9, 0.5, 0.25, 0.9006440492, 0.4006440492},
                      FirstIterate{10, -1.0, 0.5, -0.3540496218, 1.854049622},
                      FirstIterate{10, 0.5, 0.25, 0.0, 0.25},
                      // Where a branch matters. Sine: y + sin(3pi/2) = -0.75, so y' = 0.75 and
                      // x' = (0.75 + 10/0.75) mod 1 = 1/12.
                      FirstIterate{7, 0.75, 0.25, 0.08333333333, 0.75},
                      // Sawtooth: y + x - 1/2 = -0.125, so y' = 0.125 and x' = 80.25 mod 1.
                      FirstIterate{8, 0.25, 0.125, 0.25, 0.125},
                      // Wedge: outside the domain by y alone (0.25 * 2.1^2 > 1), no image: the
                      // point stays; and (2, 0), outside by x alone.
                      FirstIterate{10, 0.0, 2.1, 0.0, 2.1},
                      FirstIterate{10, 2.0, 0.0, 2.0, 0.0}),
    [](const ::testing::TestParamInfo<FirstIterate>& info) {
      return "System" + std::to_string(info.param.system) + "_Row" + std::to_string(info.index);
    });

TEST(MappingCatalogue, NamesAndFormulaLinesAreExact) {
  const char* names[] = {"No mapping",         "Standard Map",     "Henon D-C Map",        "Hyperbolic <C>",
                         "Henon rotation",     "2-Dimerized Chains", "Vortex Flow",        "Fermi Map - Sine",
                         "Fermi Map - Sawtooth", "Doubly Kicked Rotator", "Wedge map"};
  for (int i = 0; i <= 10; ++i) EXPECT_EQ(MappingCatalogue[i].name, names[i]);
  EXPECT_EQ(MappingCatalogue[0].formulaLine1, " - ");
  EXPECT_EQ(MappingCatalogue[0].formulaLine2, " - ");
  EXPECT_EQ(MappingCatalogue[0].routine, nullptr);
  EXPECT_EQ(MappingCatalogue[2].formulaLine2, "y'=k2 x ");
  EXPECT_EQ(MappingCatalogue[3].formulaLine1, "x'=k1 cos(r)x+k1 sin(r)y,  r=(x^2+y^2+k3)^k2");
  EXPECT_EQ(MappingCatalogue[3].formulaLine2, "y'=-l sin(r)x+l cos(r)y,  l=1/k1");
  EXPECT_EQ(MappingCatalogue[7].formulaLine1, MappingCatalogue[8].formulaLine1);
  EXPECT_EQ(MappingCatalogue[9].formulaLine2, "y'=y+k1 sin(x)+k2 sin(k3x+k4) (mod 2pi), k3:int");
  for (int i = 1; i <= 10; ++i) EXPECT_NE(MappingCatalogue[i].routine, nullptr);
}

TEST(MappingCatalogue, DefaultsComeBackFromTheLookup) {
  const SystemDefaults henon = LoadSystemDefaults(2);
  EXPECT_EQ(henon.k1, 0.95);
  EXPECT_EQ(henon.k2, 1.0);
  EXPECT_EQ(henon.k3, -1.0);
  EXPECT_EQ(henon.k4, 0.0);
  EXPECT_EQ(henon.DefaultRange, (WorldRange{-1, 1, -1, 1}));
  const SystemDefaults dimer = LoadSystemDefaults(5);
  EXPECT_EQ(dimer.DefaultRange, (WorldRange{0, 6.283185307179586, -2, 3}));
  EXPECT_EQ(LoadSystemDefaults(9).k3, 1.5);
  EXPECT_EQ(LoadSystemDefaults(10).DefaultRange, (WorldRange{-1.5, 1.5, 0, 2.5}));
}

// The quick path for values near the period must give fmod's bits, signed zeros included.
TEST(ReduceModulo, EqualsTheLibraryReductionBitForBit) {
  const auto reference = [](double v, double period) {
    const double r = std::fmod(v, period);
    return r < 0.0 ? r + period : r;
  };
  const auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
  std::vector<double> values = {0.0, -0.0, kTwoPi, -kTwoPi, 2 * kTwoPi, -2 * kTwoPi, 1.0, -1.0, 2.0, 0.5,
                                std::nextafter(kTwoPi, 0.0), std::nextafter(kTwoPi, 10.0),
                                std::nextafter(2 * kTwoPi, 0.0), std::nextafter(-kTwoPi, 0.0), 1e300, -1e-300,
                                std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> near(-3 * kTwoPi, 3 * kTwoPi);
  for (int i = 0; i < 200000; ++i) values.push_back(near(random));
  for (const double period : {kTwoPi, 1.0}) {
    for (const double v : values) {
      const double expected = reference(v, period);
      const double actual = ReduceModulo(v, period);
      if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(actual)) << v;
      } else {
        ASSERT_EQ(bits(actual), bits(expected)) << v << " mod " << period;
      }
    }
  }
}

TEST(ReduceModulo, KeepsTheSignConventionOfTheFormulas) {
  EXPECT_EQ(ReduceModulo(-0.1, kTwoPi), kTwoPi + std::fmod(-0.1, kTwoPi));
  EXPECT_NEAR(ReduceModulo(-0.1, kTwoPi), kTwoPi - 0.1, 1e-15);
  EXPECT_EQ(ReduceModulo(7.0, kTwoPi), 7.0 - kTwoPi);
  EXPECT_EQ(ReduceModulo(2.5, 1.0), 0.5);
  EXPECT_EQ(ReduceModulo(-0.25, 1.0), 0.75);
  // -0.0 stays -0.0; a tiny negative remainder rounds up to the period itself.
  EXPECT_TRUE(std::signbit(ReduceModulo(-0.0, kTwoPi)));
  EXPECT_EQ(ReduceModulo(-1e-17, kTwoPi), kTwoPi);
}

TEST(MapRoutines, StandardMapReducesBothCoordinatesAndUsesUnreducedSum) {
  const MappingModel m = ModelFor(1);
  const MapImage a = m.routine(m, 0.5, 0.0);
  EXPECT_NEAR(a.x, 0.5, 1e-15);
  EXPECT_NEAR(a.y, 0.335597877023, 5e-13);
  // x + y = 7 is reduced for x'; y' takes the sine of the unreduced sum.
  const MapImage b = m.routine(m, 4.0, 3.0);
  EXPECT_EQ(b.x, 7.0 - kTwoPi);
  EXPECT_EQ(b.y, ReduceModulo(3.0 + 0.7 * std::sin(7.0), kTwoPi));
}

TEST(MapRoutines, HenonFromOriginPoint) {
  const MappingModel m = ModelFor(2);
  const MapImage image = m.routine(m, 0.5, 0.0);
  EXPECT_EQ(image.x, 0.7625);
  EXPECT_EQ(image.y, 0.5);
}

TEST(MapRoutines, NotANumberAndInfinityFlowOn) {
  // Sawtooth with y + x = 0.5: y' = 0, k1 / y' infinite, x' not a number.
  const MappingModel saw = ModelFor(8);
  const MapImage a = saw.routine(saw, 0.25, 0.25);
  EXPECT_EQ(a.y, 0.0);
  EXPECT_TRUE(std::isnan(a.x));
  // Hyperbolic with a negative base and a non-integer power.
  MappingModel hyp = ModelFor(3);
  hyp.k3 = -5.0;
  const MapImage b = hyp.routine(hyp, 0.5, 0.25);
  EXPECT_TRUE(std::isnan(b.x));
  EXPECT_TRUE(std::isnan(b.y));
}

TEST(MapRoutines, WedgeDeliversNothingOutsideItsDomain) {
  // (2, 0) lies outside the wedge's domain: the point stays where it is.
  const MappingModel m = ModelFor(10);
  EXPECT_FALSE(WedgeHasImage(m, 2.0, 0.0));
  const MapImage outside = m.routine(m, 2.0, 0.0);
  EXPECT_EQ(outside.x, 2.0);
  EXPECT_EQ(outside.y, 0.0);
  EXPECT_TRUE(WedgeHasImage(m, 0.5, 0.25));
  EXPECT_TRUE(WedgeHasImage(m, -1.0, 0.5));
}

TEST(MapRoutines, DoublyKickedRotatorUsesRealK3) {
  MappingModel m = ModelFor(9);
  const MapImage real = m.routine(m, 0.5, 0.25);
  const double y1 = 0.25 + 0.3 * std::sin(0.5) + 0.01 * std::sin(1.5 * 0.5 + 0.0);
  EXPECT_EQ(real.y, ReduceModulo(y1, kTwoPi));
  EXPECT_EQ(real.x, ReduceModulo(0.5 + y1, kTwoPi));
  m.k3 = 1.0;
  EXPECT_NE(m.routine(m, 0.5, 0.25).y, real.y);

  // k4 shifts the second kick, and both coordinates are reduced mod 2pi from either side:
  // with k2 = 1 and k4 = pi/2, y1 = y + 1 at x = 0, so (0, 6.2) goes to 7.2 - 2pi twice
  // and (0, -2) to 2pi - 1 twice.
  m.k2 = 1.0;
  m.k4 = 1.5707963267948966;
  const MapImage above = m.routine(m, 0.0, 6.2);
  ExpectTenDigits(0.9168146928, above.x);
  ExpectTenDigits(0.9168146928, above.y);
  const MapImage below = m.routine(m, 0.0, -2.0);
  ExpectTenDigits(5.283185307, below.x);
  ExpectTenDigits(5.283185307, below.y);
}

TEST(MapRoutines, ChangedParameterTakesEffectAtTheNextIterate) {
  for (int system : {4, 10}) {
    MappingModel m = ModelFor(system);
    const double x = system == 4 ? 0.3 : -1.0, y = system == 4 ? 0.2 : 0.5;
    const MapImage a = m.routine(m, x, y);
    m.k1 = system == 4 ? 0.5 : 45.0;
    const MapImage b = m.routine(m, x, y);
    EXPECT_TRUE(a.x != b.x || a.y != b.y) << system;
    // And back: the same result as before, bit for bit.
    m.k1 = LoadSystemDefaults(system).k1;
    const MapImage c = m.routine(m, x, y);
    EXPECT_EQ(a.x, c.x);
    EXPECT_EQ(a.y, c.y);
  }
  // Henon rotation equals the formula evaluated afresh.
  MappingModel rot = ModelFor(4);
  rot.k1 = 0.9;
  const MapImage r = rot.routine(rot, 0.3, 0.2);
  const double c = std::cos(0.9), s = std::sin(0.9);
  EXPECT_EQ(r.x, c * 0.3 - s * 0.2 + s * 0.3 * 0.3);
  EXPECT_EQ(r.y, c * 0.2 + s * 0.3 - c * 0.3 * 0.3);
}

// The point after a million iterations of a chaotic orbit is pinned to a value computed
// independently (a plain double-precision evaluation of the formula, outside this code).
// Any contraction into fused multiply-adds or a reordering makes it drift far away.
TEST(MapRoutines, LongStandardMapOrbitIsBitExact) {
  const MappingModel m = ModelFor(1);
  double x = 0.5, y = 0.25;
  for (int i = 0; i < 1000000; ++i) {
    const MapImage image = m.routine(m, x, y);
    x = image.x;
    y = image.y;
  }
  EXPECT_EQ(x, 0x1.eef8a2811c0c6p-3);  // 0.24168517071257706
  EXPECT_EQ(y, 0x1.8b2a9eee8988cp-2);  // 0.3859047730533198
}

TEST(MappingSelection, CommitWithoutAListChangeKeepsRoutineAndChangedRange) {
  MappingModel m;
  InitialiseMappingModel(m);
  m.DefaultRange = WorldRange{2, 3, 2, 3};  // as after "Set current as default"
  std::string label = "old";
  CommitSelection(m, label, 1, 0.9, 0, 0, 0, std::nullopt);
  EXPECT_EQ(m.system, 1);
  EXPECT_EQ(m.k1, 0.9);
  EXPECT_EQ(m.routine, &*LoadSystemDefaults(1).routine);
  EXPECT_EQ(m.DefaultRange, (WorldRange{2, 3, 2, 3}));
  EXPECT_EQ(label, "Standard Map");
}

TEST(MappingSelection, CommitWithAPendingPickTakesItsRoutineAndRange) {
  MappingModel m;
  InitialiseMappingModel(m);
  const SystemDefaults d = LoadSystemDefaults(2);
  std::string label;
  CommitSelection(m, label, 2, 0.5, 1, -1, 0, PendingSelection{d.routine, d.DefaultRange});
  EXPECT_EQ(m.system, 2);
  EXPECT_EQ(m.k1, 0.5);  // as the user left the field, not the default
  EXPECT_EQ(m.routine, d.routine);
  EXPECT_EQ(m.DefaultRange, (WorldRange{-1, 1, -1, 1}));
  EXPECT_EQ(label, "Henon D-C Map");
}

TEST(MappingSelection, LookupAloneChangesNothing) {
  // Picking in the list only looks defaults up; a cancelled dialog never commits.
  MappingModel m;
  InitialiseMappingModel(m);
  const MappingModel before = m;
  (void)LoadSystemDefaults(7);
  EXPECT_EQ(m.system, before.system);
  EXPECT_EQ(m.routine, before.routine);
  EXPECT_EQ(m.k1, before.k1);
  EXPECT_EQ(m.DefaultRange, before.DefaultRange);
}

TEST(MappingModel, StartsAsStandardMap) {
  MappingModel m;
  InitialiseMappingModel(m);
  EXPECT_EQ(m.system, 1);
  EXPECT_EQ(m.k1, 0.7);
  EXPECT_EQ(m.k2, 0.0);
  EXPECT_EQ(m.k3, 0.0);
  EXPECT_EQ(m.k4, 0.0);
  EXPECT_EQ(m.routine, MappingCatalogue[1].routine);
  EXPECT_EQ(m.DefaultRange, (WorldRange{0, kTwoPi, 0, kTwoPi}));
}

}  // namespace
}  // namespace orbitra
