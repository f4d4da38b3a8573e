#pragma once

#include "explorer/orbit_run.h"
#include "explorer/orbitra_state.h"
#include "platform/canvas.h"
#include "platform/prompter.h"

namespace orbitra {

// One run of Run.RunCount iterations from CurrentPoint, in one go (see OrbitRun).
void RunOrbit(OrbitraState& state, Canvas& canvas, Prompter& prompter);

// A run from a clicked world point: it becomes the mouse, current and initial point.
void RequestRunFrom(OrbitraState& state, double x, double y);

}  // namespace orbitra
