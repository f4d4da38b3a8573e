// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/box_layout.h"

namespace orbitra {

void DrawBoxes(PlotBoxes& boxes, int displayMode, Canvas& canvas, int left, int top, int right, int bottom) {
  if (displayMode != 0 && displayMode != 1) return;
  // The phase plane's place is fixed by the mode; the evolution boxes keep what start-up or
  // their dialog gave them.
  if (displayMode == 1) {
    boxes.XYBox.SetScreenPercent(50, 5, 95, 50);
  } else {
    boxes.XYBox.SetScreenPercent(30, 10, 99, 90);
  }
  boxes.XYBox.Draw(canvas, left, top, right, bottom);
  if (boxes.ShowAxes != 0) boxes.XYBox.DrawAxisLines(canvas, 0.0, 0.0);
  if (displayMode == 1) {
    boxes.XBox.Draw(canvas, left, top, right, bottom);
    boxes.YBox.Draw(canvas, left, top, right, bottom);
  }
}

}  // namespace orbitra
