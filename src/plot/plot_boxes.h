// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "plot/plot_box.h"

namespace orbitra {

// The four boxes and the flags kept with them.
struct PlotBoxes {
  PlotBox XYBox;  // the phase plane
  PlotBox XBox;   // x against the iteration number
  PlotBox YBox;   // y against the iteration number
  PlotBox GBox;   // kept and edited, never drawn
  int ShowAxes = 0;
  int ZoomRectDefined = 0;
};

}  // namespace orbitra
