// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/box_ranges.h"

#include <string>

namespace orbitra {

void SetXRange(PlotBox& box, double xmin, double xmax) {
  const WorldRange current = box.GetRange();
  box.SetRange(xmin, current.Ymin, xmax, current.Ymax);
}

void ResetRangesToDefault(PlotBoxes& boxes, const WorldRange& defaultRange, int iterations) {
  const WorldRange& d = defaultRange;
  const double n = iterations;
  boxes.XYBox.SetRange(d.Xmin, d.Ymin, d.Xmax, d.Ymax);
  // The evolution boxes count iterations horizontally and carry x or y vertically.
  boxes.XBox.SetRange(0.0, d.Xmin, n, d.Xmax);
  boxes.YBox.SetRange(0.0, d.Ymin, n, d.Ymax);
}

void ApplyStartUpBoxSettings(PlotBoxes& boxes, std::string_view mappingName) {
  boxes.XYBox.SetScreenPercent(50, 5, 95, 50);
  boxes.XYBox.SetTicks(10, 10, 3, 1, 1, 1);
  boxes.XYBox.Label = std::string(mappingName);

  boxes.XBox.SetScreenPercent(10, 58, 95, 75);
  boxes.XBox.SetTicks(10, 5, 5, 1, 0, 1);
  boxes.XBox.Label.clear();

  boxes.YBox.SetScreenPercent(10, 78, 95, 95);
  boxes.YBox.SetTicks(10, 5, 5, 1, 0, 1);
  boxes.YBox.Label.clear();
}

}  // namespace orbitra
