// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/lyapunov_accumulator.h"

#include <cmath>

namespace orbitra {

namespace {

constexpr double kLn2 = 0.6931471805599453;

}  // namespace

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
