#pragma once

#include "explorer/orbitra_state.h"
#include "platform/canvas.h"
#include "platform/prompter.h"

namespace orbitra {

inline constexpr const char* kEscapeMessage = " Escape to Infinity\n or Initials are out of valid range";
inline constexpr const char* kBufferFullMessage = "Buffer is Full";

// The full repaint of the picture: boxes, a freshly released zoom rectangle, the stored
// points, the counters reset unless the run continues, the initial point, the requested
// run and the status text. The canvas is the mapping window's whole client area.
void RedrawAndRun(OrbitraState& state, Canvas& canvas, Prompter& prompter);

// One run of Run.RunCount iterations from CurrentPoint in RunColour: every point is
// plotted, every iterate counted and (when storing, and inside the box if restricted)
// stored; escape beyond the "Infinity" value and a full buffer end the run with a message.
void RunOrbit(OrbitraState& state, Canvas& canvas, Prompter& prompter);

// The five status lines N, RTN, DTN, Buf and Dsk.
void DrawStatus(const OrbitraState& state, Canvas& canvas);

// With "Bold points" on, the initial point as a square in the run colour, clipped to the box.
void MarkInitialPoint(const RunState& run, const PlotBox& xyBox, Canvas& canvas);

// A run from a clicked world point: it becomes the mouse, current and initial point.
void RequestRunFrom(OrbitraState& state, double x, double y);

}  // namespace orbitra
