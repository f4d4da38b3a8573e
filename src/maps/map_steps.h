#pragma once

#include <cmath>

#include "maps/mapping_model.h"

namespace orbitra {

inline constexpr double kTwoPi = 6.283185307179586;

// v reduced into [0, period]: fmod with the sign of v, then shifted up when negative.
inline double ReduceModulo(double v, double period) noexcept {
  // The maps' values nearly always lie within (-period, 2 period), where fmod's exact
  // result is v itself or v - period (exact too: v and period are within a factor of two
  // of each other); the library call is kept for the rest.
  // Branches, not selects: they are predicted well enough, and keep the comparisons off
  // the orbit's chain of dependent operations (measured faster on every map that reduces).
  const double r = v > -period && v < 2.0 * period ? v - (v >= period ? period : 0.0) : std::fmod(v, period);
  return r < 0.0 ? r + period : r;
}

// One step of each built-in map, as a small value that holds the parameters it reads.
// The run loop is instantiated once per step type, so the formula is inlined into it and
// the parameters sit in registers; the routines of map_routines.h evaluate the same
// formulas through these types, so both give the same bits. Each computes its
// quantities in the order of its formula.

struct StandardMapStep {
  double k1;
  explicit StandardMapStep(const MappingModel& m) noexcept : k1(m.k1) {}
  MapImage operator()(double x, double y) const noexcept {
    const double x1 = x + y;
    const double y1 = y + k1 * std::sin(x1);
    return {ReduceModulo(x1, kTwoPi), ReduceModulo(y1, kTwoPi)};
  }
};

struct HenonDcMapStep {
  double k1, k2, k3;
  explicit HenonDcMapStep(const MappingModel& m) noexcept : k1(m.k1), k2(m.k2), k3(m.k3) {}
  MapImage operator()(double x, double y) const noexcept { return {1.0 - k1 * x * x + k3 * y, k2 * x}; }
};

struct HyperbolicCStep {
  double k1, k2, k3;
  explicit HyperbolicCStep(const MappingModel& m) noexcept : k1(m.k1), k2(m.k2), k3(m.k3) {}
  MapImage operator()(double x, double y) const noexcept {
    const double r = std::pow(x * x + y * y + k3, k2);
    const double c = std::cos(r);
    const double s = std::sin(r);
    return {k1 * (c * x + s * y), (c * y - s * x) * (1.0 / k1)};
  }
};

// c = cos k1 and s = sin k1, computed once per run (or taken from the model's cache).
struct HenonRotationStep {
  double c, s;
  HenonRotationStep(double cosK1, double sinK1) noexcept : c(cosK1), s(sinK1) {}
  explicit HenonRotationStep(const MappingModel& m) noexcept : c(std::cos(m.k1)), s(std::sin(m.k1)) {}
  MapImage operator()(double x, double y) const noexcept {
    return {c * x - s * y + s * x * x, c * y + s * x - c * x * x};
  }
};

struct DimerizedChainsStep {
  double k1, k2;
  explicit DimerizedChainsStep(const MappingModel& m) noexcept : k1(m.k1), k2(m.k2) {}
  MapImage operator()(double x, double y) const noexcept {
    const double y1 = y - k1 * std::sin(x);
    return {ReduceModulo(x + y1 - k2 * y1 * y1, kTwoPi), y1};
  }
};

struct VortexFlowStep {
  double k1, k2;
  explicit VortexFlowStep(const MappingModel& m) noexcept : k1(m.k1), k2(m.k2) {}
  MapImage operator()(double x, double y) const noexcept {
    const double y1 = y / (1.0 - k1 * std::sin(x));
    return {ReduceModulo(x + k2 - y1 * y1 + k1 * std::cos(x), kTwoPi), y1};
  }
};

struct FermiSineStep {
  double k1;
  explicit FermiSineStep(const MappingModel& m) noexcept : k1(m.k1) {}
  MapImage operator()(double x, double y) const noexcept {
    const double y1 = std::fabs(y + std::sin(kTwoPi * x));
    return {ReduceModulo(x + k1 / y1, 1.0), y1};
  }
};

struct FermiSawtoothStep {
  double k1;
  explicit FermiSawtoothStep(const MappingModel& m) noexcept : k1(m.k1) {}
  MapImage operator()(double x, double y) const noexcept {
    const double y1 = std::fabs(y + x - 0.5);
    return {ReduceModulo(x + k1 / y1, 1.0), y1};
  }
};

struct DoublyKickedRotatorStep {
  double k1, k2, k3, k4;
  explicit DoublyKickedRotatorStep(const MappingModel& m) noexcept : k1(m.k1), k2(m.k2), k3(m.k3), k4(m.k4) {}
  MapImage operator()(double x, double y) const noexcept {
    const double y1 = y + k1 * std::sin(x) + k2 * std::sin(k3 * x + k4);
    return {ReduceModulo(x + y1, kTwoPi), ReduceModulo(y1, kTwoPi)};
  }
};

// The wedge of angle k1 (degrees): s2 = sin^2, c2 = 1 - s2 and the factor g, computed once
// per run (or taken from the model's cache). Outside its domain the point has no image;
// the step then delivers the point itself, as the run loop treats a point without one.
struct WedgeMapStep {
  double s2, c2, g;
  WedgeMapStep(double sinSquared, double cosSquared, double factor) noexcept
      : s2(sinSquared), c2(cosSquared), g(factor) {}
  explicit WedgeMapStep(const MappingModel& m) noexcept;

  // The image, or false where there is none (`image` is then left alone).
  bool Image(double x, double y, MapImage& image) const noexcept {
    if (c2 * x * x + s2 * y * y > 1.0) return false;
    const double u = x - 2.0 * y;
    if (c2 * u * u + s2 * y * y <= 1.0) {
      image = {u, y};
      return true;
    }
    const double d = 2.0 * g * ((y - x) * (y - x)) + 2.0 - y * y;
    if (d < 0.0) return false;
    const double y1 = std::sqrt(d);
    image = {(y - x) - y1, y1};
    return true;
  }
  MapImage operator()(double x, double y) const noexcept {
    MapImage image{x, y};
    Image(x, y, image);
    return image;
  }
};

// The wedge's constants of an angle k1 in degrees.
WedgeMapStep WedgeStepOfAngle(double k1) noexcept;

inline WedgeMapStep::WedgeMapStep(const MappingModel& m) noexcept : WedgeMapStep(WedgeStepOfAngle(m.k1)) {}

}  // namespace orbitra
