// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "explorer/orbit_run.h"
#include "explorer/orbitra_state.h"
#include "platform/canvas.h"
#include "platform/prompter.h"

namespace orbitra {

// One run of Run.RunCount iterations from CurrentPoint, in one go (see OrbitRun).
void RunOrbit(OrbitraState& state, Canvas& canvas, Prompter& prompter);

// With "Bold points" on, the initial point as a square in the run colour, clipped to the box;
// nothing on a canvas that shows no marks (a plot-only picture).
void MarkInitialPoint(const RunState& run, const PlotBox& xyBox, Canvas& canvas);

// A run from a clicked world point: it becomes the mouse, current and initial point.
void RequestRunFrom(OrbitraState& state, double x, double y);

}  // namespace orbitra
