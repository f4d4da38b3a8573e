// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/plane_map.h"
#include "maps/world_geometry.h"

namespace orbitra {

// The rotation number of an orbit: how far it turns per iteration, in whole turns.
//
// Lifted: for a map whose x wraps with period L (the maps with "mod 2pi" or "mod 1" in x,
// typed maps whose x' is a mod), the mean advance of the lifted x per iteration over L,
// each advance x_(n+1) - x_n taken in [0, L). The Standard Map's x advances by its y in
// [0, 2pi) at every step, so at k1 = 0 this is y0 / 2pi.
//
// Winding: about a centre c, the mean turn per iteration of the vector z_n - c (each turn
// between -pi and pi, the vector taken the short way round where the map wraps), over
// 2pi. Positive counter-clockwise. Near an elliptic fixed point it tends to the linear
// rotation angle / 2pi: theta with cos theta = trace / 2.
enum class RotationKind : std::uint8_t { Lifted, Winding };

struct RotationNumber {
  RotationKind kind = RotationKind::Lifted;
  double value = NAN;             // not a number when it cannot be known
  std::int64_t iterations = 0;    // the iterations it rests on
  WorldPoint centre;              // Winding: the centre
};

// Accumulates either kind one iterate at a time: nothing allocates, nothing but the
// arithmetic of one step (an atan2 for winding).
class RotationAccumulator {
 public:
  static RotationAccumulator Lifted(double period) noexcept { return RotationAccumulator(RotationKind::Lifted, period, {}, {}); }
  static RotationAccumulator Winding(WorldPoint centre, CoordinateWrap wrap) noexcept {
    return RotationAccumulator(RotationKind::Winding, 0.0, centre, wrap);
  }

  // The step from `from` to its image `to`.
  void Add(WorldPoint from, WorldPoint to) noexcept {
    if (kind_ == RotationKind::Lifted) {
      double d = std::fmod(to.x - from.x, period_);
      if (d < 0.0) d += period_;
      sum_ += d;
    } else {
      const WorldPoint a = Relative(from), b = Relative(to);
      sum_ += std::atan2(a.x * b.y - a.y * b.x, a.x * b.x + a.y * b.y);
    }
    ++steps_;
  }

  RotationNumber Result() const noexcept {
    RotationNumber r;
    r.kind = kind_;
    r.iterations = steps_;
    r.centre = centre_;
    if (steps_ > 0) {
      const double turn = kind_ == RotationKind::Lifted ? period_ : 2.0 * 3.141592653589793;
      r.value = sum_ / (static_cast<double>(steps_) * turn);
    }
    return r;
  }

 private:
  RotationAccumulator(RotationKind kind, double period, WorldPoint centre, CoordinateWrap wrap) noexcept
      : kind_(kind), period_(period), centre_(centre), wrap_(wrap) {}
  static double ShortWay(double d, double period) noexcept {
    return period > 0.0 ? d - period * std::round(d / period) : d;
  }
  WorldPoint Relative(WorldPoint z) const noexcept {
    return {ShortWay(z.x - centre_.x, wrap_.x), ShortWay(z.y - centre_.y, wrap_.y)};
  }

  RotationKind kind_;
  double period_;
  WorldPoint centre_;
  CoordinateWrap wrap_;
  double sum_ = 0.0;
  std::int64_t steps_ = 0;
};

// The rotation number of the orbit of `from` over `iterations` iterations after
// `transient`, lifted when the map's x wraps, otherwise winding about `centre` (nothing
// for a map whose x does not wrap and no centre). Not a number once the orbit leaves the
// finite numbers.
RotationNumber OrbitRotationNumber(const PlaneMap& map, WorldPoint from, std::int64_t transient,
                                   std::int64_t iterations, std::optional<WorldPoint> centre = std::nullopt);

// The same over the consecutive points of a stored orbit, oldest first.
RotationNumber RotationNumberOf(const WorldPoint* points, std::size_t count, CoordinateWrap wrap,
                                std::optional<WorldPoint> centre = std::nullopt);

// A rotation profile: `count` initial points evenly along the segment from a to b (both
// ends included; one point: a), each run for the transient and then the counted
// iterations. s is the distance along the segment.
struct ProfilePoint {
  double s = 0.0;
  WorldPoint at;
  double rotation = NAN;
};
// Point `index` of a profile of `count` points over the part [from, to] of the segment
// from a to b (0 and 1 its ends): t = from + (to - from) index / (count - 1), the point
// a + t (b - a), s = t |b - a|. RotationProfile's points are those over [0, 1].
ProfilePoint RotationProfilePoint(const PlaneMap& map, WorldPoint a, WorldPoint b, double from, double to, int count,
                                  int index, std::int64_t transient, std::int64_t iterations,
                                  std::optional<WorldPoint> centre = std::nullopt);
std::vector<ProfilePoint> RotationProfile(const PlaneMap& map, WorldPoint a, WorldPoint b, int count,
                                          std::int64_t transient, std::int64_t iterations,
                                          std::optional<WorldPoint> centre = std::nullopt);
// "s x y rotation" a line, 12 significant digits ("nan" where there is none).
std::string FormatRotationProfile(const std::vector<ProfilePoint>& profile);

// An elliptic fixed point near `guess`, by Newton's method: the natural centre of winding
// for an orbit that circles one. Nothing when Newton finds no fixed point there or the
// one found is not elliptic.
std::optional<WorldPoint> EllipticFixedPointNear(const PlaneMap& map, WorldPoint guess, double largestStep);

}  // namespace orbitra
