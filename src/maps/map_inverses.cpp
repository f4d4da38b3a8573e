// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/map_inverses.h"

#include <cmath>

#include "maps/map_routines.h"
#include "maps/map_steps.h"

namespace orbitra {

// x' = x + y, y' = y + k1 sin(x'), both mod 2 pi: y = y' - k1 sin(x'), x = x' - y.
MapImage StandardMapInverse(const MappingModel& m, double x, double y) {
  const double y0 = y - m.k1 * std::sin(x);
  return {ReduceModulo(x - y0, kTwoPi), ReduceModulo(y0, kTwoPi)};
}

// x' = 1 - k1 x^2 + k3 y, y' = k2 x.
MapImage HenonDcMapInverse(const MappingModel& m, double x, double y) {
  const double x0 = y / m.k2;
  return {x0, (x - 1.0 + m.k1 * x0 * x0) / m.k3};
}

// The map rotates (x, y - x^2) by k1: rotate back, then add the square again.
MapImage HenonRotationInverse(const MappingModel& m, double x, double y) {
  const double c = std::cos(m.k1), s = std::sin(m.k1);
  const double a = c * x + s * y;
  const double b = c * y - s * x;
  return {a, b + a * a};
}

// y1 = y - k1 sin x, x' = x + y1 - k2 y1^2 (mod 2 pi), y' = y1.
MapImage DimerizedChainsInverse(const MappingModel& m, double x, double y) {
  const double x0 = ReduceModulo(x - y + m.k2 * y * y, kTwoPi);
  return {x0, y + m.k1 * std::sin(x0)};
}

// y1 = y + kick(x), x' = x + y1, y' = y1, both mod 2 pi.
MapImage DoublyKickedRotatorInverse(const MappingModel& m, double x, double y) {
  const double x0 = ReduceModulo(x - y, kTwoPi);
  const double y0 = y - m.k1 * std::sin(x0) - m.k2 * std::sin(m.k3 * x0 + m.k4);
  return {x0, ReduceModulo(y0, kTwoPi)};
}

IterationRoutine InverseRoutineOf(const MappingModel& model) noexcept {
  const IterationRoutine r = model.routine;
  if (r == &StandardMapRoutine) return &StandardMapInverse;
  if (r == &HenonDcMapRoutine) return model.k2 != 0.0 && model.k3 != 0.0 ? &HenonDcMapInverse : nullptr;
  if (r == &HenonRotationRoutine) return &HenonRotationInverse;
  if (r == &DimerizedChainsRoutine) return &DimerizedChainsInverse;
  if (r == &DoublyKickedRotatorRoutine) return &DoublyKickedRotatorInverse;
  return nullptr;
}

}  // namespace orbitra
