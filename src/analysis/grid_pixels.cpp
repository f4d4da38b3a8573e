// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/grid_pixels.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

#include "analysis/grid_kernel.h"
#include "analysis/window_period.h"
#include "maps/central_difference.h"
#include "maps/coordinate_wrap.h"
#include "maps/map_routines.h"
#include "maps/map_steps.h"
#include "maps/native_steps.h"
#include "maps/user_map_evaluator.h"

namespace orbitra {

template <class Step>
double CycleLyapunov(const Step& step, const double* x, const double* y, std::int32_t n, std::int32_t p) {
  // The product, rescaled at every factor so that a long cycle cannot overflow it.
  double a = 1.0, b = 0.0, c = 0.0, d = 1.0, logScale = 0.0;
  for (std::int32_t k = n - p; k < n; ++k) {
    const MapJacobian j = step.Jacobian(x[k], y[k]);
    const double na = j.dxdx * a + j.dxdy * c, nb = j.dxdx * b + j.dxdy * d;
    const double nc = j.dydx * a + j.dydy * c, nd = j.dydx * b + j.dydy * d;
    const double scale = std::max(std::max(std::fabs(na), std::fabs(nb)), std::max(std::fabs(nc), std::fabs(nd)));
    if (!(scale > 0.0 && scale < HUGE_VAL)) return scale > 0.0 ? HUGE_VAL : -HUGE_VAL;
    a = na / scale, b = nb / scale, c = nc / scale, d = nd / scale;
    logScale += std::log(scale);
  }
  const double trace = a + d, det = a * d - b * c;
  const double discriminant = trace * trace - 4.0 * det;
  // Real eigenvalues: the larger modulus; a complex pair: both have modulus sqrt(det).
  const double radius = discriminant >= 0.0 ? 0.5 * (std::fabs(trace) + std::sqrt(discriminant)) : std::sqrt(det);
  return (logScale + std::log(radius)) / static_cast<double>(p);
}

namespace {

// The step of a lane: a built-in step holds its parameters; a map evaluated at run time
// reads them from the lane's own model.
template <class Step>
Step MakeLaneStep(const MappingModel& laneModel, const NativeUserMap* native) {
  if constexpr (std::is_same_v<Step, RoutineStep>) {
    return RoutineStep{&laneModel, laneModel.routine, WrapOfSystem(laneModel.system)};
  } else if constexpr (std::is_same_v<Step, NativeStep>) {
    return NativeStep(*native, laneModel, WrapOfSystem(laneModel.system));
  } else {
    (void)native;
    return Step(laneModel);
  }
}

void SetParameter(MappingModel& m, int which, double v) noexcept {
  switch (which) {
    case 0: m.k1 = v; break;
    case 1: m.k2 = v; break;
    case 2: m.k3 = v; break;
    default: m.k4 = v; break;
  }
}

// One row's pixels for one step type.
template <class Step>
class RowComputer {
 public:
  RowComputer(const MappingModel& model, const NativeUserMap* native, GridValues& grid, std::int32_t row)
      : model_(model), native_(native), grid_(grid), s_(grid.settings), row_(row),
        window_(PeriodWindowLength(std::min(s_.longestPeriod, kMostPeriodLookedFor))),
        wrap_(WrapOfSystem(model.system)) {
    const bool windowed = s_.colouring == GridColouring::Period || s_.colouring == GridColouring::Attractor;
    if (windowed) {
      wx_.resize(static_cast<std::size_t>(kGridLanes) * static_cast<std::size_t>(window_));
      wy_.resize(wx_.size());
    }
  }

  void Compute(const std::int32_t* columns, std::int32_t count) {
    for (std::int32_t start = 0; start < count; start += kGridLanes) {
      const int used = static_cast<int>(std::min<std::int32_t>(kGridLanes, count - start));
      LaneBatch<Step> batch = Load(columns + start, used, lanes_);
      Run(batch, columns + start);
    }
    FlushPending();
  }

 private:
  // Models and columns of the lanes of a batch.
  struct Lanes {
    MappingModel models[kGridLanes];
    std::int32_t columns[kGridLanes];
  };

  LaneBatch<Step> Load(const std::int32_t* columns, int used, Lanes& lanes) {
    const bool plane = IsParameterPlane(s_.colouring);
    const double cy = CellCentre(s_.range.Ymin, s_.range.Ymax, s_.height, row_);
    std::array<WorldPoint, kGridLanes> starts{};
    for (int l = 0; l < kGridLanes; ++l) {
      const std::int32_t column = columns[l < used ? l : 0];
      const double cx = CellCentre(s_.range.Xmin, s_.range.Xmax, s_.width, column);
      lanes.columns[l] = column;
      lanes.models[l] = model_;
      if (plane) {
        SetParameter(lanes.models[l], s_.xParameter, cx);
        SetParameter(lanes.models[l], s_.yParameter, cy);
        starts[static_cast<std::size_t>(l)] = s_.from;
      } else {
        starts[static_cast<std::size_t>(l)] = {cx, cy};
      }
    }
    return MakeBatch(lanes, starts, used, std::make_index_sequence<kGridLanes>());
  }

  template <std::size_t... I>
  LaneBatch<Step> MakeBatch(const Lanes& lanes, const std::array<WorldPoint, kGridLanes>& starts, int used,
                            std::index_sequence<I...>) {
    LaneBatch<Step> b{{MakeLaneStep<Step>(lanes.models[I], native_)...}, {}, {}, {}, used};
    for (int l = 0; l < kGridLanes; ++l) b.x[l] = starts[static_cast<std::size_t>(l)].x, b.y[l] = starts[static_cast<std::size_t>(l)].y;
    return b;
  }

  void Run(LaneBatch<Step>& b, const std::int32_t* columns) {
    switch (s_.colouring) {
      case GridColouring::Period:
        return RunPeriod(b, columns);
      case GridColouring::Lyapunov:
        return RunLyapunov(b, columns);
      case GridColouring::Escape:
        return RunEscape(b, columns);
      case GridColouring::Attractor:
        return RunAttractor(b, columns);
    }
  }

  std::size_t IndexOf(std::int32_t column) const noexcept { return grid_.Index(column, row_); }

  // The transient, then the window of newest points the period test looks at.
  void AdvanceAndRecord(LaneBatch<Step>& b) {
    AdvanceLanes(b, s_.transient, s_.escape);
    RecordLanes(b, window_, s_.escape, wx_.data(), wy_.data());
  }
  const double* WindowX(int lane) const { return wx_.data() + static_cast<std::size_t>(lane) * static_cast<std::size_t>(window_); }
  const double* WindowY(int lane) const { return wy_.data() + static_cast<std::size_t>(lane) * static_cast<std::size_t>(window_); }
  std::int32_t Longest() const { return std::min(s_.longestPeriod, kMostPeriodLookedFor); }

  void RunPeriod(LaneBatch<Step>& b, const std::int32_t* columns) {
    AdvanceAndRecord(b);
    for (int l = 0; l < b.used; ++l) {
      const std::size_t i = IndexOf(columns[l]);
      const double* x = WindowX(l);
      const double* y = WindowY(l);
      if (b.escaped[l]) {
        Finish(i, -1, std::nan(""));
        continue;
      }
      const std::int32_t p = WindowPeriod(x, y, window_, Longest(), wrap_);
      if (p > 0) {
        Finish(i, p, CycleLyapunov(b.steps[static_cast<std::size_t>(l)], x, y, window_, p));
      } else {
        AddPending(b, l, columns[l], p == kNotSettled ? kNotSettled : 0);
      }
    }
  }

  // Orbits without a period go on to their exponent, gathered into full batches; `value`
  // is what their pixel says besides (0 none, kNotSettled).
  void AddPending(const LaneBatch<Step>& from, int lane, std::int32_t column, std::int32_t value) {
    const int k = pendingCount_++;
    pendingValues_[k] = value;
    pendingModels_.models[k] = lanes_.models[lane];
    pendingModels_.columns[k] = column;
    pendingX_[k] = from.x[lane];
    pendingY_[k] = from.y[lane];
    if (pendingCount_ == kGridLanes) FlushPending();
  }

  void FlushPending() {
    if (pendingCount_ == 0) return;
    const int used = pendingCount_;
    for (int l = used; l < kGridLanes; ++l) {
      pendingModels_.models[l] = pendingModels_.models[0];
      pendingModels_.columns[l] = pendingModels_.columns[0];
      pendingX_[l] = pendingX_[0];
      pendingY_[l] = pendingY_[0];
    }
    std::array<WorldPoint, kGridLanes> starts{};
    for (int l = 0; l < kGridLanes; ++l) starts[static_cast<std::size_t>(l)] = {pendingX_[l], pendingY_[l]};
    LaneBatch<Step> b = MakeBatch(pendingModels_, starts, used, std::make_index_sequence<kGridLanes>());
    double lambda[kGridLanes];
    LyapunovLanes(b, s_.lyapunovIterations, s_.escape, lambda);
    for (int l = 0; l < used; ++l) {
      const std::size_t i = IndexOf(pendingModels_.columns[l]);
      if (b.escaped[l]) {
        Finish(i, -1, std::nan(""));
      } else {
        // No period decided and not chaotic: the orbit has not settled within the transient.
        const bool chaotic = lambda[l] > s_.chaosTolerance;
        Finish(i, chaotic && pendingValues_[l] == 0 ? 0 : kNotSettled, lambda[l]);
      }
    }
    pendingCount_ = 0;
  }

  void RunLyapunov(LaneBatch<Step>& b, const std::int32_t* columns) {
    AdvanceLanes(b, s_.transient, s_.escape);
    double lambda[kGridLanes];
    LyapunovLanes(b, s_.lyapunovIterations, s_.escape, lambda);
    for (int l = 0; l < b.used; ++l) {
      Finish(IndexOf(columns[l]), b.escaped[l] ? -1 : 0, b.escaped[l] ? std::nan("") : lambda[l]);
    }
  }

  void RunEscape(LaneBatch<Step>& b, const std::int32_t* columns) {
    std::int32_t first[kGridLanes];
    EscapeTimeLanes(b, s_.escapeIterations, s_.escape, first);
    for (int l = 0; l < b.used; ++l) {
      const std::size_t i = IndexOf(columns[l]);
      grid_.value[i] = first[l];
      grid_.done[i] = 1;
    }
  }

  void RunAttractor(LaneBatch<Step>& b, const std::int32_t* columns) {
    AdvanceAndRecord(b);
    for (int l = 0; l < b.used; ++l) {
      const std::size_t i = IndexOf(columns[l]);
      const double* x = WindowX(l);
      const double* y = WindowY(l);
      // An orbit not settled yet has no attractor of its own: "no period", as in files.
      const std::int32_t found = b.escaped[l] ? -1 : WindowPeriod(x, y, window_, Longest(), wrap_);
      const std::int32_t p = found == kNotSettled ? 0 : found;
      grid_.value[i] = p;
      grid_.representative[i] = p > 0 ? CycleRepresentative(x, y, window_, p) : WorldPoint{};
      grid_.done[i] = 1;
    }
  }

  void Finish(std::size_t i, std::int32_t value, double lambda) {
    grid_.value[i] = value;
    grid_.lambda1[i] = lambda;
    grid_.done[i] = 1;
  }

  const MappingModel& model_;
  const NativeUserMap* native_;
  GridValues& grid_;
  const GridSettings& s_;
  const std::int32_t row_;
  const std::int32_t window_;
  const CoordinateWrap wrap_;
  std::vector<double> wx_, wy_;
  Lanes lanes_;
  Lanes pendingModels_;
  double pendingX_[kGridLanes] = {};
  double pendingY_[kGridLanes] = {};
  std::int32_t pendingValues_[kGridLanes] = {};
  int pendingCount_ = 0;
};

template <class Step>
void ComputeWith(const MappingModel& model, const NativeUserMap* native, GridValues& grid, std::int32_t row,
                 const std::int32_t* columns, std::int32_t count) {
  RowComputer<Step>(model, native, grid, row).Compute(columns, count);
}

}  // namespace

bool GridNeedsOneThread(const MappingModel& model) noexcept {
  if (model.routine != &UserMapRoutine) return false;
  return !(model.userMap && model.userMap->Native());
}

void ComputeGridPixels(const MappingModel& model, GridValues& grid, std::int32_t row, const std::int32_t* columns,
                       std::int32_t count) {
  const IterationRoutine r = model.routine;
  if (r == &StandardMapRoutine) return ComputeWith<StandardMapStep>(model, nullptr, grid, row, columns, count);
  if (r == &HenonDcMapRoutine) return ComputeWith<HenonDcMapStep>(model, nullptr, grid, row, columns, count);
  if (r == &HyperbolicCRoutine) return ComputeWith<HyperbolicCStep>(model, nullptr, grid, row, columns, count);
  if (r == &HenonRotationRoutine) return ComputeWith<HenonRotationStep>(model, nullptr, grid, row, columns, count);
  if (r == &DimerizedChainsRoutine) return ComputeWith<DimerizedChainsStep>(model, nullptr, grid, row, columns, count);
  if (r == &VortexFlowRoutine) return ComputeWith<VortexFlowStep>(model, nullptr, grid, row, columns, count);
  if (r == &FermiSineRoutine) return ComputeWith<FermiSineStep>(model, nullptr, grid, row, columns, count);
  if (r == &FermiSawtoothRoutine) return ComputeWith<FermiSawtoothStep>(model, nullptr, grid, row, columns, count);
  if (r == &DoublyKickedRotatorRoutine) {
    return ComputeWith<DoublyKickedRotatorStep>(model, nullptr, grid, row, columns, count);
  }
  if (r == &WedgeMapRoutine) return ComputeWith<WedgeMapStep>(model, nullptr, grid, row, columns, count);
  if (r == &UserMapRoutine && model.userMap) {
    if (const std::shared_ptr<const NativeUserMap> native = model.userMap->Native()) {
      return ComputeWith<NativeStep>(model, native.get(), grid, row, columns, count);
    }
  }
  ComputeWith<RoutineStep>(model, nullptr, grid, row, columns, count);
}

template double CycleLyapunov<HenonDcMapStep>(const HenonDcMapStep&, const double*, const double*, std::int32_t,
                                              std::int32_t);

}  // namespace orbitra
