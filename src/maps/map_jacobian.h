// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orbitra {

// The four partial derivatives of a map at a point: dxdx is d(x')/dx, dxdy is d(x')/dy,
// and so on. Carries tangent vectors along an orbit: v' = J v.
struct MapJacobian {
  double dxdx;
  double dxdy;
  double dydx;
  double dydy;

  double Determinant() const noexcept { return dxdx * dydy - dxdy * dydx; }
};

inline constexpr MapJacobian kIdentityJacobian{1.0, 0.0, 0.0, 1.0};

}  // namespace orbitra
