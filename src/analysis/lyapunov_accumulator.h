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
// a length leaves [1e-100, 1e100], so nothing overflows.
//
// Orthogonalising at every iterate keeps the second factor accurate: a pair left alone
// for a while turns nearly parallel, and its area, the difference of two nearly equal
// products, loses as many digits as the pair's sides outgrow its area.
//
// In the plane the second vector, once orthogonalised, is the first turned by a right
// angle and scaled; so it is kept as that scale, `across`. Carrying it through J and
// orthogonalising it again multiplies `across` by a factor that depends on the first
// vector alone, which keeps the division off the chain from one iterate to the next.
//
// A value with everything inline: the run loop holds it in a local and calls Add once per
// iterate; Add allocates nothing and makes no call but the logs at the end of a block.
class LyapunovAccumulator {
 public:
  static constexpr int kBlock = 16;

  void Add(const MapJacobian& j) noexcept {
    // a = J v1, and w = J t with t = (-v1y, v1x) the first vector turned.
    const double ax = j.dxdx * v1x_ + j.dxdy * v1y_;
    const double ay = j.dydx * v1x_ + j.dydy * v1y_;
    const double wx = j.dxdy * v1x_ - j.dxdx * v1y_;
    const double wy = j.dydy * v1x_ - j.dydx * v1y_;
    // The part of w across a, as a multiple of a turned: cross(a, w) / |a|^2.
    const double norm1Squared = ax * ax + ay * ay;
    across_ *= (ax * wy - ay * wx) / norm1Squared;
    v1x_ = ax;
    v1y_ = ay;
    detProduct_ *= j.Determinant();
    ++steps_;
    const double scale = std::fabs(across_);
    if (--untilFold_ == 0 || !(norm1Squared < kHuge && norm1Squared > kTiny && scale < kHuge && scale > kTiny)) {
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
  // The first vector starts in no axis direction: a map whose Jacobian keeps the axes
  // would otherwise never turn it into its stronger direction.
  static constexpr double kStartX = 0.6;
  static constexpr double kStartY = 0.8;

  void Fold() noexcept {
    const double stretch1 = std::sqrt(v1x_ * v1x_ + v1y_ * v1y_);  // r11 of the QR factors
    const double stretch2 = std::fabs(across_) * stretch1;         // r22: the second's length
    sumLog1_ += std::log(stretch1);
    sumLog2_ += std::log(stretch2);
    sumLogDet_ += std::log(std::fabs(detProduct_));
    detProduct_ = 1.0;
    untilFold_ = kBlock;
    across_ = across_ < 0.0 ? -1.0 : 1.0;
    if (stretch1 > 0.0 && stretch1 < std::numeric_limits<double>::infinity()) {
      v1x_ /= stretch1;
      v1y_ /= stretch1;
    } else {
      // The first vector vanished or overflowed; its log says so, and a fresh pair goes on.
      v1x_ = kStartX;
      v1y_ = kStartY;
    }
  }

  double v1x_ = kStartX;
  double v1y_ = kStartY;
  double across_ = 1.0;      // the second vector is across_ * (-v1y_, v1x_)
  double detProduct_ = 1.0;  // of the open block
  double sumLog1_ = 0.0;
  double sumLog2_ = 0.0;
  double sumLogDet_ = 0.0;
  std::int64_t steps_ = 0;
  int untilFold_ = kBlock;
};

}  // namespace orbitra
