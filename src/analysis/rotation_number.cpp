// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/rotation_number.h"

#include "analysis/periodic_orbits.h"

#include <cstdio>

namespace orbitra {

namespace {

RotationAccumulator AccumulatorFor(CoordinateWrap wrap, const std::optional<WorldPoint>& centre) {
  if (centre) return RotationAccumulator::Winding(*centre, wrap);
  return RotationAccumulator::Lifted(wrap.x);
}

bool Finite(WorldPoint p) noexcept { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

RotationNumber OrbitRotationNumber(const PlaneMap& map, WorldPoint from, std::int64_t transient,
                                   std::int64_t iterations, std::optional<WorldPoint> centre) {
  if (!centre && !(map.Wrap().x > 0.0)) return {RotationKind::Winding, NAN, 0, {}};
  RotationAccumulator rotation = AccumulatorFor(map.Wrap(), centre);
  WorldPoint z = from;
  for (std::int64_t n = 0; n < transient && Finite(z); ++n) {
    const MapImage m = map(z.x, z.y);
    z = {m.x, m.y};
  }
  for (std::int64_t n = 0; n < iterations; ++n) {
    const MapImage m = map(z.x, z.y);
    const WorldPoint next{m.x, m.y};
    if (!Finite(next)) {
      RotationNumber r = rotation.Result();
      r.value = NAN;
      return r;
    }
    rotation.Add(z, next);
    z = next;
  }
  return rotation.Result();
}

RotationNumber RotationNumberOf(const WorldPoint* points, std::size_t count, CoordinateWrap wrap,
                                std::optional<WorldPoint> centre) {
  if (!centre && !(wrap.x > 0.0)) return {RotationKind::Winding, NAN, 0, {}};
  RotationAccumulator rotation = AccumulatorFor(wrap, centre);
  for (std::size_t i = 1; i < count; ++i) rotation.Add(points[i - 1], points[i]);
  return rotation.Result();
}

ProfilePoint RotationProfilePoint(const PlaneMap& map, WorldPoint a, WorldPoint b, double from, double to, int count,
                                  int index, std::int64_t transient, std::int64_t iterations,
                                  std::optional<WorldPoint> centre) {
  const double length = std::hypot(b.x - a.x, b.y - a.y);
  const double t = from + (to - from) * (count > 1 ? static_cast<double>(index) / (count - 1) : 0.0);
  const WorldPoint z{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
  return {t * length, z, OrbitRotationNumber(map, z, transient, iterations, centre).value};
}

std::vector<ProfilePoint> RotationProfile(const PlaneMap& map, WorldPoint a, WorldPoint b, int count,
                                          std::int64_t transient, std::int64_t iterations,
                                          std::optional<WorldPoint> centre) {
  std::vector<ProfilePoint> profile;
  for (int i = 0; i < count; ++i) {
    profile.push_back(RotationProfilePoint(map, a, b, 0.0, 1.0, count, i, transient, iterations, centre));
  }
  return profile;
}

std::string FormatRotationProfile(const std::vector<ProfilePoint>& profile) {
  std::string text;
  char line[128];
  for (const ProfilePoint& p : profile) {
    std::snprintf(line, sizeof line, "%.12g %.12g %.12g %.12g\n", p.s, p.at.x, p.at.y, p.rotation);
    text += line;
  }
  return text;
}

std::optional<WorldPoint> EllipticFixedPointNear(const PlaneMap& map, WorldPoint guess, double largestStep) {
  const double size = std::max({1.0, std::fabs(guess.x), std::fabs(guess.y)});
  const std::vector<WorldPoint> z = ConvergePeriodicOrbit(map, {guess}, 1e-7 * size, largestStep);
  if (z.empty()) return std::nullopt;
  const OrbitStability s = CycleStability(map, z);
  if (s.kind != OrbitClass::Elliptic) return std::nullopt;
  return z.front();
}

}  // namespace orbitra
