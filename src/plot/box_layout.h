// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/canvas.h"
#include "plot/plot_boxes.h"

namespace orbitra {

// The first drawing step of a full repaint: lays out and draws the boxes of a display mode
// in the client rectangle. Mode 0 draws the phase plane alone, mode 1 the phase plane above
// the X and Y evolution boxes; the phase plane gets the coordinate axes when ShowAxes is
// set. Any other mode draws nothing.
void DrawBoxes(PlotBoxes& boxes, int displayMode, Canvas& canvas, int left, int top, int right, int bottom);

}  // namespace orbitra
