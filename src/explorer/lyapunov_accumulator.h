#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "maps/map_jacobian.h"

namespace orbitra {

// Finite-time estimates over the iterates seen so far; not numbers before the first.
struct LyapunovEstimate {
  std::int64_t steps = 0;
  double lambda1 = std::numeric_limits<double>::quiet_NaN();     // the larger exponent
  double lambda2 = std::numeric_limits<double>::quiet_NaN();     // the smaller one
  double meanLogDet = std::numeric_limits<double>::quiet_NaN();  // mean of log|det J|

  // Equals meanLogDet up to rounding: the check that the tangent vectors were carried right.
  double Sum() const noexcept { return lambda1 + lambda2; }
};

// The two Lyapunov exponents of an orbit by the tangent-space method: two tangent vectors
// are carried by the Jacobian of every iterate, the second re-orthogonalised against the
// first at every iterate (Gram-Schmidt), and both re-normalised at the end of each block of
// 16 iterates, where the logs of their stretch factors are summed. A block ends sooner when
// a length or the spanned area leaves [1e-100, 1e100], so nothing overflows.
//
// Orthogonalising at every iterate keeps the second factor accurate: a pair left alone
// for a while turns nearly parallel, and its area, the difference of two nearly equal
// products, loses as many digits as the pair's sides outgrow its area.
//
// A value with everything inline: the run loop holds it in a local and calls Add once per
// iterate; Add allocates nothing and makes no call but the logs at the end of a block.
class LyapunovAccumulator {
 public:
  static constexpr int kBlock = 16;

  void Add(const MapJacobian& j) noexcept {
    const double ax = j.dxdx * v1x_ + j.dxdy * v1y_;
    const double ay = j.dydx * v1x_ + j.dydy * v1y_;
    const double bx = j.dxdx * v2x_ + j.dxdy * v2y_;
    const double by = j.dydx * v2x_ + j.dydy * v2y_;
    // In the plane the part of the second vector across the first is the first turned by a
    // right angle, scaled to span the same area.
    const double area = ax * by - ay * bx;
    const double norm1Squared = ax * ax + ay * ay;
    const double across = area / norm1Squared;
    v1x_ = ax;
    v1y_ = ay;
    v2x_ = -across * ay;
    v2y_ = across * ax;
    detProduct_ *= j.Determinant();
    ++steps_;
    const double size = std::fabs(area);
    if (--untilFold_ == 0 || !(norm1Squared < kHuge && norm1Squared > kTiny && size < kHuge && size > kTiny)) {
      Fold();
    }
  }

  std::int64_t Steps() const noexcept { return steps_; }

  // The exponents so far, the open block included; the accumulator itself goes on as it was.
  LyapunovEstimate Estimate() const noexcept {
    LyapunovEstimate e;
    e.steps = steps_;
    if (steps_ == 0) return e;
    LyapunovAccumulator closed = *this;
    if (closed.untilFold_ != kBlock) closed.Fold();
    const double n = static_cast<double>(steps_);
    const double first = closed.sumLog1_ / n;
    const double second = closed.sumLog2_ / n;
    // Over a short stretch the second vector can have grown more than the first.
    e.lambda1 = first >= second ? first : second;
    e.lambda2 = first >= second ? second : first;
    e.meanLogDet = closed.sumLogDet_ / n;
    return e;
  }

 private:
  static constexpr double kHuge = 1e100;
  static constexpr double kTiny = 1e-100;
  // Tangent vectors start orthonormal, in no axis direction: a map whose Jacobian keeps
  // the axes would otherwise never turn the first vector into its stronger direction.
  static constexpr double kStartX = 0.6;
  static constexpr double kStartY = 0.8;

  void Fold() noexcept {
    const double stretch1 = std::sqrt(v1x_ * v1x_ + v1y_ * v1y_);  // r11 of the QR factors
    const double area = v1x_ * v2y_ - v1y_ * v2x_;                  // r11 * r22, signed
    const double logStretch1 = std::log(stretch1);
    sumLog1_ += logStretch1;
    sumLog2_ += std::log(std::fabs(area)) - logStretch1;
    sumLogDet_ += std::log(std::fabs(detProduct_));
    detProduct_ = 1.0;
    untilFold_ = kBlock;

    if (stretch1 > 0.0 && stretch1 < std::numeric_limits<double>::infinity()) {
      v1x_ /= stretch1;
      v1y_ /= stretch1;
      const double side = area < 0.0 ? -1.0 : 1.0;
      v2x_ = -side * v1y_;
      v2y_ = side * v1x_;
    } else {
      // The first vector vanished or overflowed; its log says so, and a fresh pair goes on.
      v1x_ = kStartX;
      v1y_ = kStartY;
      v2x_ = -kStartY;
      v2y_ = kStartX;
    }
  }

  double v1x_ = kStartX;
  double v1y_ = kStartY;
  double v2x_ = -kStartY;
  double v2y_ = kStartX;
  double detProduct_ = 1.0;  // of the open block
  double sumLog1_ = 0.0;
  double sumLog2_ = 0.0;
  double sumLogDet_ = 0.0;
  std::int64_t steps_ = 0;
  int untilFold_ = kBlock;
};

}  // namespace orbitra
