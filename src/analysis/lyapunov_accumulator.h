// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "maps/map_jacobian.h"

namespace orbitra {

// Why an estimate has no value.
enum class ExponentGap : std::uint8_t {
  None,
  NoIterates,         // nothing seen yet
  JacobianNotFinite,  // an iterate's Jacobian held an infinity or not a number
  VectorVanished,     // the Jacobians took the tangent vector to exactly 0: a rate of -infinity
  DeterminantZero,    // det J = 0 at an iterate: log|det J| is -infinity
  DeterminantLost,    // det J cancelled in rounding: the Jacobian's entries do not fix it
};

// Finite-time estimates over the iterates seen so far. A value that cannot be known is not
// a number, and its gap says why.
struct LyapunovEstimate {
  std::int64_t steps = 0;
  double lambda1 = std::numeric_limits<double>::quiet_NaN();     // the larger exponent
  double lambda2 = std::numeric_limits<double>::quiet_NaN();     // the smaller one
  double meanLogDet = std::numeric_limits<double>::quiet_NaN();  // mean of log|det J|
  ExponentGap gap1 = ExponentGap::NoIterates;    // of lambda1
  ExponentGap gap2 = ExponentGap::NoIterates;    // of lambda2 (and so of the sum)
  ExponentGap gapDet = ExponentGap::NoIterates;  // of meanLogDet

  // Equals meanLogDet up to rounding.
  double Sum() const noexcept { return lambda1 + lambda2; }
};

// The two Lyapunov exponents of an orbit by the tangent-space method. One tangent vector is
// carried by the Jacobian of every iterate and re-normalised at the end of each block of
// 16 iterates, where the log of its length is summed: that gives the larger exponent. In
// the plane the two stretch factors of the QR method multiply to |det J| at every iterate,
// so the smaller exponent is the mean of log|det J| less the larger: no second vector,
// and no area of two nearly parallel vectors to lose digits in.
//
// Nothing overflows or underflows, whatever the Jacobians: the vector and the open block's
// product of determinants are kept within [2^-400, 2^400], and an iterate that would take
// them out goes a careful way (AddCarefully): the Jacobian is scaled by a power of two, so
// exactly, before it multiplies anything, and the vector is renormalised at once. A
// determinant whose two products cancel to fewer than 20 bits is computed again with fused
// multiply-adds; one that still sits within the rounding of its entries cannot be known.
//
// A value with everything inline: the run loop holds it in a local and
// calls Add once per iterate; Add allocates nothing and calls nothing but the logs at the
// end of a block.
class LyapunovAccumulator {
 public:
  static constexpr int kBlock = 16;

  void Add(const MapJacobian& j) noexcept {
    const double vx = v1x_, vy = v1y_;
    const double ax = j.dxdx * vx + j.dxdy * vy;
    const double ay = j.dydx * vx + j.dydy * vy;
    const double p = j.dxdx * j.dydy;
    const double q = j.dxdy * j.dydx;
    const double det = p - q;
    const double product = detProduct_ * det;
    ++steps_;
    const double sizeX = ax < 0.0 ? -ax : ax;
    const double sizeY = ay < 0.0 ? -ay : ay;
    const double size = sizeX > sizeY ? sizeX : sizeY;
    const double area = product < 0.0 ? -product : product;
    const double sizeP = p < 0.0 ? -p : p;
    const double sizeQ = q < 0.0 ? -q : q;
    const double clear = det < 0.0 ? -det : det;
    // Comparisons false for not a number, which goes the careful way too.
    if (size < kHigh && size > kLow && area < kHigh && area > kLow && clear > kClear * (sizeP + sizeQ)) [[likely]] {
      v1x_ = ax;
      v1y_ = ay;
      detProduct_ = product;
      if (--untilFold_ == 0) Fold();
      return;
    }
    AddCarefully(j, vx, vy);
  }

  std::int64_t Steps() const noexcept { return steps_; }

  // The exponents so far, the open block included; the accumulator itself goes on as it was.
  LyapunovEstimate Estimate() const noexcept;

 private:
  static constexpr double kHigh = 0x1p400;
  static constexpr double kLow = 0x1p-400;
  // A difference of two products that keeps more than 20 of their bits.
  static constexpr double kClear = 0x1p-20;
  // The vector starts in no axis direction: a map whose Jacobian keeps the axes would
  // otherwise never turn it into its stronger direction.
  static constexpr double kStartX = 0.6;
  static constexpr double kStartY = 0.8;

  // Inline, all of them: a call that took the accumulator's address would keep it in
  // memory instead of registers for the whole run loop.
  void Fold() noexcept;
  void AddCarefully(const MapJacobian& j, double vx, double vy) noexcept;
  void Restart() noexcept;

  double v1x_ = kStartX;
  double v1y_ = kStartY;
  double detProduct_ = 1.0;  // of the open block
  double sumLog1_ = 0.0;
  double sumLogDet_ = 0.0;
  std::int64_t shift1_ = 0;    // powers of two taken out of the vector, for sumLog1_
  std::int64_t shiftDet_ = 0;  // and out of the determinants, for sumLogDet_
  std::int64_t steps_ = 0;
  int untilFold_ = kBlock;
  ExponentGap gap1_ = ExponentGap::None;
  ExponentGap gapDet_ = ExponentGap::None;
};

namespace detail {

inline double Largest(double a, double b) noexcept { return a > b ? a : b; }

// The first gap seen is the one reported.
inline void Mark(ExponentGap& gap, ExponentGap why) noexcept {
  if (gap == ExponentGap::None) gap = why;
}

}  // namespace detail

inline void LyapunovAccumulator::Fold() noexcept {
  // The vector lies within [2^-400, 2^400] in its larger coordinate: its square cannot
  // overflow, and the smaller coordinate's square matters only where it does not underflow.
  const double stretch = std::sqrt(v1x_ * v1x_ + v1y_ * v1y_);
  sumLog1_ += std::log(stretch);
  v1x_ /= stretch;
  v1y_ /= stretch;
  sumLogDet_ += std::log(std::fabs(detProduct_));
  detProduct_ = 1.0;
  untilFold_ = kBlock;
}

inline void LyapunovAccumulator::Restart() noexcept {
  v1x_ = kStartX;
  v1y_ = kStartY;
  detProduct_ = 1.0;
}

inline void LyapunovAccumulator::AddCarefully(const MapJacobian& j, double vx, double vy) noexcept {
  if (!(std::isfinite(j.dxdx) && std::isfinite(j.dxdy) && std::isfinite(j.dydx) && std::isfinite(j.dydy))) {
    detail::Mark(gap1_, ExponentGap::JacobianNotFinite);
    detail::Mark(gapDet_, ExponentGap::JacobianNotFinite);
    Restart();
  } else if (const double largest = detail::Largest(detail::Largest(std::fabs(j.dxdx), std::fabs(j.dxdy)),
                                            detail::Largest(std::fabs(j.dydx), std::fabs(j.dydy)));
             largest == 0.0) {
    detail::Mark(gap1_, ExponentGap::VectorVanished);
    detail::Mark(gapDet_, ExponentGap::DeterminantZero);
    Restart();
  } else {
    // The Jacobian scaled exactly to a largest entry in [1, 2): its products with the
    // vector and with itself neither overflow nor underflow.
    const int e = std::ilogb(largest);
    const double a = std::scalbn(j.dxdx, -e), b = std::scalbn(j.dxdy, -e);
    const double c = std::scalbn(j.dydx, -e), d = std::scalbn(j.dydy, -e);
    const double ax = a * vx + b * vy;
    const double ay = c * vx + d * vy;
    const double size = detail::Largest(std::fabs(ax), std::fabs(ay));
    if (size == 0.0) {
      detail::Mark(gap1_, ExponentGap::VectorVanished);
      Restart();
    } else {
      // Renormalised at once, by a power of two: exact.
      const int f = std::ilogb(size);
      v1x_ = std::scalbn(ax, -f);
      v1y_ = std::scalbn(ay, -f);
      shift1_ += e + f;
    }
    // The determinant of the rows scaled exactly each to a largest entry in [1, 2) (a tiny
    // row does not underflow next to a huge one), as a d - b c to within an ulp or two of
    // its true value for these entries (Kahan's way).
    const double rowX = detail::Largest(std::fabs(j.dxdx), std::fabs(j.dxdy));
    const double rowY = detail::Largest(std::fabs(j.dydx), std::fabs(j.dydy));
    if (rowX == 0.0 || rowY == 0.0) {
      detail::Mark(gapDet_, ExponentGap::DeterminantZero);
    } else {
      const int ex = std::ilogb(rowX), ey = std::ilogb(rowY);
      const double ra = std::scalbn(j.dxdx, -ex), rb = std::scalbn(j.dxdy, -ex);
      const double rc = std::scalbn(j.dydx, -ey), rd = std::scalbn(j.dydy, -ey);
      const double bc = rb * rc;
      const double det = std::fma(ra, rd, -bc) + std::fma(-rb, rc, bc);
      const double spread = std::fabs(ra * rd) + std::fabs(bc);
      if (det == 0.0 && spread == 0.0) {
        detail::Mark(gapDet_, ExponentGap::DeterminantZero);
      } else if (!(std::fabs(det) > std::numeric_limits<double>::epsilon() * spread)) {
        detail::Mark(gapDet_, ExponentGap::DeterminantLost);
      } else {
        sumLogDet_ += std::log(std::fabs(detProduct_)) + std::log(std::fabs(det));
        shiftDet_ += static_cast<std::int64_t>(ex) + ey;
      }
    }
    detProduct_ = 1.0;
  }
  if (--untilFold_ == 0) Fold();
}

}  // namespace orbitra
