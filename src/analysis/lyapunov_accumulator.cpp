#include "analysis/lyapunov_accumulator.h"

#include <cmath>

namespace orbitra {

namespace {

constexpr double kLn2 = 0.6931471805599453;
constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

double Largest(double a, double b) noexcept { return a > b ? a : b; }

// The first gap seen is the one reported.
void Mark(ExponentGap& gap, ExponentGap why) noexcept {
  if (gap == ExponentGap::None) gap = why;
}

}  // namespace

void LyapunovAccumulator::Fold() noexcept {
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

void LyapunovAccumulator::Restart() noexcept {
  v1x_ = kStartX;
  v1y_ = kStartY;
  detProduct_ = 1.0;
}

void LyapunovAccumulator::AddCarefully(const MapJacobian& j, double vx, double vy) noexcept {
  if (!(std::isfinite(j.dxdx) && std::isfinite(j.dxdy) && std::isfinite(j.dydx) && std::isfinite(j.dydy))) {
    Mark(gap1_, ExponentGap::JacobianNotFinite);
    Mark(gapDet_, ExponentGap::JacobianNotFinite);
    Restart();
  } else if (const double largest = Largest(Largest(std::fabs(j.dxdx), std::fabs(j.dxdy)),
                                            Largest(std::fabs(j.dydx), std::fabs(j.dydy)));
             largest == 0.0) {
    Mark(gap1_, ExponentGap::VectorVanished);
    Mark(gapDet_, ExponentGap::DeterminantZero);
    Restart();
  } else {
    // The Jacobian scaled exactly to a largest entry in [1, 2): its products with the
    // vector and with itself neither overflow nor underflow.
    const int e = std::ilogb(largest);
    const double a = std::scalbn(j.dxdx, -e), b = std::scalbn(j.dxdy, -e);
    const double c = std::scalbn(j.dydx, -e), d = std::scalbn(j.dydy, -e);
    const double ax = a * vx + b * vy;
    const double ay = c * vx + d * vy;
    const double size = Largest(std::fabs(ax), std::fabs(ay));
    if (size == 0.0) {
      Mark(gap1_, ExponentGap::VectorVanished);
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
    const double rowX = Largest(std::fabs(j.dxdx), std::fabs(j.dxdy));
    const double rowY = Largest(std::fabs(j.dydx), std::fabs(j.dydy));
    if (rowX == 0.0 || rowY == 0.0) {
      Mark(gapDet_, ExponentGap::DeterminantZero);
    } else {
      const int ex = std::ilogb(rowX), ey = std::ilogb(rowY);
      const double ra = std::scalbn(j.dxdx, -ex), rb = std::scalbn(j.dxdy, -ex);
      const double rc = std::scalbn(j.dydx, -ey), rd = std::scalbn(j.dydy, -ey);
      const double bc = rb * rc;
      const double det = std::fma(ra, rd, -bc) + std::fma(-rb, rc, bc);
      const double spread = std::fabs(ra * rd) + std::fabs(bc);
      if (det == 0.0 && spread == 0.0) {
        Mark(gapDet_, ExponentGap::DeterminantZero);
      } else if (!(std::fabs(det) > kEpsilon * spread)) {
        Mark(gapDet_, ExponentGap::DeterminantLost);
      } else {
        sumLogDet_ += std::log(std::fabs(detProduct_)) + std::log(std::fabs(det));
        shiftDet_ += static_cast<std::int64_t>(ex) + ey;
      }
    }
    detProduct_ = 1.0;
  }
  if (--untilFold_ == 0) Fold();
}

LyapunovEstimate LyapunovAccumulator::Estimate() const noexcept {
  LyapunovEstimate e;
  e.steps = steps_;
  if (steps_ == 0) return e;
  LyapunovAccumulator closed = *this;
  if (closed.untilFold_ != kBlock) closed.Fold();
  const double n = static_cast<double>(steps_);
  const double first = (closed.sumLog1_ + static_cast<double>(closed.shift1_) * kLn2) / n;
  const double logDet = (closed.sumLogDet_ + static_cast<double>(closed.shiftDet_) * kLn2) / n;
  e.gap1 = gap1_;
  e.gapDet = gapDet_;
  e.gap2 = gapDet_ != ExponentGap::None ? gapDet_ : gap1_;
  if (e.gapDet == ExponentGap::None) e.meanLogDet = logDet;
  if (e.gap2 == ExponentGap::None) {
    // Over a short stretch the vector may not have found the stronger direction yet.
    const double second = logDet - first;
    e.lambda1 = first >= second ? first : second;
    e.lambda2 = first >= second ? second : first;
  } else if (e.gap1 == ExponentGap::None) {
    e.lambda1 = first;
  }
  return e;
}

}  // namespace orbitra
