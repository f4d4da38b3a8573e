// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/critical_circle.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/periodic_orbits.h"
#include "analysis/plane_map.h"
#include "analysis/residue.h"

namespace orbitra {

namespace {

constexpr int kBisections = 48;

void SetParameter(MappingModel& m, int which, double v) noexcept {
  (which == 0 ? m.k1 : which == 1 ? m.k2 : which == 2 ? m.k3 : m.k4) = v;
}

// The elliptic orbit of type p/q near `guess` at parameter k, and its residue; nothing
// when Newton does not converge to an elliptic orbit of that type.
struct Followed {
  std::vector<WorldPoint> points;
  double residue = NAN;
};

std::optional<Followed> Converge(MappingModel model, int which, double k, int p, int q,
                                 const std::vector<WorldPoint>& guess, double reach = 0.0) {
  SetParameter(model, which, k);
  const PlaneMap map = PlaneMapOf(model);
  const double period = map.Wrap().x;
  std::vector<WorldPoint> z = ConvergePeriodicOrbit(map, guess, 1e-7 * std::max(1.0, period), std::max(0.25 * period / q, reach * period));
  if (z.empty() || !HasRotationType(map, z, p, q)) return std::nullopt;
  const double residue = Residue(CycleStability(map, z));
  if (!(residue > 0.0 && residue < 1.0)) return std::nullopt;
  return Followed{std::move(z), residue};
}

// y on the closed curve through `points` (a graph over x, period L), linear between
// neighbours in x.
double HeightOn(const std::vector<WorldPoint>& sorted, double x, double period) {
  const auto above = std::lower_bound(sorted.begin(), sorted.end(), x, [](WorldPoint a, double v) { return a.x < v; });
  const WorldPoint b = above == sorted.end() ? WorldPoint{sorted.front().x + period, sorted.front().y} : *above;
  const WorldPoint a = above == sorted.begin() ? WorldPoint{sorted.back().x - period, sorted.back().y} : *(above - 1);
  return b.x == a.x ? a.y : a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x);
}

// The circle parametrised by the angle of its rotation: a point at angle a (in turns) goes
// to the one at a + omega. Near the break the points of an orbit crowd in places, so a
// guess spread evenly in x is far off; spread evenly in angle it lies on the next orbit.
struct AngleSample {
  double angle;  // in [0, 1)
  double x;      // lifted: about angle * L plus the circle's displacement there
  double y;
};

// The orbit's points as samples: on a circle of rotation p/q they lie at angles r/q + c in
// the order of x (r the rank), c chosen so that the mean displacement x - angle L is 0, as
// it is for every orbit on the same circle.
void AddAngleSamples(std::vector<AngleSample>& samples, const std::vector<WorldPoint>& orbit, double period) {
  std::vector<WorldPoint> sorted = orbit;
  for (WorldPoint& z : sorted) z.x -= period * std::floor(z.x / period);
  std::sort(sorted.begin(), sorted.end(), [](WorldPoint a, WorldPoint b) { return a.x < b.x; });
  const double q = static_cast<double>(sorted.size());
  double shift = 0.0;
  for (std::size_t r = 0; r < sorted.size(); ++r) shift += sorted[r].x - static_cast<double>(r) * period / q;
  shift /= q * period;
  for (std::size_t r = 0; r < sorted.size(); ++r) {
    const double raw = static_cast<double>(r) / q + shift;
    const double turns = std::floor(raw);
    samples.push_back({raw - turns, sorted[r].x - turns * period, sorted[r].y});
  }
  std::sort(samples.begin(), samples.end(), [](const AngleSample& a, const AngleSample& b) { return a.angle < b.angle; });
}

// The samples on either side of angle a (in [0, 1)), the ends continued round the circle.
std::pair<AngleSample, AngleSample> Around(const std::vector<AngleSample>& s, double a, double period) {
  const auto above = std::lower_bound(s.begin(), s.end(), a, [](const AngleSample& t, double v) { return t.angle < v; });
  const AngleSample b = above == s.end() ? AngleSample{s.front().angle + 1.0, s.front().x + period, s.front().y} : *above;
  const AngleSample lo = above == s.begin() ? AngleSample{s.back().angle - 1.0, s.back().x - period, s.back().y} : *(above - 1);
  return {lo, b};
}

WorldPoint PointAtAngle(const std::vector<AngleSample>& s, double a, double period) {
  a -= std::floor(a);
  const auto [lo, hi] = Around(s, a, period);
  const double t = hi.angle == lo.angle ? 0.0 : (a - lo.angle) / (hi.angle - lo.angle);
  return {lo.x + t * (hi.x - lo.x), lo.y + t * (hi.y - lo.y)};
}

// The angle at which the circle passes x (taken modulo L).
double AngleAtX(const std::vector<AngleSample>& s, double x, double period) {
  const double first = s.front().x;
  const double target = first + (x - first) - period * std::floor((x - first) / period);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const AngleSample lo = s[i];
    const AngleSample hi = i + 1 < s.size() ? s[i + 1] : AngleSample{s.front().angle + 1.0, s.front().x + period, s.front().y};
    if (lo.x <= target && target < hi.x) return lo.angle + (target - lo.x) / (hi.x - lo.x) * (hi.angle - lo.angle);
  }
  return 0.0;
}

}  // namespace

std::vector<std::pair<int, int>> Convergents(double omega, int largest) {
  std::vector<std::pair<int, int>> out;
  long long h0 = 0, h1 = 1, k0 = 1, k1 = 0;  // h_(-2), h_(-1), k_(-2), k_(-1)
  double rest = omega;
  for (int guard = 0; guard < 64; ++guard) {
    const double a = std::floor(rest);
    const long long ai = static_cast<long long>(a);
    const long long h = ai * h1 + h0, k = ai * k1 + k0;
    if (k > largest) break;
    if (k >= 1 && h >= 1) out.emplace_back(static_cast<int>(h), static_cast<int>(k));
    h0 = h1, h1 = h, k0 = k1, k1 = k;
    const double fraction = rest - a;
    if (fraction < 1e-12) break;
    rest = 1.0 / fraction;
  }
  return out;
}

CriticalCircle FindCriticalCircle(const MappingModel& model, const CriticalCircleSettings& s,
                                  const std::stop_token& stop) {
  CriticalCircle result;
  const PlaneMap probe = PlaneMapOf(model);
  const double period = probe.Wrap().x;
  if (!(period > 0.0)) {
    result.failure = "the map's x does not wrap: no circle of a rotation number to follow";
    return result;
  }
  std::vector<WorldPoint> circle;    // the last two orbits' points, sorted by x: the circle they trace
  std::vector<WorldPoint> previous;  // the last orbit
  std::vector<AngleSample> byAngle;  // the last two orbits' points by the angle of the rotation
  double k = s.firstParameter;
  int n = 0;
  for (const auto& [p, q] : Convergents(s.omega, s.largestPeriod)) {
    if (stop.stop_requested()) {
      result.failure = "asked to stop";
      return result;
    }
    ++n;
    // First guesses: on the circle the earlier orbits traced (at the twist map's height
    // for the first), at phases on the symmetry lines x = L / 2 and x = 0, then at eighths
    // of a spacing between them.
    std::vector<double> phases = {0.5 * period, 0.0};
    for (int j = 1; j < 8; ++j) phases.push_back(0.5 * period + j * period / (8.0 * q));
    // Once earlier orbits trace the circle, guesses are spread evenly in its angle from
    // where it crosses the same lines.
    std::vector<double> angles;
    if (!byAngle.empty()) {
      angles = {AngleAtX(byAngle, 0.5 * period, period), AngleAtX(byAngle, 0.0, period)};
      for (int j = 1; j < 8; ++j) angles.push_back(angles[0] + j / (8.0 * q));
    }
    // Newton's steps are cut to a quarter of the spacing first (the orbit nearest the
    // guess), then to a twelfth of the period (a guess far off, for many points).
    // Last, flat guesses at 16 heights.
    std::optional<Followed> start;
    for (int height = -2; height < 16 && !start && !stop.stop_requested(); ++height) {
      const double reach = height == -2 ? 0.0 : 1.0 / 12.0;
      for (std::size_t f = 0; f < phases.size(); ++f) {
        std::vector<WorldPoint> guess = TwistGuess(probe, p, q, phases[f], period * p / q);
        if (height >= 0) {
          for (WorldPoint& g : guess) g.y = (height + 0.5) * period / 16;
        } else if (!angles.empty()) {
          for (int i = 0; i < q; ++i) {
            const double turn = std::fmod(static_cast<double>(i) * p, q) / q;
            guess[static_cast<std::size_t>(i)] = probe.Reduced(PointAtAngle(byAngle, angles[f] + turn, period));
          }
        } else if (!circle.empty()) {
          for (WorldPoint& g : guess) g.y = HeightOn(circle, g.x, period);
        }
        start = Converge(model, s.parameter, k, p, q, guess, reach);
        // Kept only near the circle once orbits of 8 points or more trace it: other
        // elliptic orbits of the same type lie elsewhere.
        if (start && previous.size() >= 8) {
          double farthest = 0.0;
          for (const WorldPoint z : start->points) {
            farthest = std::max(farthest, std::fabs(probe.Difference({0.0, z.y}, {0.0, HeightOn(circle, z.x, period)}).y));
          }
          if (farthest > std::max(0.05, period / static_cast<double>(previous.size()))) start.reset();
        }
        if (start) break;
      }
    }
    if (stop.stop_requested()) {
      result.failure = "asked to stop";
      return result;
    }
    if (!start) {
      result.failure = "no elliptic orbit of type " + std::to_string(p) + "/" + std::to_string(q) + " was found";
      return result;
    }
    // A bracket [lo, hi] with the residue below 1/4 at lo and above it at hi, by steps
    // that follow the orbit.
    double lo = k, hi = k;
    Followed atLo = *start, atHi = *start;
    double step = 0.02 * std::max(std::fabs(k), 0.05) / q;
    const bool below = start->residue < 0.25;
    for (int tries = 0; tries < 60 && !stop.stop_requested() && (below ? atHi.residue < 0.25 : atLo.residue > 0.25);) {
      Followed& from = below ? atHi : atLo;
      const double next = (below ? hi : lo) + (below ? step : -step);
      if (std::optional<Followed> f = Converge(model, s.parameter, next, p, q, from.points)) {
        from = std::move(*f);
        (below ? hi : lo) = next;
        step *= 1.5;
      } else {
        step *= 0.25;
        ++tries;
      }
    }
    if (stop.stop_requested()) {
      result.failure = "asked to stop";
      return result;
    }
    if (!(atLo.residue <= 0.25 && atHi.residue >= 0.25)) {
      result.failure = "the residue of " + std::to_string(p) + "/" + std::to_string(q) + " could not be brought to 1/4";
      return result;
    }
    for (int b = 0; b < kBisections && !stop.stop_requested() && hi - lo > 1e-15 * std::fabs(hi); ++b) {
      const double mid = 0.5 * (lo + hi);
      const Followed& near = mid - lo < hi - mid ? atLo : atHi;
      std::optional<Followed> f = Converge(model, s.parameter, mid, p, q, near.points);
      if (!f) break;
      if (f->residue < 0.25) {
        lo = mid, atLo = std::move(*f);
      } else {
        hi = mid, atHi = std::move(*f);
      }
    }
    if (stop.stop_requested()) {
      result.failure = "asked to stop";
      return result;
    }
    k = 0.5 * (lo + hi);
    result.rows.push_back({n, p, q, k});
    // The circle: the points of this orbit and the one before, both close to it.
    circle = atLo.points;
    circle.insert(circle.end(), previous.begin(), previous.end());
    byAngle.clear();
    AddAngleSamples(byAngle, atLo.points, period);
    if (!previous.empty()) AddAngleSamples(byAngle, previous, period);
    previous = atLo.points;
    std::sort(circle.begin(), circle.end(), [](WorldPoint a, WorldPoint b) { return a.x < b.x; });
  }
  return result;
}

std::string FormatCriticalCircle(const CriticalCircle& c) {
  std::string text;
  char line[128];
  for (const CriticalCircleRow& r : c.rows) {
    std::snprintf(line, sizeof line, "%d %d/%d %.12f\n", r.n, r.p, r.q, r.parameter);
    text += line;
  }
  const std::size_t m = c.rows.size();
  if (m >= 3) {
    std::snprintf(line, sizeof line, "estimate %.12f, differences %.3g %.3g\n", c.rows[m - 1].parameter,
                  c.rows[m - 1].parameter - c.rows[m - 2].parameter, c.rows[m - 2].parameter - c.rows[m - 3].parameter);
    text += line;
  }
  if (!c.failure.empty()) text += "stopped: " + c.failure + "\n";
  return text;
}

}  // namespace orbitra
