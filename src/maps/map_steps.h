// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>

#include "maps/map_jacobian.h"
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
//
// Jacobian(x, y) gives the partial derivatives of the same formula at (x, y). A reduction
// modulo a period shifts by whole periods and leaves the derivatives alone; an absolute
// value flips the sign of its argument's derivatives where the argument is negative.

struct StandardMapStep {
  double k1;
  explicit StandardMapStep(const MappingModel& m) noexcept : k1(m.k1) {}
  MapImage operator()(double x, double y) const noexcept {
    const double x1 = x + y;
    const double y1 = y + k1 * std::sin(x1);
    return {ReduceModulo(x1, kTwoPi), ReduceModulo(y1, kTwoPi)};
  }
  MapJacobian Jacobian(double x, double y) const noexcept {
    const double kick = k1 * std::cos(x + y);
    return {1.0, 1.0, kick, 1.0 + kick};
  }
};

struct HenonDcMapStep {
  double k1, k2, k3;
  explicit HenonDcMapStep(const MappingModel& m) noexcept : k1(m.k1), k2(m.k2), k3(m.k3) {}
  MapImage operator()(double x, double y) const noexcept { return {1.0 - k1 * x * x + k3 * y, k2 * x}; }
  MapJacobian Jacobian(double x, double /*y*/) const noexcept { return {-2.0 * k1 * x, k3, k2, 0.0}; }
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
  MapJacobian Jacobian(double x, double y) const noexcept {
    const double rho = x * x + y * y + k3;
    const double r = std::pow(rho, k2);
    const double c = std::cos(r);
    const double s = std::sin(r);
    // dr/drho = k2 rho^(k2-1) = k2 r / rho; at rho = 0 its limit for k2 > 1, which is
    // also what the origin (the map's fixed point when k3 = 0) needs.
    const double drdrho = rho != 0.0 ? k2 * r / rho : 0.0;
    const double rx = 2.0 * x * drdrho;
    const double ry = 2.0 * y * drdrho;
    const double firstByR = c * y - s * x;     // d(c x + s y)/dr
    const double secondByR = -(s * y + c * x);  // d(c y - s x)/dr
    const double l = 1.0 / k1;
    return {k1 * (c + firstByR * rx), k1 * (s + firstByR * ry), (secondByR * rx - s) * l, (c + secondByR * ry) * l};
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
  MapJacobian Jacobian(double x, double /*y*/) const noexcept { return {c + 2.0 * s * x, -s, s - 2.0 * c * x, c}; }
};

struct DimerizedChainsStep {
  double k1, k2;
  explicit DimerizedChainsStep(const MappingModel& m) noexcept : k1(m.k1), k2(m.k2) {}
  MapImage operator()(double x, double y) const noexcept {
    const double y1 = y - k1 * std::sin(x);
    return {ReduceModulo(x + y1 - k2 * y1 * y1, kTwoPi), y1};
  }
  MapJacobian Jacobian(double x, double y) const noexcept {
    const double kick = -k1 * std::cos(x);                   // dy'/dx
    const double slope = 1.0 - 2.0 * k2 * (y - k1 * std::sin(x));  // dx'/dy'
    return {1.0 + slope * kick, slope, kick, 1.0};
  }
};

struct VortexFlowStep {
  double k1, k2;
  explicit VortexFlowStep(const MappingModel& m) noexcept : k1(m.k1), k2(m.k2) {}
  MapImage operator()(double x, double y) const noexcept {
    const double y1 = y / (1.0 - k1 * std::sin(x));
    return {ReduceModulo(x + k2 - y1 * y1 + k1 * std::cos(x), kTwoPi), y1};
  }
  MapJacobian Jacobian(double x, double y) const noexcept {
    const double sinX = std::sin(x);
    const double d = 1.0 - k1 * sinX;
    const double y1 = y / d;
    const double byX = y * k1 * std::cos(x) / (d * d);  // dy'/dx
    const double byY = 1.0 / d;                          // dy'/dy
    return {1.0 - 2.0 * y1 * byX - k1 * sinX, -2.0 * y1 * byY, byX, byY};
  }
};

// Both Fermi maps: y' = |t(x, y)| with the derivatives byX, byY of y' (signs already
// flipped where t < 0), then x' = x + k1 / y'.
inline MapJacobian FermiJacobian(double k1, double y1, double byX, double byY) noexcept {
  const double q = -k1 / (y1 * y1);  // d(k1 / y')/dy'
  return {1.0 + q * byX, q * byY, byX, byY};
}

struct FermiSineStep {
  double k1;
  explicit FermiSineStep(const MappingModel& m) noexcept : k1(m.k1) {}
  MapImage operator()(double x, double y) const noexcept {
    const double y1 = std::fabs(y + std::sin(kTwoPi * x));
    return {ReduceModulo(x + k1 / y1, 1.0), y1};
  }
  MapJacobian Jacobian(double x, double y) const noexcept {
    const double t = y + std::sin(kTwoPi * x);
    const double sign = t < 0.0 ? -1.0 : 1.0;
    return FermiJacobian(k1, std::fabs(t), sign * kTwoPi * std::cos(kTwoPi * x), sign);
  }
};

struct FermiSawtoothStep {
  double k1;
  explicit FermiSawtoothStep(const MappingModel& m) noexcept : k1(m.k1) {}
  MapImage operator()(double x, double y) const noexcept {
    const double y1 = std::fabs(y + x - 0.5);
    return {ReduceModulo(x + k1 / y1, 1.0), y1};
  }
  MapJacobian Jacobian(double x, double y) const noexcept {
    const double t = y + x - 0.5;
    const double sign = t < 0.0 ? -1.0 : 1.0;
    return FermiJacobian(k1, std::fabs(t), sign, sign);
  }
};

struct DoublyKickedRotatorStep {
  double k1, k2, k3, k4;
  explicit DoublyKickedRotatorStep(const MappingModel& m) noexcept : k1(m.k1), k2(m.k2), k3(m.k3), k4(m.k4) {}
  MapImage operator()(double x, double y) const noexcept {
    const double y1 = y + k1 * std::sin(x) + k2 * std::sin(k3 * x + k4);
    return {ReduceModulo(x + y1, kTwoPi), ReduceModulo(y1, kTwoPi)};
  }
  MapJacobian Jacobian(double x, double /*y*/) const noexcept {
    const double kick = k1 * std::cos(x) + k2 * k3 * std::cos(k3 * x + k4);
    return {1.0 + kick, 1.0, kick, 1.0};
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

  // Which formula applies at (x, y); `d` gets the radicand of the second one.
  enum class Branch { None, Shift, Root };
  Branch BranchAt(double x, double y, double& d) const noexcept {
    if (c2 * x * x + s2 * y * y > 1.0) return Branch::None;
    const double u = x - 2.0 * y;
    if (c2 * u * u + s2 * y * y <= 1.0) return Branch::Shift;
    d = 2.0 * g * ((y - x) * (y - x)) + 2.0 - y * y;
    return d < 0.0 ? Branch::None : Branch::Root;
  }

  // The image, or false where there is none (`image` is then left alone).
  bool Image(double x, double y, MapImage& image) const noexcept {
    double d = 0.0;
    switch (BranchAt(x, y, d)) {
      case Branch::None:
        return false;
      case Branch::Shift:
        image = {x - 2.0 * y, y};
        return true;
      case Branch::Root:
        break;
    }
    const double y1 = std::sqrt(d);
    image = {(y - x) - y1, y1};
    return true;
  }
  MapImage operator()(double x, double y) const noexcept {
    MapImage image{x, y};
    Image(x, y, image);
    return image;
  }
  // Where there is no image the step keeps the point: the identity.
  MapJacobian Jacobian(double x, double y) const noexcept {
    double d = 0.0;
    switch (BranchAt(x, y, d)) {
      case Branch::None:
        return kIdentityJacobian;
      case Branch::Shift:
        return {1.0, -2.0, 0.0, 1.0};
      case Branch::Root:
        break;
    }
    // y' = sqrt(d) with dd/dx = -4 g (y - x) and dd/dy = 4 g (y - x) - 2 y; x' = (y - x) - y'.
    const double y1 = std::sqrt(d);
    const double byX = -2.0 * g * (y - x) / y1;
    const double byY = (2.0 * g * (y - x) - y) / y1;
    return {-1.0 - byX, 1.0 - byY, byX, byY};
  }
};

// The wedge's constants of an angle k1 in degrees.
WedgeMapStep WedgeStepOfAngle(double k1) noexcept;

inline WedgeMapStep::WedgeMapStep(const MappingModel& m) noexcept : WedgeMapStep(WedgeStepOfAngle(m.k1)) {}

}  // namespace orbitra
