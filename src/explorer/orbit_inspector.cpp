// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/orbit_inspector.h"

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

PeriodFinding OrbitInspector::Period() const noexcept { return FindPeriod(Recent(), wrap_); }

}  // namespace orbitra
