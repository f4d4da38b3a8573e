// SPDX-License-Identifier: GPL-3.0-or-later
// Chaos indicators over the phase plane against the mathematics: the integrable Standard
// Map (k1 = 0: a shear, tangent vectors grow linearly), an elliptic fixed point (bounded
// tangent vectors), the chaotic layer round a saddle; the same bits on any number of
// threads and tile by tile.
#include <cmath>
#include <cstring>
#include <numbers>

#include <gtest/gtest.h>

#include "analysis/chaos_indicators.h"
#include "analysis/rotation_number.h"
#include "support/map_model.h"

namespace orbitra {
namespace {

constexpr double kPi = std::numbers::pi;

PhaseSpaceSettings Settings(PhaseColouring c, std::int32_t iterations) {
  PhaseSpaceSettings s;
  s.colouring = c;
  s.iterations = iterations;
  s.wrap = {2 * kPi, 2 * kPi};
  return s;
}

TEST(ChaosIndicators, IntegrableStandardMapGrowsLinearly) {
  const MappingModel integrable = testing::MapModel(1, 0.0);
  const int n = 10'000;
  for (const WorldPoint from : {WorldPoint{1.0, 2.0}, WorldPoint{4.0, 0.3}}) {
    // w_k = (0.6 + 0.8 k, 0.8): |w_k| ~ 0.8 k, so <Y> -> 2 and FLI = log10(0.8 N).
    const double megno = PhaseSpaceValueAt(integrable, Settings(PhaseColouring::Megno, n), from);
    EXPECT_NEAR(megno, 2.0, 0.05);
    const double fli = PhaseSpaceValueAt(integrable, Settings(PhaseColouring::Fli, n), from);
    const double largest = std::hypot(0.6 + 0.8 * n, 0.8);
    EXPECT_NEAR(fli, std::log10(largest), 1e-9);
    const double lambda = PhaseSpaceValueAt(integrable, Settings(PhaseColouring::Lyapunov, n), from);
    EXPECT_NEAR(lambda, std::log(largest) / n, 1e-12);
    const double rotation = PhaseSpaceValueAt(integrable, Settings(PhaseColouring::Rotation, n), from);
    EXPECT_NEAR(rotation, from.y / (2 * kPi), 1e-12);
  }
}

TEST(ChaosIndicators, MegnoTellsPeriodicQuasiPeriodicAndChaoticOrbitsApart) {
  const MappingModel standard = testing::MapModel(1, 0.7);
  const PhaseSpaceSettings s = Settings(PhaseColouring::Megno, 10'000);
  EXPECT_NEAR(PhaseSpaceValueAt(standard, s, {kPi, 0.0}), 0.0, 0.05);        // elliptic fixed point
  // Inside its island: the twist, and so the linear growth, vanishes towards the centre,
  // so that <Y> climbs from 0 to 2 the later the closer the orbit starts.
  for (const double offset : {0.8, 1.0}) {
    EXPECT_NEAR(PhaseSpaceValueAt(standard, s, {kPi + offset, 0.0}), 2.0, 0.07) << offset;
  }
  PhaseSpaceSettings longer = s;
  longer.iterations = 100'000;
  const double near = PhaseSpaceValueAt(standard, s, {kPi + 0.2, 0.0});
  const double later = PhaseSpaceValueAt(standard, longer, {kPi + 0.2, 0.0});
  EXPECT_LT(near, later);
  EXPECT_NEAR(later, 2.0, 0.1);
  EXPECT_GT(PhaseSpaceValueAt(standard, s, {1e-3, 1e-3}), 20.0);            // layer round the saddle
  // The same orbits by FLI: regular ones stay near log10 N, the chaotic one far above.
  const PhaseSpaceSettings f = Settings(PhaseColouring::Fli, 10'000);
  EXPECT_LT(PhaseSpaceValueAt(standard, f, {kPi, 0.0}), 1.0);
  EXPECT_LT(PhaseSpaceValueAt(standard, f, {kPi + 0.5, 0.0}), 5.5);
  EXPECT_GT(PhaseSpaceValueAt(standard, f, {1e-3, 1e-3}), 20.0);
}

TEST(ChaosIndicators, RotationAboutACentreAgreesWithTheOrbitsOwn) {
  const MappingModel rotation = testing::MapModel(4, 1.3);
  PhaseSpaceSettings s;
  s.colouring = PhaseColouring::Rotation;
  s.iterations = 5000;
  s.centre = {0.0, 0.0};
  for (const WorldPoint from : {WorldPoint{1e-3, 0.0}, WorldPoint{0.1, -0.05}, WorldPoint{0.2, 0.2}}) {
    const RotationNumber expected = OrbitRotationNumber(PlaneMapOf(rotation), from, 0, 5000, WorldPoint{0.0, 0.0});
    EXPECT_NEAR(PhaseSpaceValueAt(rotation, s, from), expected.value, 1e-12);
  }
  EXPECT_NEAR(std::fabs(PhaseSpaceValueAt(rotation, s, {1e-4, 0.0})), 1.3 / (2 * kPi), 1e-5);
  // An escape has no value.
  EXPECT_TRUE(std::isnan(PhaseSpaceValueAt(rotation, s, {5.0, 5.0})));
}

TEST(ChaosIndicators, SameBitsOnAnyThreadsAndTiles) {
  const MappingModel standard = testing::MapModel(1, 0.97);
  for (const PhaseColouring c : {PhaseColouring::Megno, PhaseColouring::Fli, PhaseColouring::Rotation}) {
    PhaseSpaceSettings s = Settings(c, 300);
    s.range = {0, 2 * kPi, 0, 2 * kPi};
    s.width = 37;  // not a multiple of the lanes
    s.height = 23;
    std::vector<double> reference;
    for (const int threads : {1, 2, 7}) {
      WorkerPool pool(threads);
      PhaseSpaceSweep sweep(standard, s, RowBand{0, s.height});
      sweep.Run(pool);
      ASSERT_TRUE(sweep.Complete());
      if (reference.empty()) reference = sweep.Values().value;
      ASSERT_EQ(std::memcmp(sweep.Values().value.data(), reference.data(), reference.size() * sizeof(double)), 0)
          << threads;
    }
    WorkerPool pool(2);
    for (std::int32_t t = 0; t < 3; ++t) {
      const RowBand band = TileRows(s.height, t, 3);
      PhaseSpaceSweep tile(standard, s, band);
      tile.Run(pool);
      const std::size_t offset = static_cast<std::size_t>(band.first) * static_cast<std::size_t>(s.width);
      EXPECT_EQ(std::memcmp(tile.Values().value.data(), reference.data() + offset,
                            tile.Values().value.size() * sizeof(double)),
                0)
          << t;
    }
    // A pixel is the value of its cell's centre.
    const double x = CellCentre(s.range.Xmin, s.range.Xmax, s.width, 5);
    const double y = CellCentre(s.range.Ymin, s.range.Ymax, s.height, 7);
    const double single = PhaseSpaceValueAt(standard, s, {x, y});
    EXPECT_EQ(std::memcmp(&single, &reference[7 * 37 + 5], sizeof(double)), 0);
  }
}

}  // namespace
}  // namespace orbitra
