// SPDX-License-Identifier: GPL-3.0-or-later
// The boxes' start-up settings and the default ranges.
#include <gtest/gtest.h>

#include <vector>

#include "plot/box_ranges.h"
#include "plot/plot_boxes.h"

namespace orbitra {
namespace {

std::vector<int> Percents(const PlotBox& box) {
  int l, t, r, b;
  box.GetScreenPercent(l, t, r, b);
  return {l, t, r, b};
}

std::vector<int> Ticks(const PlotBox& box) {
  int tx, ty, wx, wy, dx, dy;
  box.GetTicks(tx, ty, wx, wy, dx, dy);
  return {tx, ty, wx, wy, dx, dy};
}

TEST(BoxRanges, StartUpSettingsOfTheDrawnBoxes) {
  PlotBoxes boxes;
  ApplyStartUpBoxSettings(boxes, "Henon D-C Map");
  EXPECT_EQ(Percents(boxes.XYBox), (std::vector<int>{50, 5, 95, 50}));
  EXPECT_EQ(Ticks(boxes.XYBox), (std::vector<int>{10, 10, 3, 1, 1, 1}));
  EXPECT_EQ(boxes.XYBox.Label, "Henon D-C Map");
  EXPECT_EQ(Percents(boxes.XBox), (std::vector<int>{10, 58, 95, 75}));
  EXPECT_EQ(Ticks(boxes.XBox), (std::vector<int>{10, 5, 5, 1, 0, 1}));
  EXPECT_EQ(boxes.XBox.Label, "");
  EXPECT_EQ(Percents(boxes.YBox), (std::vector<int>{10, 78, 95, 95}));
  EXPECT_EQ(Ticks(boxes.YBox), (std::vector<int>{10, 5, 5, 1, 0, 1}));
  EXPECT_EQ(boxes.YBox.Label, "");
  // The G box keeps what it was built with.
  EXPECT_EQ(Percents(boxes.GBox), (std::vector<int>{50, 10, 90, 90}));
  EXPECT_EQ(Ticks(boxes.GBox), (std::vector<int>{4, 8, 4, 4, 2, 2}));
  EXPECT_EQ(boxes.GBox.Label, "gvgbs");
}

TEST(BoxRanges, EvolutionBoxesSpanTheIterationsRounded) {
  const WorldRange d{0, 6.283185307, -3.3, 3.3};
  struct Case {
    int iterations;
    double xmax;
  };
  for (const Case c : {Case{1234, 1300}, Case{1000, 1000}, Case{35, 40}}) {
    PlotBoxes boxes;
    ResetRangesToDefault(boxes, d, c.iterations);
    EXPECT_EQ(boxes.XYBox.GetRange(), (WorldRange{0, 7, -4, 4})) << c.iterations;
    EXPECT_DOUBLE_EQ(boxes.XBox.Xmax, c.xmax) << c.iterations;
    EXPECT_DOUBLE_EQ(boxes.YBox.Xmax, c.xmax) << c.iterations;
    EXPECT_EQ(boxes.XBox.Xmin, 0.0);
    // Vertically the X box carries the default x range, the Y box the y range.
    EXPECT_EQ(boxes.XBox.Ymin, 0.0);
    EXPECT_EQ(boxes.XBox.Ymax, 7.0);
    EXPECT_EQ(boxes.YBox.Ymin, -4.0);
    EXPECT_EQ(boxes.YBox.Ymax, 4.0);
    EXPECT_EQ(boxes.GBox.GetRange(), (WorldRange{-0.5, 1.0, -1.0, 1.0}));
  }
  // Each box rounds by its own setting.
  PlotBoxes boxes;
  boxes.XBox.RoundScales = 0;
  ResetRangesToDefault(boxes, d, 1234);
  EXPECT_EQ(boxes.XBox.GetRange(), (WorldRange{0, 1234, 0, 6.283185307}));
  EXPECT_EQ(boxes.YBox.Xmax, 1300.0);
}

TEST(BoxRanges, SetXRangeSubmitsTheVerticalRangeAgain) {
  PlotBox box;
  box.SetRange(0, 0.05, 1000, 3.15);
  EXPECT_DOUBLE_EQ(box.Ymax, 3.2);
  SetXRange(box, 0, 35);
  EXPECT_EQ(box.Xmin, 0.0);
  EXPECT_EQ(box.Xmax, 40.0);
  EXPECT_EQ(box.Ymin, 0.0);
  EXPECT_EQ(box.Ymax, 4.0);  // rounded once more
  box.RoundScales = 0;
  SetXRange(box, 0, 35);
  EXPECT_EQ(box.GetRange(), (WorldRange{0, 35, 0, 4}));
}

}  // namespace
}  // namespace orbitra
