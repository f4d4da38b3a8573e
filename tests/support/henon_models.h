// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "maps/map_routines.h"
#include "maps/user_map_evaluator.h"
#include "maps/user_map_table.h"
#include "support/map_model.h"

namespace orbitra::testing {

// The Henon D-C Map 1.4 / 0.3 / k3 = 1, built in.
inline MappingModel BuiltInHenon() { return MapModel(2, 1.4, 0.3, 1.0); }

// The same map typed as a user's map, and its definition.
inline UserMapDefinition TypedHenonDefinition() {
  UserMapDefinition d;
  d.name = "Typed Henon";
  d.xFormula = "1 - k1*x*x + k3*y";
  d.yFormula = "k2*x";
  d.k1 = 1.4;
  d.k2 = 0.3;
  d.k3 = 1.0;
  return d;
}

inline MappingModel TypedHenon() {
  MappingModel m;
  m.system = kFirstUserSystem;
  m.k1 = 1.4;
  m.k2 = 0.3;
  m.k3 = 1.0;
  m.routine = &UserMapRoutine;
  m.userMap = MakeUserMap(TypedHenonDefinition()).map->evaluator;
  return m;
}

}  // namespace orbitra::testing
