// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <functional>
#include <memory>

#include "maps/coordinate_wrap.h"
#include "maps/map_jacobian.h"
#include "maps/mapping_model.h"
#include "maps/user_map_definition.h"
#include "maps/world_geometry.h"

namespace orbitra {

// A map as the analysis sees it: its image, its Jacobian, the periods it reduces by and,
// where it has one in closed form, its inverse. Built from any step type with
// `Jacobian(x, y)`, so a step's own derivatives (exact where the step has them) are the
// ones used. Calls go through one indirection, which costs little next to the linear
// algebra around them.
class PlaneMap {
 public:
  template <class Step>
  PlaneMap(Step step, CoordinateWrap wrap)
      : image_([step](double x, double y) { return step(x, y); }),
        jacobian_([step](double x, double y) { return step.Jacobian(x, y); }),
        wrap_(wrap) {}

  MapImage operator()(double x, double y) const { return image_(x, y); }
  MapJacobian Jacobian(double x, double y) const { return jacobian_(x, y); }
  CoordinateWrap Wrap() const noexcept { return wrap_; }

  bool HasInverse() const noexcept { return static_cast<bool>(inverse_); }
  MapImage Inverse(double x, double y) const { return inverse_(x, y); }
  void SetInverse(std::function<MapImage(double, double)> inverse) { inverse_ = std::move(inverse); }

  // Whether several threads may evaluate it at once (not a user's map: its evaluator
  // serves one caller at a time).
  bool Concurrent() const noexcept { return concurrent_; }
  void SetConcurrent(bool concurrent) noexcept { concurrent_ = concurrent; }

  // b - a, each coordinate the short way round where the map reduces it.
  WorldPoint Difference(WorldPoint b, WorldPoint a) const noexcept {
    return {ShortWay(b.x - a.x, wrap_.x), ShortWay(b.y - a.y, wrap_.y)};
  }
  // A point brought into [0, period) where the map reduces that coordinate.
  WorldPoint Reduced(WorldPoint p) const noexcept { return {Reduce(p.x, wrap_.x), Reduce(p.y, wrap_.y)}; }

 private:
  static double ShortWay(double d, double period) noexcept {
    return period > 0.0 ? d - period * std::round(d / period) : d;
  }
  static double Reduce(double v, double period) noexcept {
    if (period <= 0.0) return v;
    const double r = v - period * std::floor(v / period);
    return r >= period ? 0.0 : r;
  }

  std::function<MapImage(double, double)> image_;
  std::function<MapImage(double, double)> inverse_;
  std::function<MapJacobian(double, double)> jacobian_;
  CoordinateWrap wrap_;
  bool concurrent_ = true;
};

// The model's map as a PlaneMap: a built-in map through its step type and its closed-form
// inverse if it has one; a user's map through its routine with the model's parameters.
// For a user's map give its definition: the analysis then evaluates a compilation of its
// own, so it never shares the evaluator a run of the window uses.
PlaneMap PlaneMapOf(const MappingModel& model, const UserMapDefinition* definition = nullptr);

}  // namespace orbitra
