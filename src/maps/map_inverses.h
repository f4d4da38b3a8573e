// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "maps/mapping_model.h"

namespace orbitra {

// Inverses of the built-in maps that have one in closed form, beside their routines: the
// point whose image is (x, y), with the model's parameters. A map that reduces a
// coordinate modulo a period gives the preimage reduced the same way.
MapImage StandardMapInverse(const MappingModel& m, double x, double y);
MapImage HenonDcMapInverse(const MappingModel& m, double x, double y);  // needs k2 and k3 not 0
MapImage HenonRotationInverse(const MappingModel& m, double x, double y);
MapImage DimerizedChainsInverse(const MappingModel& m, double x, double y);
MapImage DoublyKickedRotatorInverse(const MappingModel& m, double x, double y);

// The closed-form inverse of the model's map, or null where it has none (the other maps,
// a Henon D-C Map with k2 or k3 zero, which is not invertible, and the user's maps).
IterationRoutine InverseRoutineOf(const MappingModel& model) noexcept;

}  // namespace orbitra
