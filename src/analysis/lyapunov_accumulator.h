#pragma once

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
// A value with everything inline on the common path: the run loop holds it in a local and
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

}  // namespace orbitra
