#include "maps/map_routines.h"

#include <bit>
#include <cmath>

#include "maps/mapping_catalogue.h"

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

const K1DerivedConstants& RotationConstants(const MappingModel& m) {
  return Derived(m.rotationConstants, m.k1, [](K1DerivedConstants& c, double k1) {
    c.value1 = std::cos(k1);
    c.value2 = std::sin(k1);
  });
}

// value1 = s2, value2 = c2, value3 = G of the wedge angle k1 (degrees).
const K1DerivedConstants& WedgeConstants(const MappingModel& m) {
  return Derived(m.wedgeConstants, m.k1, [](K1DerivedConstants& c, double k1) {
    const double theta = k1 * kDegree;
    const double s = std::sin(theta);
    const double s2 = s * s;
    const double c2 = 1.0 - s2;
    const double t = s2 / c2;
    const double onePlusT = 1.0 + t;
    c.value1 = s2;
    c.value2 = c2;
    c.value3 = (1.0 - t) / (onePlusT * onePlusT);
  });
}

}  // namespace

MapImage StandardMapRoutine(const MappingModel& m, double x, double y) {
  const double x1 = x + y;
  const double y1 = y + m.k1 * std::sin(x1);
  return {ReduceModulo(x1, kTwoPi), ReduceModulo(y1, kTwoPi)};
}

MapImage HenonDcMapRoutine(const MappingModel& m, double x, double y) {
  return {1.0 - m.k1 * x * x + m.k3 * y, m.k2 * x};
}

MapImage HyperbolicCRoutine(const MappingModel& m, double x, double y) {
  const double r = std::pow(x * x + y * y + m.k3, m.k2);
  const double c = std::cos(r);
  const double s = std::sin(r);
  return {m.k1 * (c * x + s * y), (c * y - s * x) * (1.0 / m.k1)};
}

MapImage HenonRotationRoutine(const MappingModel& m, double x, double y) {
  const K1DerivedConstants& k = RotationConstants(m);
  const double c = k.value1;
  const double s = k.value2;
  return {c * x - s * y + s * x * x, c * y + s * x - c * x * x};
}

MapImage DimerizedChainsRoutine(const MappingModel& m, double x, double y) {
  const double y1 = y - m.k1 * std::sin(x);
  return {ReduceModulo(x + y1 - m.k2 * y1 * y1, kTwoPi), y1};
}

MapImage VortexFlowRoutine(const MappingModel& m, double x, double y) {
  const double y1 = y / (1.0 - m.k1 * std::sin(x));
  return {ReduceModulo(x + m.k2 - y1 * y1 + m.k1 * std::cos(x), kTwoPi), y1};
}

MapImage FermiSineRoutine(const MappingModel& m, double x, double y) {
  const double y1 = std::fabs(y + std::sin(kTwoPi * x));
  return {ReduceModulo(x + m.k1 / y1, 1.0), y1};
}

MapImage FermiSawtoothRoutine(const MappingModel& m, double x, double y) {
  const double y1 = std::fabs(y + x - 0.5);
  return {ReduceModulo(x + m.k1 / y1, 1.0), y1};
}

MapImage DoublyKickedRotatorRoutine(const MappingModel& m, double x, double y) {
  const double y1 = y + m.k1 * std::sin(x) + m.k2 * std::sin(m.k3 * x + m.k4);
  return {ReduceModulo(x + y1, kTwoPi), ReduceModulo(y1, kTwoPi)};
}

namespace {

// The wedge's image, or false where it has none.
bool WedgeImage(const MappingModel& m, double x, double y, MapImage& image) {
  const K1DerivedConstants& k = WedgeConstants(m);
  const double s2 = k.value1;
  const double c2 = k.value2;
  if (c2 * x * x + s2 * y * y > 1.0) return false;
  const double g = k.value3;
  const double u = x - 2.0 * y;
  if (c2 * u * u + s2 * y * y <= 1.0) {
    image = {u, y};
    return true;
  }
  const double d = 2.0 * g * ((y - x) * (y - x)) + 2.0 - y * y;
  if (d < 0.0) return false;
  const double y1 = std::sqrt(d);
  image = {(y - x) - y1, y1};
  return true;
}

}  // namespace

MapImage WedgeMapRoutine(const MappingModel& m, double x, double y) {
  MapImage image{x, y};
  WedgeImage(m, x, y, image);
  return image;
}

bool WedgeHasImage(const MappingModel& m, double x, double y) {
  MapImage ignored{x, y};
  return WedgeImage(m, x, y, ignored);
}

}  // namespace orbitra
