// SPDX-License-Identifier: GPL-3.0-or-later
// The loops of the orbit diagram. This file is compiled with the loop vectoriser on (see
// cmake/OrbitraCore.cmake): the lanes of a built-in map without library calls go into
// vector registers. Without contraction and fast-math every lane rounds as the scalar
// code does, so the counts are those of one column at a time, to the bit.
#include "analysis/orbit_diagram.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <memory>
#include <utility>

#include "maps/map_routines.h"
#include "maps/map_steps.h"
#include "maps/native_code_format.h"
#include "maps/native_steps.h"
#include "maps/native_user_map.h"
#include "maps/user_map_evaluator.h"

namespace orbitra {

namespace {

constexpr int kLanes = kDiagramLanes;

// On x86-64 the lanes' loops are built a second time for processors with AVX2, chosen when
// the program runs (see HenonLanesBody).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define ORBITRA_AVX2_LANES 1
#else
#define ORBITRA_AVX2_LANES 0
#endif
// Iterates whose coordinates are kept before they are counted.
constexpr std::int32_t kRecordBlock = 64;
// Iterates of the transient between two looks at the stop token.
constexpr std::int64_t kStopCheckEvery = 1 << 16;

// Any map through its routine, the model carried by value (the fallback: no inlining).
struct RoutineLane {
  MappingModel model;
  MapImage operator()(double x, double y) const { return model.routine(model, x, y); }
};

// A user's map evaluated by the expression library, with one lane's parameters.
struct InterpretedLane {
  const UserMapEvaluator* evaluator;
  double k1, k2, k3, k4;
  MapImage operator()(double x, double y) const noexcept { return evaluator->Evaluate(x, y, k1, k2, k3, k4); }
};

template <class Step, class MakeStep, std::size_t... I>
std::array<Step, kLanes> MakeLanes(const MakeStep& make, const double* p, std::index_sequence<I...>) {
  return {make(p[I])...};
}

// One iterate of every lane; a lane whose image lies beyond the bound (or is not a number)
// is marked escaped and goes on, since lanes move together. Kept a loop (GCC would unroll
// it whole, and then put no lane in a vector register); the mark is a select of doubles,
// which vectorises where an integer flag does not.
template <class Step>
inline void AdvanceLanes(const std::array<Step, kLanes>& steps, double* __restrict x, double* __restrict y,
                         double* __restrict escaped, double infinity) {
#pragma GCC unroll 1
  for (int l = 0; l < kLanes; ++l) {
    const MapImage image = steps[l](x[l], y[l]);
    x[l] = image.x;
    y[l] = image.y;
    const double r2 = image.x * image.x + image.y * image.y;
    escaped[l] = r2 <= infinity ? escaped[l] : 1.0;
  }
}

// Where a coordinate is counted: the row r = (v - min) * scale, truncated, when 0 <= r <
// rows; otherwise (and for not a number) the slot `rows` past the grid. Selects, not
// branches, so that lanes compute it side by side.
struct RowRule {
  int which;  // 0: x, 1: y
  double min;
  double scale;
  double rows;
  template <class T>
  [[gnu::always_inline]] T Slot(T v) const noexcept {
    const T none = T{} + rows;  // a double, or a vector of them
    const T r = (v - min) * scale;
    const T low = r >= 0.0 ? r : none;
    return low < none ? low : none;
  }
};

// n iterates of every lane; with `slots`, the RowRule slot of iterate i of lane l goes to
// slots[i * kLanes + l].
template <class Step>
struct LaneBlock {
  static void Advance(const std::array<Step, kLanes>& steps, double* x, double* y, double* escaped, double infinity,
                      std::int64_t n, const RowRule& rule, std::int32_t* __restrict slots, bool /*anyProcessor*/) {
    for (std::int64_t i = 0; i < n; ++i) {
      AdvanceLanes(steps, x, y, escaped, infinity);
      if (slots == nullptr) continue;
      const double* const c = rule.which == 1 ? y : x;
      for (int l = 0; l < kLanes; ++l) slots[i * kLanes + l] = static_cast<std::int32_t>(rule.Slot(c[l]));
    }
  }
};

// The Henon map's formula on the lanes held in vector registers for the whole block (the
// loop above keeps its lanes in memory, which puts a store and a load on every orbit's
// chain), kWidth lanes to a vector. Each lane computes exactly the operations of
// HenonDcMapStep, in its order, so the bits are the same; a test compares them with one
// column at a time.
template <int kWidth>
struct LaneVectors;
template <>
struct LaneVectors<2> {
  using Real = double __attribute__((vector_size(16)));
  using Mask = long long __attribute__((vector_size(16)));
  using Slots = std::int32_t __attribute__((vector_size(8)));
};
template <>
struct LaneVectors<4> {
  using Real = double __attribute__((vector_size(32)));
  using Mask = long long __attribute__((vector_size(32)));
  using Slots = std::int32_t __attribute__((vector_size(16)));
};

// Compiled for any x86-64 with pairs of lanes (SSE2 registers), and for a processor with
// AVX2 with four lanes to a register and three-operand instructions, taken when the
// processor has it (quads without AVX run three times slower than pairs). The operations
// and their order are the same in both, and neither contracts a multiply and an add: the
// same bits.
template <int kWidth>
[[gnu::always_inline]] inline void HenonLanesBody(const double* k1s, const double* k2s, const double* k3s, double* x,
                                                  double* y, double* escaped, double infinity, std::int64_t n,
                                                  const RowRule& rule, std::int32_t* __restrict slots) {
  using Real = typename LaneVectors<kWidth>::Real;
  using Mask = typename LaneVectors<kWidth>::Mask;
  using Slots = typename LaneVectors<kWidth>::Slots;
  constexpr int kVectors = kLanes / kWidth;
  static_assert(kLanes % kWidth == 0);
  Real k1[kVectors], k2[kVectors], k3[kVectors], px[kVectors], py[kVectors];
  Mask out[kVectors];
  for (int q = 0; q < kVectors; ++q) {
    for (int h = 0; h < kWidth; ++h) {
      k1[q][h] = k1s[kWidth * q + h];
      k2[q][h] = k2s[kWidth * q + h];
      k3[q][h] = k3s[kWidth * q + h];
      px[q][h] = x[kWidth * q + h];
      py[q][h] = y[kWidth * q + h];
    }
    out[q] = Mask{};
  }
  const Real one = Real{} + 1.0;
  const Real bound = Real{} + infinity;
  const bool countY = rule.which == 1;
  for (std::int64_t i = 0; i < n; ++i) {
#pragma GCC unroll 8
    for (int q = 0; q < kVectors; ++q) {
      const Real nx = one - k1[q] * px[q] * px[q] + k3[q] * py[q];
      const Real ny = k2[q] * px[q];
      px[q] = nx;
      py[q] = ny;
      const Real r2 = nx * nx + ny * ny;
      out[q] |= ~(r2 <= bound);
      if (slots != nullptr) {
        const Slots slot = __builtin_convertvector(rule.Slot(countY ? ny : nx), Slots);
        __builtin_memcpy(slots + i * kLanes + kWidth * q, &slot, sizeof slot);
      }
    }
  }
  for (int q = 0; q < kVectors; ++q) {
    for (int h = 0; h < kWidth; ++h) {
      x[kWidth * q + h] = px[q][h];
      y[kWidth * q + h] = py[q][h];
      if (out[q][h] != 0) escaped[kWidth * q + h] = 1.0;
    }
  }
}

void HenonLanesAnyProcessor(const double* k1s, const double* k2s, const double* k3s, double* x, double* y,
                            double* escaped, double infinity, std::int64_t n, const RowRule& rule,
                            std::int32_t* __restrict slots) {
  HenonLanesBody<2>(k1s, k2s, k3s, x, y, escaped, infinity, n, rule, slots);
}

#if ORBITRA_AVX2_LANES
[[gnu::target("avx2")]] void HenonLanesAvx2(const double* k1s, const double* k2s, const double* k3s, double* x,
                                            double* y, double* escaped, double infinity, std::int64_t n,
                                            const RowRule& rule, std::int32_t* __restrict slots) {
  HenonLanesBody<4>(k1s, k2s, k3s, x, y, escaped, infinity, n, rule, slots);
}
bool HasAvx2() noexcept {
  static const bool has = __builtin_cpu_supports("avx2") != 0;
  return has;
}
#endif

void AdvanceHenonLanes(bool anyProcessor, const double* k1s, const double* k2s, const double* k3s, double* x,
                       double* y, double* escaped, double infinity, std::int64_t n, const RowRule& rule,
                       std::int32_t* __restrict slots) {
#if ORBITRA_AVX2_LANES
  if (!anyProcessor && HasAvx2()) return HenonLanesAvx2(k1s, k2s, k3s, x, y, escaped, infinity, n, rule, slots);
#endif
  HenonLanesAnyProcessor(k1s, k2s, k3s, x, y, escaped, infinity, n, rule, slots);
}

template <>
struct LaneBlock<HenonDcMapStep> {
  static void Advance(const std::array<HenonDcMapStep, kLanes>& steps, double* x, double* y, double* escaped,
                      double infinity, std::int64_t n, const RowRule& rule, std::int32_t* __restrict slots,
                      bool anyProcessor) {
    double k1[kLanes], k2[kLanes], k3[kLanes];
    for (int l = 0; l < kLanes; ++l) {
      k1[l] = steps[l].k1;
      k2[l] = steps[l].k2;
      k3[l] = steps[l].k3;
    }
    AdvanceHenonLanes(anyProcessor, k1, k2, k3, x, y, escaped, infinity, n, rule, slots);
  }
};

// A compiled user map, one lane's parameters: the machine code advances all the lanes in
// one call, escape test included, and hands back the images of the block, whose rows
// are found here.
struct NativeLane {
  NativeLanes::LanesFunction code;
  double k[4];
};
static_assert(kLanes == kNativeLanes);

// The rows of the coordinate counted, for `count` iterates of images laid out as
// orbitra_lanes writes them; in vectors of kWidth lanes, as the Henon lanes above.
template <int kWidth>
[[gnu::always_inline]] inline void ImageRowsBody(const double* images, std::int64_t count, const RowRule& rule,
                                                 std::int32_t* __restrict slots) {
  using Real = typename LaneVectors<kWidth>::Real;
  using Slots = typename LaneVectors<kWidth>::Slots;
  for (std::int64_t i = 0; i < count; ++i) {
    const double* const c = images + (2 * i + rule.which) * kLanes;
    for (int q = 0; q < kLanes / kWidth; ++q) {
      Real v;
      __builtin_memcpy(&v, c + kWidth * q, sizeof v);
      const Slots slot = __builtin_convertvector(rule.Slot(v), Slots);
      __builtin_memcpy(slots + i * kLanes + kWidth * q, &slot, sizeof slot);
    }
  }
}

void ImageRowsAnyProcessor(const double* images, std::int64_t count, const RowRule& rule,
                           std::int32_t* __restrict slots) {
  ImageRowsBody<2>(images, count, rule, slots);
}

#if ORBITRA_AVX2_LANES
[[gnu::target("avx2")]] void ImageRowsAvx2(const double* images, std::int64_t count, const RowRule& rule,
                                           std::int32_t* __restrict slots) {
  ImageRowsBody<4>(images, count, rule, slots);
}
#endif

void ImageRows(bool anyProcessor, const double* images, std::int64_t count, const RowRule& rule,
               std::int32_t* __restrict slots) {
#if ORBITRA_AVX2_LANES
  if (!anyProcessor && HasAvx2()) return ImageRowsAvx2(images, count, rule, slots);
#endif
  ImageRowsAnyProcessor(images, count, rule, slots);
}

template <>
struct LaneBlock<NativeLane> {
  static void Advance(const std::array<NativeLane, kLanes>& steps, double* x, double* y, double* escaped,
                      double infinity, std::int64_t n, const RowRule& rule, std::int32_t* __restrict slots,
                      bool anyProcessor) {
    double k[4 * kLanes];
    for (int l = 0; l < kLanes; ++l) {
      for (int p = 0; p < 4; ++p) k[p * kLanes + l] = steps[l].k[p];
    }
    alignas(64) double images[2 * kLanes * kRecordBlock];
    for (std::int64_t done = 0; done < n; done += kRecordBlock) {
      const std::int64_t block = std::min<std::int64_t>(n - done, kRecordBlock);
      steps[0].code(x, y, k, infinity, static_cast<std::int32_t>(block), escaped, images);
      if (slots != nullptr) ImageRows(anyProcessor, images, block, rule, slots + done * kLanes);
    }
  }
};

// The lanes when they are there; null while they are on their way, or for none.
std::shared_ptr<const NativeLanes> ReadyLanes(const NativeLanesFuture& lanes) {
  if (!lanes.valid() || lanes.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return nullptr;
  try {
    return lanes.get();
  } catch (...) {
    return nullptr;  // a compile dropped unfinished (the program is closing) delivers nothing
  }
}

void SetParameter(MappingModel& m, int parameter, double value) noexcept {
  double* const k[] = {&m.k1, &m.k2, &m.k3, &m.k4};
  *k[std::clamp(parameter, 0, 3)] = value;
}

}  // namespace

OrbitDiagram::OrbitDiagram(DiagramMap map, OrbitDiagramSettings settings, int columns, int rows)
    : map_(std::move(map)),
      settings_(settings),
      columns_(std::max(columns, 0)),
      rows_(std::max(rows, 0)),
      rowScale_(static_cast<double>(rows_) / (settings.view.coordinateMax - settings.view.coordinateMin)),
      counts_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), 0u),
      escaped_(static_cast<std::size_t>(columns_), 0u) {}

int OrbitDiagram::EndColumn(std::int64_t unit) const noexcept {
  return std::min(columns_, FirstColumn(unit) + kDiagramUnitColumns);
}

std::int64_t OrbitDiagram::UnitIterations(std::int64_t unit) const noexcept {
  const OrbitDiagramView& v = settings_.view;
  const std::int64_t columns = EndColumn(unit) - FirstColumn(unit);
  const std::int64_t perColumn = static_cast<std::int64_t>(v.transient) + v.points;
  const std::int64_t chains = settings_.carry ? (columns + kDiagramChainColumns - 1) / kDiagramChainColumns : 0;
  return columns * perColumn + chains * v.transient;
}

double OrbitDiagram::ParameterAt(int column) const noexcept {
  const OrbitDiagramView& v = settings_.view;
  return v.parameterMin + (column + 0.5) * ((v.parameterMax - v.parameterMin) / columns_);
}

double OrbitDiagram::CoordinateAt(int row) const noexcept {
  const OrbitDiagramView& v = settings_.view;
  return v.coordinateMin + (row + 0.5) * ((v.coordinateMax - v.coordinateMin) / rows_);
}

double OrbitDiagram::ColumnOf(double parameter) const noexcept {
  const OrbitDiagramView& v = settings_.view;
  return (parameter - v.parameterMin) * (columns_ / (v.parameterMax - v.parameterMin));
}

// Lane l of the unit walks the columns first + l * chain + j, j = 0 .. chain - 1. Lanes
// past the grid compute a copy of the last column, which is not kept.
template <class Step, class MakeStep>
bool OrbitDiagram::ComputeWith(std::int64_t unit, std::stop_token stop, const MakeStep& make) {
  const OrbitDiagramSettings& s = settings_;
  const int first = FirstColumn(unit);
  const std::int32_t points = s.view.points;
  const double infinity = s.infinity;
  const double coordinateMin = s.view.coordinateMin;
  const double rowScale = rowScale_;
  const double rows = static_cast<double>(rows_);
  const bool countY = s.view.coordinate == 1;
  // Each lane counts into a row of its own, with one slot past the grid that takes the
  // points outside it, so that counting needs no branch; the rows go to the columns once
  // the column is done.
  const std::size_t stride = static_cast<std::size_t>(rows_) + 1;
  std::vector<std::uint32_t> lanes(stride * kLanes, 0u);

  alignas(64) double x[kLanes] = {};
  alignas(64) double y[kLanes] = {};
  alignas(64) double escaped[kLanes] = {};
  std::vector<std::int32_t> slots(static_cast<std::size_t>(kRecordBlock) * kLanes);
  const RowRule rule{countY ? 1 : 0, coordinateMin, rowScale, rows};
  for (int j = 0; j < kDiagramChainColumns; ++j) {
    if (stop.stop_requested()) return false;
    int column[kLanes];
    double parameter[kLanes];
    for (int l = 0; l < kLanes; ++l) {
      column[l] = first + l * kDiagramChainColumns + j;
      parameter[l] = ParameterAt(std::min(column[l], columns_ - 1));
      // A chain's first column, and a column after one that escaped, start afresh.
      if (!s.carry || j == 0 || escaped[l] != 0.0) {
        x[l] = s.initial.x;
        y[l] = s.initial.y;
      }
      escaped[l] = 0.0;
    }
    std::fill(lanes.begin(), lanes.end(), 0u);
    std::int64_t realLanes = 0;  // lanes with a column of the grid: their iterations count
    for (int l = 0; l < kLanes; ++l) realLanes += column[l] < columns_ ? 1 : 0;
    const std::array<Step, kLanes> steps = MakeLanes<Step>(make, parameter, std::make_index_sequence<kLanes>{});
    const std::int64_t transient = s.carry && j == 0 ? 2 * static_cast<std::int64_t>(s.view.transient)
                                                     : static_cast<std::int64_t>(s.view.transient);
    // In pieces, so that a stop never waits for a long transient to end.
    for (std::int64_t done = 0; done < transient; done += kStopCheckEvery) {
      if (stop.stop_requested()) return false;
      const std::int64_t piece = std::min(transient - done, kStopCheckEvery);
      LaneBlock<Step>::Advance(steps, x, y, escaped, infinity, piece, rule, nullptr, s.anyProcessorCode);
      iterationsRun_.fetch_add(piece * realLanes, std::memory_order_relaxed);
    }
    for (std::int32_t done = 0; done < points;) {
      if (done % kStopCheckEvery == 0 && done > 0 && stop.stop_requested()) return false;
      const std::int32_t block = std::min(points - done, kRecordBlock);
      LaneBlock<Step>::Advance(steps, x, y, escaped, infinity, block, rule, slots.data(), s.anyProcessorCode);
      for (std::int32_t i = 0; i < block; ++i) {
        const std::int32_t* const slot = slots.data() + static_cast<std::size_t>(i) * kLanes;
        for (int l = 0; l < kLanes; ++l) ++lanes[static_cast<std::size_t>(l) * stride + static_cast<std::size_t>(slot[l])];
      }
      done += block;
      iterationsRun_.fetch_add(static_cast<std::int64_t>(block) * realLanes, std::memory_order_relaxed);
    }
    for (int l = 0; l < kLanes; ++l) {
      if (column[l] >= columns_) continue;
      std::uint32_t* const out = counts_.data() + static_cast<std::size_t>(column[l]) * static_cast<std::size_t>(rows_);
      const std::uint32_t* const in = lanes.data() + static_cast<std::size_t>(l) * stride;
      if (escaped[l] != 0.0) {
        std::fill(out, out + rows_, 0u);
      } else {
        std::copy(in, in + rows_, out);
      }
      escaped_[static_cast<std::size_t>(column[l])] = escaped[l] != 0.0 ? 1 : 0;
    }
  }
  return true;
}

bool OrbitDiagram::ComputeUnit(std::int64_t unit, std::stop_token stop) {
  if (unit < 0 || unit >= Units() || rows_ == 0) return false;
  const MappingModel& base = map_.model;
  const int parameter = settings_.view.parameter;
  const auto model = [&](double p) {
    MappingModel m = base;
    SetParameter(m, parameter, p);
    return m;
  };
  const auto builtIn = [&]<class Step>() {
    return ComputeWith<Step>(unit, stop, [&](double p) { return Step(model(p)); });
  };
  const IterationRoutine r = base.routine;
  if (r == &StandardMapRoutine) return builtIn.template operator()<StandardMapStep>();
  if (r == &HenonDcMapRoutine) return builtIn.template operator()<HenonDcMapStep>();
  if (r == &HyperbolicCRoutine) return builtIn.template operator()<HyperbolicCStep>();
  if (r == &HenonRotationRoutine) return builtIn.template operator()<HenonRotationStep>();
  if (r == &DimerizedChainsRoutine) return builtIn.template operator()<DimerizedChainsStep>();
  if (r == &VortexFlowRoutine) return builtIn.template operator()<VortexFlowStep>();
  if (r == &FermiSineRoutine) return builtIn.template operator()<FermiSineStep>();
  if (r == &FermiSawtoothRoutine) return builtIn.template operator()<FermiSawtoothStep>();
  if (r == &DoublyKickedRotatorRoutine) return builtIn.template operator()<DoublyKickedRotatorStep>();
  if (r == &WedgeMapRoutine) return builtIn.template operator()<WedgeMapStep>();
  if (r == &UserMapRoutine && base.userMap) {
    if (const std::shared_ptr<const NativeLanes> code = ReadyLanes(map_.lanes)) {
      const NativeLanes::LanesFunction lanes = code->LanesCode();
      return ComputeWith<NativeLane>(unit, stop, [&](double p) {
        const MappingModel m = model(p);
        return NativeLane{lanes, {m.k1, m.k2, m.k3, m.k4}};
      });
    }
    if (const std::shared_ptr<const NativeUserMap> native = base.userMap->Native()) {
      return ComputeWith<NativeStep>(
          unit, stop, [&](double p) { return NativeStep(*native, model(p), CoordinateWrap{}); });
    }
    if (map_.definition) {
      const UserMapCompilation own = CompileUserMap(*map_.definition);
      if (own.evaluator) {
        const UserMapEvaluator* e = own.evaluator.get();
        return ComputeWith<InterpretedLane>(unit, stop, [&](double p) {
          const MappingModel m = model(p);
          return InterpretedLane{e, m.k1, m.k2, m.k3, m.k4};
        });
      }
    }
  }
  std::unique_lock<std::mutex> shared;
  if (base.userMap) shared = std::unique_lock(sharedEvaluator_);
  return ComputeWith<RoutineLane>(unit, stop, [&](double p) { return RoutineLane{model(p)}; });
}

bool DiagramViewUsable(const OrbitDiagramView& v) noexcept {
  const auto range = [](double lo, double hi) { return std::isfinite(lo) && std::isfinite(hi) && lo < hi; };
  return range(v.parameterMin, v.parameterMax) && range(v.coordinateMin, v.coordinateMax) && v.parameter >= 0 &&
         v.parameter <= 3 && (v.coordinate == 0 || v.coordinate == 1) && v.transient >= 0 && v.points >= 1;
}

bool OrbitDiagram::Restore(const std::vector<std::uint32_t>& counts, const std::vector<std::uint8_t>& escaped) {
  if (counts.size() != counts_.size() || escaped.size() != escaped_.size()) return false;
  counts_ = counts;
  for (std::size_t c = 0; c < escaped.size(); ++c) escaped_[c] = escaped[c] != 0 ? 1 : 0;
  return true;
}

}  // namespace orbitra
