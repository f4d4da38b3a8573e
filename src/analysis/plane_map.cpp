// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/plane_map.h"

#include "maps/central_difference.h"
#include "maps/map_inverses.h"
#include "maps/map_routines.h"
#include "maps/map_steps.h"
#include "maps/user_map_evaluator.h"
#include "maps/user_map_wrap.h"

namespace orbitra {

namespace {

template <class Step>
PlaneMap BuiltIn(const MappingModel& model) {
  PlaneMap map(Step(model), WrapOfSystem(model.system));
  if (const IterationRoutine inverse = InverseRoutineOf(model)) {
    map.SetInverse([inverse, model](double x, double y) { return inverse(model, x, y); });
  }
  return map;
}

// A map evaluated at run time: the routine reads the model, so the step points into a
// copy that the PlaneMap keeps alive.
PlaneMap Evaluated(std::shared_ptr<const MappingModel> model) {
  struct KeptRoutineStep {
    std::shared_ptr<const MappingModel> model;
    RoutineStep step;
    MapImage operator()(double x, double y) const { return step(x, y); }
    MapJacobian Jacobian(double x, double y) const { return step.Jacobian(x, y); }
  };
  CoordinateWrap wrap = WrapOfSystem(model->system);
  // A typed map whose x' or y' is a mod as its outermost operation wraps as the built-in
  // maps with "mod 2pi" do.
  if (model->userMap) {
    if (const std::optional<UserMapProgram> program = model->userMap->Program()) {
      wrap = WrapOfUserMapProgram(*program, model->k1, model->k2, model->k3, model->k4);
    }
  }
  const RoutineStep step{model.get(), model->routine, wrap};
  PlaneMap map(KeptRoutineStep{model, step}, step.wrap);
  map.SetConcurrent(false);
  return map;
}

}  // namespace

PlaneMap PlaneMapOf(const MappingModel& model, const UserMapDefinition* definition) {
  const IterationRoutine r = model.routine;
  if (r == &StandardMapRoutine) return BuiltIn<StandardMapStep>(model);
  if (r == &HenonDcMapRoutine) return BuiltIn<HenonDcMapStep>(model);
  if (r == &HyperbolicCRoutine) return BuiltIn<HyperbolicCStep>(model);
  if (r == &HenonRotationRoutine) return BuiltIn<HenonRotationStep>(model);
  if (r == &DimerizedChainsRoutine) return BuiltIn<DimerizedChainsStep>(model);
  if (r == &VortexFlowRoutine) return BuiltIn<VortexFlowStep>(model);
  if (r == &FermiSineRoutine) return BuiltIn<FermiSineStep>(model);
  if (r == &FermiSawtoothRoutine) return BuiltIn<FermiSawtoothStep>(model);
  if (r == &DoublyKickedRotatorRoutine) return BuiltIn<DoublyKickedRotatorStep>(model);
  if (r == &WedgeMapRoutine) return BuiltIn<WedgeMapStep>(model);
  auto copy = std::make_shared<MappingModel>(model);
  if (definition) {
    UserMapCompilation compiled = CompileUserMap(*definition);
    if (compiled.evaluator) copy->userMap = std::move(compiled.evaluator);
  }
  return Evaluated(std::move(copy));
}

}  // namespace orbitra
