// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/map_routines.h"

#include <bit>
#include <cmath>

#include "maps/map_steps.h"

namespace orbitra {

namespace {

constexpr double kDegree = 0.017453292519943295;  // pi / 180

// Recomputes the constants when k1 differs, bit for bit, from the k1 they were made of.
template <typename Compute>
const K1DerivedConstants& Derived(K1DerivedConstants& cache, double k1, Compute compute) {
  const auto bits = std::bit_cast<std::uint64_t>(k1);
  if (!cache.valid || cache.k1Bits != bits) {
    compute(cache, k1);
    cache.k1Bits = bits;
    cache.valid = true;
  }
  return cache;
}

HenonRotationStep RotationStep(const MappingModel& m) {
  const K1DerivedConstants& c = Derived(m.rotationConstants, m.k1, [](K1DerivedConstants& c, double k1) {
    c.value1 = std::cos(k1);
    c.value2 = std::sin(k1);
  });
  return HenonRotationStep(c.value1, c.value2);
}

WedgeMapStep CachedWedgeStep(const MappingModel& m) {
  const K1DerivedConstants& c = Derived(m.wedgeConstants, m.k1, [](K1DerivedConstants& c, double k1) {
    const WedgeMapStep step = WedgeStepOfAngle(k1);
    c.value1 = step.s2;
    c.value2 = step.c2;
    c.value3 = step.g;
  });
  return WedgeMapStep(c.value1, c.value2, c.value3);
}

}  // namespace

WedgeMapStep WedgeStepOfAngle(double k1) noexcept {
  const double theta = k1 * kDegree;
  const double s = std::sin(theta);
  const double s2 = s * s;
  const double c2 = 1.0 - s2;
  const double t = s2 / c2;
  const double onePlusT = 1.0 + t;
  return WedgeMapStep(s2, c2, (1.0 - t) / (onePlusT * onePlusT));
}

MapImage StandardMapRoutine(const MappingModel& m, double x, double y) { return StandardMapStep(m)(x, y); }
MapImage HenonDcMapRoutine(const MappingModel& m, double x, double y) { return HenonDcMapStep(m)(x, y); }
MapImage HyperbolicCRoutine(const MappingModel& m, double x, double y) { return HyperbolicCStep(m)(x, y); }
MapImage HenonRotationRoutine(const MappingModel& m, double x, double y) { return RotationStep(m)(x, y); }
MapImage DimerizedChainsRoutine(const MappingModel& m, double x, double y) {
  return DimerizedChainsStep(m)(x, y);
}
MapImage VortexFlowRoutine(const MappingModel& m, double x, double y) { return VortexFlowStep(m)(x, y); }
MapImage FermiSineRoutine(const MappingModel& m, double x, double y) { return FermiSineStep(m)(x, y); }
MapImage FermiSawtoothRoutine(const MappingModel& m, double x, double y) { return FermiSawtoothStep(m)(x, y); }
MapImage DoublyKickedRotatorRoutine(const MappingModel& m, double x, double y) {
  return DoublyKickedRotatorStep(m)(x, y);
}
MapImage WedgeMapRoutine(const MappingModel& m, double x, double y) { return CachedWedgeStep(m)(x, y); }

bool WedgeHasImage(const MappingModel& m, double x, double y) {
  MapImage ignored{x, y};
  return CachedWedgeStep(m).Image(x, y, ignored);
}

}  // namespace orbitra
