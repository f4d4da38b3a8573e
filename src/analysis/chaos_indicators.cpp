// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/chaos_indicators.h"

#include <algorithm>
#include <array>
#include <type_traits>

#include "analysis/inline_log.h"
#include "analysis/periodic_orbits.h"
#include "analysis/plane_map.h"
#include "analysis/rotation_number.h"
#include "maps/central_difference.h"
#include "maps/map_routines.h"
#include "maps/map_steps.h"
#include "maps/native_steps.h"
#include "maps/user_map_evaluator.h"

namespace orbitra {

namespace {

constexpr int kLanes = 8;
// Iterations between renormalisations of the tangent vector.
constexpr std::int32_t kBlock = 16;
constexpr double kLn10 = 2.302585092994046;
constexpr double kTwoPiTurn = 6.283185307179586;

template <class Step>
Step LaneStep(const MappingModel& model, const NativeUserMap* native, CoordinateWrap wrap) {
  if constexpr (std::is_same_v<Step, RoutineStep>) {
    return RoutineStep{&model, model.routine, wrap};
  } else if constexpr (std::is_same_v<Step, NativeStep>) {
    return NativeStep(*native, model, wrap);
  } else {
    (void)native;
    (void)wrap;
    return Step(model);
  }
}

inline bool Outside(double x, double y, double escape) noexcept { return !(x * x + y * y <= escape); }

// The values of `used` lanes (the rest repeat lane 0) from their initial points.
template <class Step, PhaseColouring C>
void IndicatorLanes(const Step& step, const PhaseSpaceSettings& s, const double* x0, const double* y0, int used,
                    double* out) {
  double x[kLanes], y[kLanes];
  std::uint8_t escaped[kLanes];
  for (int l = 0; l < kLanes; ++l) {
    const int from = l < used ? l : 0;
    x[l] = x0[from], y[l] = y0[from], escaped[l] = 0;
  }
  for (std::int32_t n = 0; n < s.transient; ++n) {
    for (int l = 0; l < kLanes; ++l) {
      const MapImage m = step(x[l], y[l]);
      x[l] = m.x, y[l] = m.y;
      escaped[l] |= static_cast<std::uint8_t>(Outside(m.x, m.y, s.escape));
    }
  }
  const std::int32_t n = s.iterations;
  if constexpr (C == PhaseColouring::Rotation) {
    const bool lifted = s.wrap.x > 0.0;
    const double period = s.wrap.x;
    double sum[kLanes] = {};
    for (std::int32_t k = 0; k < n; ++k) {
      for (int l = 0; l < kLanes; ++l) {
        const MapImage m = step(x[l], y[l]);
        if (lifted) {
          double d = std::fmod(m.x - x[l], period);
          sum[l] += d < 0.0 ? d + period : d;
        } else {
          const auto shortWay = [](double d, double p) { return p > 0.0 ? d - p * std::round(d / p) : d; };
          const double ax = shortWay(x[l] - s.centre.x, s.wrap.x), ay = shortWay(y[l] - s.centre.y, s.wrap.y);
          const double bx = shortWay(m.x - s.centre.x, s.wrap.x), by = shortWay(m.y - s.centre.y, s.wrap.y);
          sum[l] += std::atan2(ax * by - ay * bx, ax * bx + ay * by);
        }
        x[l] = m.x, y[l] = m.y;
        escaped[l] |= static_cast<std::uint8_t>(Outside(m.x, m.y, s.escape));
      }
    }
    const double turn = lifted ? period : kTwoPiTurn;
    for (int l = 0; l < used; ++l) out[l] = escaped[l] ? NAN : sum[l] / (static_cast<double>(n) * turn);
  } else {
    double wx[kLanes], wy[kLanes], logScale[kLanes], previous[kLanes], weighted[kLanes], sumY[kLanes], largest[kLanes];
    for (int l = 0; l < kLanes; ++l) {
      wx[l] = 0.6, wy[l] = 0.8, logScale[l] = 0.0, previous[l] = 0.0, weighted[l] = 0.0, sumY[l] = 0.0;
      largest[l] = 0.0;
    }
    for (std::int32_t done = 0; done < n;) {
      const std::int32_t chunk = std::min(kBlock, n - done);
      double blockLargest[kLanes], size[kLanes] = {};
      for (int l = 0; l < kLanes; ++l) blockLargest[l] = 1.0;  // |w|^2 at the block's start
      for (std::int32_t k = 0; k < chunk; ++k) {
        const double count = static_cast<double>(done + k + 1);
        const double perCount = 1.0 / count;  // one division for all lanes
        for (int l = 0; l < kLanes; ++l) {
          const MapJacobian j = step.Jacobian(x[l], y[l]);
          const double tx = j.dxdx * wx[l] + j.dxdy * wy[l];
          const double ty = j.dydx * wx[l] + j.dydy * wy[l];
          wx[l] = tx, wy[l] = ty;
          const MapImage m = step(x[l], y[l]);
          x[l] = m.x, y[l] = m.y;
          escaped[l] |= static_cast<std::uint8_t>(Outside(m.x, m.y, s.escape));
          size[l] = tx * tx + ty * ty;
          if constexpr (C == PhaseColouring::Fli) blockLargest[l] = std::max(blockLargest[l], size[l]);
        }
        if constexpr (C == PhaseColouring::Megno) {
          // Apart from the map's calls, so that the lanes' logarithms share vector registers.
          double logSize[kLanes];
          InlineLogs(size, logSize);
          for (int l = 0; l < kLanes; ++l) {
            // L_k = ln|w_k|; sum_k k (L_k - L_(k-1)) and the sum of Y(n) / 2 so far.
            const double logLength = logScale[l] + 0.5 * logSize[l];
            weighted[l] += count * (logLength - previous[l]);
            previous[l] = logLength;
            sumY[l] += weighted[l] * perCount;
          }
        }
      }
      done += chunk;
      // size holds |w|^2 at the block's end: ln|w| is half its logarithm, the same number
      // MEGNO's last L_k took.
      double logSize[kLanes];
      InlineLogs(size, logSize);
      for (int l = 0; l < kLanes; ++l) {
        if constexpr (C == PhaseColouring::Fli) {
          largest[l] = std::max(largest[l], logScale[l] + 0.5 * std::log(blockLargest[l]));
        }
        const double length = std::sqrt(size[l]);
        const bool usable = length > 0.0 && length < HUGE_VAL;
        logScale[l] += 0.5 * logSize[l];
        wx[l] = usable ? wx[l] / length : 0.6;
        wy[l] = usable ? wy[l] / length : 0.8;
      }
    }
    for (int l = 0; l < used; ++l) {
      double v = NAN;
      if (C == PhaseColouring::Lyapunov) v = logScale[l] / static_cast<double>(n);
      if (C == PhaseColouring::Fli) v = largest[l] / kLn10;
      if (C == PhaseColouring::Megno) v = 2.0 * sumY[l] / static_cast<double>(n);
      out[l] = escaped[l] || !std::isfinite(logScale[l]) ? NAN : v;
    }
  }
}

template <class Step>
void Lanes(const Step& step, const PhaseSpaceSettings& s, const double* x, const double* y, int used, double* out) {
  switch (s.colouring) {
    case PhaseColouring::Fli: return IndicatorLanes<Step, PhaseColouring::Fli>(step, s, x, y, used, out);
    case PhaseColouring::Megno: return IndicatorLanes<Step, PhaseColouring::Megno>(step, s, x, y, used, out);
    case PhaseColouring::Lyapunov: return IndicatorLanes<Step, PhaseColouring::Lyapunov>(step, s, x, y, used, out);
    case PhaseColouring::Rotation: return IndicatorLanes<Step, PhaseColouring::Rotation>(step, s, x, y, used, out);
  }
}

// Runs `f` with the model's step: a built-in map's own type, a typed map's machine code,
// or its routine.
template <class F>
void WithStep(const MappingModel& model, CoordinateWrap wrap, F&& f) {
  const IterationRoutine r = model.routine;
  if (r == &StandardMapRoutine) return f(StandardMapStep(model));
  if (r == &HenonDcMapRoutine) return f(HenonDcMapStep(model));
  if (r == &HyperbolicCRoutine) return f(HyperbolicCStep(model));
  if (r == &HenonRotationRoutine) return f(HenonRotationStep(model));
  if (r == &DimerizedChainsRoutine) return f(DimerizedChainsStep(model));
  if (r == &VortexFlowRoutine) return f(VortexFlowStep(model));
  if (r == &FermiSineRoutine) return f(FermiSineStep(model));
  if (r == &FermiSawtoothRoutine) return f(FermiSawtoothStep(model));
  if (r == &DoublyKickedRotatorRoutine) return f(DoublyKickedRotatorStep(model));
  if (r == &WedgeMapRoutine) return f(WedgeMapStep(model));
  if (r == &UserMapRoutine && model.userMap) {
    if (const std::shared_ptr<const NativeUserMap> native = model.userMap->Native()) {
      return f(LaneStep<NativeStep>(model, native.get(), wrap));
    }
  }
  f(LaneStep<RoutineStep>(model, nullptr, wrap));
}

}  // namespace

std::string_view PhaseColouringName(PhaseColouring c) noexcept {
  switch (c) {
    case PhaseColouring::Fli: return "fli";
    case PhaseColouring::Megno: return "megno";
    case PhaseColouring::Lyapunov: return "lyapunov";
    case PhaseColouring::Rotation: return "rotation";
  }
  return "megno";
}

std::optional<PhaseColouring> PhaseColouringNamed(std::string_view name) noexcept {
  for (const PhaseColouring c :
       {PhaseColouring::Fli, PhaseColouring::Megno, PhaseColouring::Lyapunov, PhaseColouring::Rotation}) {
    if (PhaseColouringName(c) == name) return c;
  }
  return std::nullopt;
}

PhaseSpaceValues::PhaseSpaceValues(const PhaseSpaceSettings& s, RowBand band)
    : settings(s), rows(band),
      value(static_cast<std::size_t>(s.width) * static_cast<std::size_t>(band.count), NAN),
      done(value.size(), 0) {}

void ComputePhaseSpaceRow(const MappingModel& model, PhaseSpaceValues& values, std::int32_t row,
                          std::atomic<std::int64_t>* pixelsDone) {
  const PhaseSpaceSettings& s = values.settings;
  const double y = CellCentre(s.range.Ymin, s.range.Ymax, s.height, row);
  WithStep(model, s.wrap, [&](const auto& step) {
    double xs[kLanes], ys[kLanes], out[kLanes];
    for (std::int32_t first = 0; first < s.width; first += kLanes) {
      const int used = static_cast<int>(std::min<std::int32_t>(kLanes, s.width - first));
      for (int l = 0; l < used; ++l) {
        xs[l] = CellCentre(s.range.Xmin, s.range.Xmax, s.width, first + l);
        ys[l] = y;
      }
      Lanes(step, s, xs, ys, used, out);
      for (int l = 0; l < used; ++l) {
        const std::size_t i = values.Index(first + l, row);
        values.value[i] = out[l];
        values.done[i] = 1;
      }
      if (pixelsDone) pixelsDone->fetch_add(used, std::memory_order_relaxed);
    }
  });
}

double PhaseSpaceValueAt(const MappingModel& model, const PhaseSpaceSettings& settings, WorldPoint from) {
  double out = NAN;
  WithStep(model, settings.wrap, [&](const auto& step) {
    double value[kLanes];
    Lanes(step, settings, &from.x, &from.y, 1, value);
    out = value[0];
  });
  return out;
}

void TakeMapGeometry(const MappingModel& model, PhaseSpaceSettings& settings, WorkerPool& pool) {
  const PlaneMap map = PlaneMapOf(model);
  settings.wrap = map.Wrap();
  const WorldRange& r = settings.range;
  const WorldPoint middle{0.5 * (r.Xmin + r.Xmax), 0.5 * (r.Ymin + r.Ymax)};
  settings.centre = middle;
  if (settings.colouring != PhaseColouring::Rotation || settings.wrap.x > 0.0) return;
  PeriodicOrbitSearch search;
  search.maxPeriod = 1;
  search.region = r;
  search.gridSide = 16;
  search.orbitSeeds = 0;
  double best = HUGE_VAL;
  for (const PeriodicOrbit& o : FindPeriodicOrbits(map, search, pool)) {
    if (o.stability.kind != OrbitClass::Elliptic) continue;
    const WorldPoint d = map.Difference(o.points[0], middle);
    const double distance = std::hypot(d.x, d.y);
    if (distance < best) best = distance, settings.centre = o.points[0];
  }
}

PhaseSpaceSweep::PhaseSpaceSweep(const MappingModel& model, const PhaseSpaceSettings& settings, RowBand rows)
    : model_(model), values_(settings, rows), rowDone_(static_cast<std::size_t>(rows.count), 0),
      oneAtATime_(model.routine == &UserMapRoutine && !(model.userMap && model.userMap->Native())) {}

void PhaseSpaceSweep::Start(WorkerPool& pool) {
  std::vector<std::int64_t> order;
  for (std::int32_t r = 0; r < values_.rows.count; ++r) {
    if (!rowDone_[static_cast<std::size_t>(r)]) order.push_back(r);
  }
  pool.Start(std::move(order), [this](std::int64_t unit, std::stop_token stop) { return RunUnit(unit, stop); });
}

void PhaseSpaceSweep::Run(WorkerPool& pool) {
  Start(pool);
  pool.Wait();
}

bool PhaseSpaceSweep::RunUnit(std::int64_t unit, const std::stop_token& stop) {
  if (stop.stop_requested()) return false;
  const std::int32_t row = values_.rows.first + static_cast<std::int32_t>(unit);
  {
    std::unique_lock<std::mutex> lock(evaluate_, std::defer_lock);
    if (oneAtATime_) lock.lock();
    ComputePhaseSpaceRow(model_, values_, row);
  }
  rowDone_[static_cast<std::size_t>(unit)] = 1;
  rowsDone_.fetch_add(1, std::memory_order_relaxed);
  const std::lock_guard lock(events_);
  finished_.push_back(row);
  return true;
}

std::vector<std::int32_t> PhaseSpaceSweep::TakeFinished() {
  std::vector<std::int32_t> rows;
  const std::lock_guard lock(events_);
  rows.swap(finished_);
  return rows;
}

}  // namespace orbitra
