// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "explorer/orbitra_state.h"
#include "platform/canvas.h"
#include "platform/invalidation.h"
#include "platform/prompter.h"

namespace orbitra {

// The repaint of the mapping window, on a canvas of the window's client size: status
// text and mouse readout, then the light left-click branch, the light right-press branch
// or the full repaint (group run or boxes, replays and the requested run), then the
// served requests are cleared. The run's message boxes are shown through the prompter.
void RepaintMappingWindow(OrbitraState& state, Canvas& canvas, Prompter& prompter);

// "--Mouse--" and the mouse point's "xm=" and "ym=" below the status lines.
void DrawMouseReadout(const OrbitraState& state, Canvas& canvas);

// Mouse handlers, with client pixel coordinates. Each says how the window must repaint.
Invalidation OnLeftButtonDown(OrbitraState& state, int px, int py);
Invalidation OnLeftButtonDoubleClick(OrbitraState& state, int px, int py);
Invalidation OnRightButtonDown(OrbitraState& state, int px, int py);
Invalidation OnRightButtonUp(OrbitraState& state, int px, int py);

}  // namespace orbitra
