// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <complex>
#include <string_view>

#include "maps/map_jacobian.h"

namespace orbitra {

// What a periodic orbit does to points near it, from the eigenvalues of the Jacobian of
// F^p along it. A flip saddle has negative eigenvalues (neighbours change sides every
// turn); elliptic and parabolic orbits have eigenvalues on the unit circle, complex or
// at +1 or -1.
enum class OrbitClass { Saddle, FlipSaddle, Sink, Source, Elliptic, Parabolic };

struct OrbitStability {
  double trace = 0.0;
  double determinant = 0.0;
  // (trace + root) / 2 first, then (trace - root) / 2; a complex pair has the positive
  // imaginary part first.
  std::complex<double> eigenvalues[2];
  OrbitClass kind = OrbitClass::Saddle;
};

// Eigenvalues and class of the linearisation `m`. Moduli within 1e-7 of 1 count as on
// the unit circle.
OrbitStability StabilityOf(const MapJacobian& m) noexcept;
// The same with the determinant known apart (more exactly than m's entries give it): the
// smaller real eigenvalue is then determinant / larger, with all its digits.
OrbitStability StabilityOf(const MapJacobian& m, double determinant) noexcept;

// "saddle", "flip-saddle", "sink", "source", "elliptic", "parabolic".
std::string_view ClassName(OrbitClass kind) noexcept;

inline bool IsSaddle(OrbitClass kind) noexcept { return kind == OrbitClass::Saddle || kind == OrbitClass::FlipSaddle; }

// a * b: a after b.
inline MapJacobian Compose(const MapJacobian& a, const MapJacobian& b) noexcept {
  return {a.dxdx * b.dxdx + a.dxdy * b.dydx, a.dxdx * b.dxdy + a.dxdy * b.dydy,
          a.dydx * b.dxdx + a.dydy * b.dydx, a.dydx * b.dxdy + a.dydy * b.dydy};
}

}  // namespace orbitra
