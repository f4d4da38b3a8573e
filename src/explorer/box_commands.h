// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "explorer/run_state.h"
#include "maps/mapping_model.h"
#include "platform/invalidation.h"
#include "platform/prompter.h"
#include "plot/plot_box.h"
#include "plot/plot_boxes.h"

namespace orbitra {

// The values of the "GBox settings" dialog, one per control.
struct BoxSettings {
  double Xmin = 0.0;
  double Xmax = 0.0;
  double Ymin = 0.0;
  double Ymax = 0.0;
  int LeftPct = 0;
  int TopPct = 0;
  int RightPct = 0;
  int BottomPct = 0;
  std::string Label;
  int Visible = 0;
  int FatBorder = 0;
  int ShowLabels = 0;
  int ShowTicks = 0;
  int RoundScales = 0;
  int TicksX = 0;
  int TicksY = 0;
  int TickWidthX = 0;
  int TickWidthY = 0;
  int DigitsX = 0;
  int DigitsY = 0;
  friend bool operator==(const BoxSettings&, const BoxSettings&) = default;
};

// The message of "Zoom in" when the last full repaint drew no zoom rectangle.
inline constexpr const char* kNoZoomRectangleMessage =
    "Rectangle are should be defined using scrolling with RightMouseButton";
// The message of "Zoom in" on a rectangle whose corners share a column or a row.
inline constexpr const char* kEmptyZoomRectangleMessage =
    "The zoom rectangle has no width or height; drag a larger rectangle with the right mouse button.";

// Whichever button closes "GBox settings", the window repaints from a cleared picture
// (so a zoom rectangle drawn before it is gone, as after any full repaint).
inline constexpr Invalidation kBoxDialogClosed = Invalidation::WithErase;

// Fills the dialog from a box.
BoxSettings ReadBoxSettings(const PlotBox& box);
// "OK" of the dialog: writes the values back in the box's fixed order (RoundScales first, so
// the range is rounded by the new setting; the percentages are validated). "Cancel" must not
// call this: it applies nothing.
Invalidation ApplyBoxSettings(PlotBox& box, const BoxSettings& values);

// "Show/Hide axis": toggles the coordinate axes of the phase plane.
Invalidation ShowHideAxis(PlotBoxes& boxes) noexcept;
// "Set current as default": the phase plane's range becomes the default range. Nothing to
// repaint.
Invalidation SetCurrentAsDefault(const PlotBoxes& boxes, MappingModel& model) noexcept;
// "Zoom in": the rectangle between the two zoom corners becomes the phase plane's range and
// the axes go off. Refused with a message, changing nothing, when the last full repaint drew
// no rectangle or the rectangle has no width or height.
Invalidation ZoomIn(PlotBoxes& boxes, const RunState& run, Prompter& prompter);
// "Zoom out": doubles the phase plane's range about its centre, each side held within the
// default range; an axis whose range lay wholly outside it takes the default range.
Invalidation ZoomOut(PlotBoxes& boxes, const MappingModel& model);
// "Zoom 1:1": every drawn box goes back to the default range (the evolution boxes to
// [0, Iterations] horizontally).
Invalidation ZoomOneToOne(PlotBoxes& boxes, const MappingModel& model, const RunState& run);

}  // namespace orbitra
