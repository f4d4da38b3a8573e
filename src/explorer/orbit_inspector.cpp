// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/orbit_inspector.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/area_preservation.h"

namespace orbitra {

OrbitInspector::OrbitInspector() : ring_(std::make_unique<WorldPoint[]>(kRecentCapacity)) {}

bool OrbitInspector::SameMap(const MappingModel& model) const noexcept {
  return system_ == model.system && routine_ == model.routine && userMap_ == model.userMap &&
         k_ == std::array{model.k1, model.k2, model.k3, model.k4};
}

OrbitObserver OrbitInspector::BeginRun(const MappingModel& model, WorldPoint from, bool continuing) {
  const bool carriesOn = continuing && following_ && SameMap(model) && CurrentPoint() == from;
  if (!carriesOn) {
    following_ = true;
    system_ = model.system;
    routine_ = model.routine;
    userMap_ = model.userMap;
    k_ = {model.k1, model.k2, model.k3, model.k4};
    wrap_ = WrapOfSystem(model.system);
    model_ = model;
    const PlaneMap map = PlaneMapOf(model);
    analysisWrap_ = map.Wrap();
    areaPreserving_ = PreservesArea(map, model.DefaultRange);
    initial_ = from;
    lyapunov_ = LyapunovAccumulator{};
    ring_[0] = from;
    count_ = 1;
  }
  escaped_ = false;
  OrbitObserver observer;
  observer.lyapunov_ = lyapunov_;
  observer.ring_ = ring_.get();
  observer.count_ = count_;
  return observer;
}

void OrbitInspector::Commit(const OrbitObserver& observer) noexcept {
  lyapunov_ = observer.lyapunov_;
  count_ = observer.count_;
  escaped_ = observer.escaped_;
}

WorldPoint OrbitInspector::CurrentPoint() const noexcept {
  return count_ == 0 ? initial_ : Recent().Back(0);
}

LyapunovEstimate OrbitInspector::Exponents() const noexcept {
  LyapunovEstimate e = lyapunov_.Estimate();
  if (areaPreserving_ && e.gap1 == ExponentGap::None && std::isfinite(e.lambda1)) {
    e.lambda2 = 0.0 - e.lambda1;  // never -0
    e.meanLogDet = 0.0;
    e.gap2 = ExponentGap::None;
    e.gapDet = ExponentGap::None;
  }
  return e;
}

RotationNumber OrbitInspector::Rotation() const {
  const RecentPoints recent = Recent();
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count_, kRecentCapacity));
  if (!following_ || n < 2) return {};
  std::vector<WorldPoint> points(n);
  WorldPoint mean{0.0, 0.0};
  for (std::size_t i = 0; i < n; ++i) {
    points[i] = recent.Back(n - 1 - i);
    mean.x += points[i].x / static_cast<double>(n);
    mean.y += points[i].y / static_cast<double>(n);
  }
  if (chosenCentre_) return RotationNumberOf(points.data(), n, analysisWrap_, chosenCentre_);
  if (analysisWrap_.x > 0.0) return RotationNumberOf(points.data(), n, analysisWrap_);
  const PlaneMap map = PlaneMapOf(model_);
  const WorldRange& r = model_.DefaultRange;
  const double reach = std::max(0.125 * std::hypot(r.Xmax - r.Xmin, r.Ymax - r.Ymin), 1e-6);
  const std::optional<WorldPoint> centre = EllipticFixedPointNear(map, mean, reach);
  if (!centre) return {RotationKind::Winding, NAN, 0, {}};
  return RotationNumberOf(points.data(), n, analysisWrap_, centre);
}

PeriodFinding OrbitInspector::Period() const noexcept { return FindPeriod(Recent(), wrap_); }

}  // namespace orbitra
