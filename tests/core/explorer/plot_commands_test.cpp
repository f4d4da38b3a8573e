// SPDX-License-Identifier: GPL-3.0-or-later
// The box commands: axes, default range, zoom in, out and 1:1, and the box dialog's values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "explorer/box_commands.h"
#include "plot/box_ranges.h"
#include "support/scripted_prompter.h"

namespace orbitra {
namespace {

const std::string kNoRectangle = "Rectangle are should be defined using scrolling with RightMouseButton";

class BoxCommands : public ::testing::Test {
 protected:
  BoxCommands() {
    model.DefaultRange = WorldRange{0, 7, 0, 7};
    ResetRangesToDefault(boxes, model.DefaultRange, run.Settings.Iterations);
  }

  // A right-button drag from one world point to another, drawn by the last full repaint.
  void DragZoomRectangle(WorldPoint press, WorldPoint release) {
    run.Mouse.ZoomCorner1 = press;
    run.Mouse.ZoomCorner2 = release;
    boxes.ZoomRectDefined = 1;
  }

  void SetPhasePlane(double xmin, double ymin, double xmax, double ymax) {
    boxes.XYBox.Xmin = xmin;
    boxes.XYBox.Ymin = ymin;
    boxes.XYBox.Xmax = xmax;
    boxes.XYBox.Ymax = ymax;
  }

  // The phase plane's range after each of `times` "Zoom out", as (Xmin, Xmax) pairs; the
  // vertical range must follow the same steps.
  std::vector<std::pair<double, double>> ZoomOutSteps(int times) {
    std::vector<std::pair<double, double>> steps;
    for (int i = 0; i < times; ++i) {
      EXPECT_EQ(ZoomOut(boxes, model), Invalidation::WithErase);
      EXPECT_EQ(boxes.XYBox.Ymin, boxes.XYBox.Xmin);
      EXPECT_EQ(boxes.XYBox.Ymax, boxes.XYBox.Xmax);
      steps.emplace_back(boxes.XYBox.Xmin, boxes.XYBox.Xmax);
    }
    return steps;
  }

  PlotBoxes boxes;
  MappingModel model;
  RunState run;
  testing::ScriptedPrompter prompter;
};

using Steps = std::vector<std::pair<double, double>>;

TEST_F(BoxCommands, ZoomInTakesTheRectangleInAnyDirectionAndTurnsTheAxesOff) {
  boxes.ShowAxes = 1;
  DragZoomRectangle({5, 1}, {2, 4});
  EXPECT_EQ(ZoomIn(boxes, run, prompter), Invalidation::WithErase);
  EXPECT_EQ(boxes.XYBox.GetRange(), (WorldRange{2, 5, 1, 4}));
  EXPECT_EQ(boxes.ShowAxes, 0);
  EXPECT_TRUE(prompter.All().empty());
  // The evolution boxes keep their ranges.
  EXPECT_EQ(boxes.XBox.GetRange(), (WorldRange{0, 1000, 0, 7}));
}

TEST_F(BoxCommands, ZoomInRoundsWithRoundScales) {
  DragZoomRectangle({0.61, 0.539}, {0.52, 0.512});
  ZoomIn(boxes, run, prompter);
  EXPECT_DOUBLE_EQ(boxes.XYBox.Xmin, 0.5);
  EXPECT_DOUBLE_EQ(boxes.XYBox.Xmax, 0.7);
  EXPECT_DOUBLE_EQ(boxes.XYBox.Ymin, 0.51);
  EXPECT_DOUBLE_EQ(boxes.XYBox.Ymax, 0.54);

  boxes.XYBox.RoundScales = 0;
  ZoomIn(boxes, run, prompter);
  EXPECT_EQ(boxes.XYBox.GetRange(), (WorldRange{0.52, 0.61, 0.512, 0.539}));
}

TEST_F(BoxCommands, ZoomInIsRefusedWithoutAUsableRectangle) {
  boxes.ShowAxes = 1;
  const WorldRange before = boxes.XYBox.GetRange();
  run.Mouse.ZoomCorner1 = {2, 1};
  run.Mouse.ZoomCorner2 = {5, 4};  // corners of an earlier drag, but no rectangle drawn since
  EXPECT_EQ(ZoomIn(boxes, run, prompter), Invalidation::None);
  EXPECT_EQ(prompter.Messages(), (std::vector<std::string>{kNoRectangle}));

  // Corners on one column, on one row, or on the same pixel.
  for (const auto& [a, b] :
       {std::pair<WorldPoint, WorldPoint>{{2, 1}, {2, 4}}, std::pair<WorldPoint, WorldPoint>{{2, 1}, {5, 1}},
        std::pair<WorldPoint, WorldPoint>{{3, 3}, {3, 3}}}) {
    prompter.Clear();
    DragZoomRectangle(a, b);
    EXPECT_EQ(ZoomIn(boxes, run, prompter), Invalidation::None);
    EXPECT_EQ(prompter.Messages(),
              (std::vector<std::string>{"The zoom rectangle has no width or height; drag a larger rectangle "
                                        "with the right mouse button."}));
  }
  EXPECT_EQ(boxes.XYBox.GetRange(), before);
  EXPECT_EQ(boxes.ShowAxes, 1);
  EXPECT_EQ(boxes.ZoomRectDefined, 1);  // only the repaint clears it
}

TEST_F(BoxCommands, ZoomOutDoublesUntilItMeetsTheDefaultRange) {
  SetPhasePlane(2, 2, 3, 3);
  EXPECT_EQ(ZoomOutSteps(4), (Steps{{1.5, 3.5}, {0, 5}, {0, 7}, {0, 7}}));

  boxes.XYBox.RoundScales = 0;
  SetPhasePlane(2, 2, 3, 3);
  EXPECT_EQ(ZoomOutSteps(4), (Steps{{1.5, 3.5}, {0.5, 4.5}, {0, 6.5}, {0, 7}}));

  // A range beyond the default range is cut back to it.
  SetPhasePlane(-10, -10, 10, 10);
  EXPECT_EQ(ZoomOutSteps(1), (Steps{{0, 7}}));
  EXPECT_EQ(boxes.ShowAxes, 0);

  // So is one that lies wholly outside it, above or below: never inverted.
  boxes.XYBox.RoundScales = 0;
  SetPhasePlane(8, 8, 9, 9);
  EXPECT_EQ(ZoomOutSteps(1), (Steps{{0, 7}}));
  SetPhasePlane(-3, -3, -2, -2);
  EXPECT_EQ(ZoomOutSteps(1), (Steps{{0, 7}}));
  SetPhasePlane(6.5, 6.5, 7.5, 7.5);  // partly inside: grows inside it
  EXPECT_EQ(ZoomOutSteps(1), (Steps{{6, 7}}));
}

TEST_F(BoxCommands, CurrentRangeAsDefaultBoundsZoomOutAndZoomOneToOne) {
  DragZoomRectangle({2, 2}, {3, 3});
  ZoomIn(boxes, run, prompter);
  EXPECT_EQ(SetCurrentAsDefault(boxes, model), Invalidation::None);
  EXPECT_EQ(model.DefaultRange, (WorldRange{2, 3, 2, 3}));
  EXPECT_EQ(ZoomOutSteps(2), (Steps{{2, 3}, {2, 3}}));

  SetPhasePlane(2.2, 2.2, 2.4, 2.4);
  run.Settings.Iterations = 35;
  boxes.XBox.SetRange(0, -9, 5000, 9);
  EXPECT_EQ(ZoomOneToOne(boxes, model, run), Invalidation::WithErase);
  EXPECT_EQ(boxes.XYBox.GetRange(), (WorldRange{2, 3, 2, 3}));
  EXPECT_EQ(boxes.XBox.GetRange(), (WorldRange{0, 40, 2, 3}));
  EXPECT_EQ(boxes.YBox.GetRange(), (WorldRange{0, 40, 2, 3}));
}

TEST_F(BoxCommands, ShowHideAxisToggles) {
  EXPECT_EQ(ShowHideAxis(boxes), Invalidation::WithErase);
  EXPECT_EQ(boxes.ShowAxes, 1);
  ShowHideAxis(boxes);
  EXPECT_EQ(boxes.ShowAxes, 0);
}

TEST_F(BoxCommands, BoxSettingsRoundTripAndApplyInOrder) {
  PlotBox& box = boxes.GBox;
  const BoxSettings opened = ReadBoxSettings(box);
  EXPECT_EQ(opened, (BoxSettings{-0.5, 1, -1, 1, 50, 10, 90, 90, "gvgbs", 1, 1, 1, 1, 1, 4, 8, 4, 4, 2, 2}));

  // Every value lands in its own field.
  BoxSettings v{-2, 3, -4, 5, 11, 12, 13, 14, "title", 0, 1, 0, 1, 0, 21, 22, 23, 24, 3, 4};
  EXPECT_EQ(ApplyBoxSettings(box, v), Invalidation::WithErase);
  EXPECT_EQ(ReadBoxSettings(box), v);

  // The new RoundScales applies to the range given with it.
  v.Xmin = 0.05;
  v.Xmax = 3.15;
  v.RoundScales = 1;
  ApplyBoxSettings(box, v);
  EXPECT_DOUBLE_EQ(box.Xmax, 3.2);
  v.RoundScales = 0;
  box.RoundScales = 1;
  ApplyBoxSettings(box, v);
  EXPECT_EQ(box.Xmax, 3.15);

  // Percentages are validated.
  v.LeftPct = 50;
  v.TopPct = 5;
  v.RightPct = 40;
  v.BottomPct = 50;
  ApplyBoxSettings(box, v);
  EXPECT_EQ(ReadBoxSettings(box).LeftPct, 1);
  EXPECT_EQ(ReadBoxSettings(box).RightPct, 40);
}

}  // namespace
}  // namespace orbitra
