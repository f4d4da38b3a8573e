// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/box_commands.h"

#include <algorithm>

#include "plot/box_ranges.h"

namespace orbitra {

BoxSettings ReadBoxSettings(const PlotBox& box) {
  BoxSettings v;
  const WorldRange range = box.GetRange();
  v.Xmin = range.Xmin;
  v.Xmax = range.Xmax;
  v.Ymin = range.Ymin;
  v.Ymax = range.Ymax;
  box.GetScreenPercent(v.LeftPct, v.TopPct, v.RightPct, v.BottomPct);
  v.Label = box.Label;
  v.Visible = box.Visible;
  v.FatBorder = box.FatBorder;
  v.ShowLabels = box.ShowLabels;
  v.ShowTicks = box.ShowTicks;
  v.RoundScales = box.RoundScales;
  box.GetTicks(v.TicksX, v.TicksY, v.TickWidthX, v.TickWidthY, v.DigitsX, v.DigitsY);
  return v;
}

Invalidation ApplyBoxSettings(PlotBox& box, const BoxSettings& v) {
  // RoundScales comes first so that the range is rounded by the new setting.
  box.RoundScales = v.RoundScales;
  box.SetScreenPercent(v.LeftPct, v.TopPct, v.RightPct, v.BottomPct);
  box.SetRange(v.Xmin, v.Ymin, v.Xmax, v.Ymax);
  box.Label = v.Label;
  box.Visible = v.Visible;
  box.ShowLabels = v.ShowLabels;
  box.ShowTicks = v.ShowTicks;
  box.FatBorder = v.FatBorder;
  box.SetTicks(v.TicksX, v.TicksY, v.TickWidthX, v.TickWidthY, v.DigitsX, v.DigitsY);
  return Invalidation::WithErase;
}

Invalidation ShowHideAxis(PlotBoxes& boxes) noexcept {
  boxes.ShowAxes = boxes.ShowAxes == 0 ? 1 : 0;
  return Invalidation::WithErase;
}

Invalidation SetCurrentAsDefault(const PlotBoxes& boxes, MappingModel& model) noexcept {
  model.DefaultRange = boxes.XYBox.GetRange();
  return Invalidation::None;
}

Invalidation ZoomIn(PlotBoxes& boxes, const RunState& run, Prompter& prompter) {
  // Only the full repaint that drew a freshly released rectangle leaves this set.
  if (boxes.ZoomRectDefined == 0) {
    prompter.ShowMessage(kNoZoomRectangleMessage);
    return Invalidation::None;
  }
  const WorldPoint& a = run.Mouse.ZoomCorner1;
  const WorldPoint& b = run.Mouse.ZoomCorner2;
  // The rectangle may have been dragged in any direction.
  const double xmin = std::min(a.x, b.x), xmax = std::max(a.x, b.x);
  const double ymin = std::min(a.y, b.y), ymax = std::max(a.y, b.y);
  // Corners on one column or row would give a range without extent, which shows nothing.
  if (!(xmax > xmin) || !(ymax > ymin)) {
    prompter.ShowMessage(kEmptyZoomRectangleMessage);
    return Invalidation::None;
  }
  boxes.XYBox.SetRange(xmin, ymin, xmax, ymax);
  boxes.ShowAxes = 0;
  return Invalidation::WithErase;
}

Invalidation ZoomOut(PlotBoxes& boxes, const MappingModel& model) {
  const WorldRange r = boxes.XYBox.GetRange();
  const WorldRange& d = model.DefaultRange;
  const double h = (r.Xmax - r.Xmin) * 0.5;
  const double k = (r.Ymax - r.Ymin) * 0.5;
  // Each side is held within the default range on its own, so a range that already meets
  // it on one side keeps growing on the others.
  double xmin = r.Xmin - h, xmax = r.Xmax + h, ymin = r.Ymin - k, ymax = r.Ymax + k;
  if (xmin < d.Xmin) xmin = d.Xmin;
  if (xmax > d.Xmax) xmax = d.Xmax;
  if (ymin < d.Ymin) ymin = d.Ymin;
  if (ymax > d.Ymax) ymax = d.Ymax;
  // A range that lay wholly outside the default range would come out inverted: it is cut
  // back to the default range on that axis.
  if (!(xmin < xmax)) {
    xmin = d.Xmin;
    xmax = d.Xmax;
  }
  if (!(ymin < ymax)) {
    ymin = d.Ymin;
    ymax = d.Ymax;
  }
  boxes.XYBox.SetRange(xmin, ymin, xmax, ymax);
  return Invalidation::WithErase;
}

Invalidation ZoomOneToOne(PlotBoxes& boxes, const MappingModel& model, const RunState& run) {
  ResetRangesToDefault(boxes, model.DefaultRange, run.Settings.Iterations);
  return Invalidation::WithErase;
}

}  // namespace orbitra
