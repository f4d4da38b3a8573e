// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "maps/mapping_catalogue.h"

namespace orbitra::testing {

// Built-in map t with the given parameters (the rest of its catalogue defaults).
inline MappingModel MapModel(int t, double k1, double k2 = 0.0, double k3 = 0.0, double k4 = 0.0) {
  MappingModel m;
  SelectSystemWithDefaults(m, t);
  m.k1 = k1;
  m.k2 = k2;
  m.k3 = k3;
  m.k4 = k4;
  return m;
}

}  // namespace orbitra::testing
