// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "explorer/orbitra_state.h"
#include "platform/invalidation.h"

namespace orbitra {

// "Start run": a new run of Iterations from the initial point.
Invalidation StartRun(OrbitraState& state);
// "Continue " and the toolbar's "Continue iterations".
Invalidation ContinueTrajectory(OrbitraState& state);
// "Refresh": redraw from the stored points, run nothing.
Invalidation RefreshView(OrbitraState& state);

}  // namespace orbitra
