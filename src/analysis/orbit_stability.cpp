// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/orbit_stability.h"

#include <cmath>

namespace orbitra {

namespace {

constexpr double kUnitTolerance = 1e-7;

bool OnUnitCircle(double modulus) noexcept { return std::fabs(modulus - 1.0) <= kUnitTolerance; }

}  // namespace

OrbitStability StabilityOf(const MapJacobian& m) noexcept { return StabilityOf(m, m.Determinant()); }

OrbitStability StabilityOf(const MapJacobian& m, double determinant) noexcept {
  OrbitStability s;
  s.trace = m.dxdx + m.dydy;
  s.determinant = determinant;
  const double half = 0.5 * s.trace;
  const double discriminant = half * half - s.determinant;
  if (discriminant < 0.0) {
    const double im = std::sqrt(-discriminant);
    s.eigenvalues[0] = {half, im};
    s.eigenvalues[1] = {half, -im};
    const double modulus = std::sqrt(std::fabs(s.determinant));
    s.kind = OnUnitCircle(modulus) ? OrbitClass::Elliptic : modulus < 1.0 ? OrbitClass::Sink : OrbitClass::Source;
    return s;
  }
  // The larger root without cancellation, the other from the product of both.
  const double root = std::sqrt(discriminant);
  const double large = half + std::copysign(root, half);
  const double small = large != 0.0 ? s.determinant / large : 0.0;
  const double plus = half >= 0.0 ? large : small;   // (trace + root) / 2
  const double minus = half >= 0.0 ? small : large;  // (trace - root) / 2
  s.eigenvalues[0] = plus;
  s.eigenvalues[1] = minus;
  const double a = std::fabs(plus), b = std::fabs(minus);
  if (OnUnitCircle(a) || OnUnitCircle(b)) {
    s.kind = OrbitClass::Parabolic;
  } else if (a > 1.0 && b > 1.0) {
    s.kind = OrbitClass::Source;
  } else if (a < 1.0 && b < 1.0) {
    s.kind = OrbitClass::Sink;
  } else {
    const double unstable = a > 1.0 ? plus : minus;
    s.kind = unstable < 0.0 ? OrbitClass::FlipSaddle : OrbitClass::Saddle;
  }
  return s;
}

std::string_view ClassName(OrbitClass kind) noexcept {
  switch (kind) {
    case OrbitClass::Saddle:
      return "saddle";
    case OrbitClass::FlipSaddle:
      return "flip-saddle";
    case OrbitClass::Sink:
      return "sink";
    case OrbitClass::Source:
      return "source";
    case OrbitClass::Elliptic:
      return "elliptic";
    case OrbitClass::Parabolic:
      return "parabolic";
  }
  return "saddle";
}

}  // namespace orbitra
