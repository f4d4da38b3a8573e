// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plot/axis_ticks.h"
#include "support/recording_text_painter.h"

namespace orbitra {
namespace {

using Labels = std::vector<std::string>;

// Spacings of 1, 2 or 5 times a power of ten, at their multiples inside the range, with
// the decimals the spacing needs; worked out by hand.
TEST(AxisTicks, RoundValuesWithTheDigitsTheSpacingNeeds) {
  EXPECT_EQ(RoundTicks(0.0, 1.4, 7).labels, (Labels{"0.0", "0.2", "0.4", "0.6", "0.8", "1.0", "1.2", "1.4"}));
  // Not 0.999, 1.097, 1.195...: a spacing of 0.1 from the first multiple inside.
  EXPECT_EQ(RoundTicks(0.999, 1.391, 5).labels, (Labels{"1.0", "1.1", "1.2", "1.3"}));
  // A narrow row around k2 = 0.3 used to read "0.3000, 0.3000".
  EXPECT_EQ(RoundTicks(0.2995, 0.3005, 5).labels, (Labels{"0.2996", "0.2998", "0.3000", "0.3002", "0.3004"}));
  EXPECT_EQ(RoundTicks(-2.5, 2.5, 5).labels, (Labels{"-2", "-1", "0", "1", "2"}));
  EXPECT_EQ(RoundTicks(-1.0, 1.0, 4).labels, (Labels{"-1.0", "-0.5", "0.0", "0.5", "1.0"}));
  EXPECT_EQ(RoundTicks(-1.0, 1.0, 4).note, "");
  EXPECT_EQ(RoundTicks(120.0, 870.0, 4).labels, (Labels{"200", "400", "600", "800"}));
  EXPECT_EQ(RoundTicks(1.0, 1.0, 5).labels, Labels{});  // nothing to divide
}

// A deep zoom near 1.05: the ticks differ in the 13th decimal, so they count spacings of
// 2e-13 from 1.05 and the note says so.
TEST(AxisTicks, ADeepZoomCountsFromARoundOffset) {
  const AxisTicks t = RoundTicks(1.05, 1.05 + 1e-12, 5);
  EXPECT_EQ(t.note, "1.05 + 2e-13 x");
  EXPECT_EQ(t.labels, (Labels{"0", "1", "2", "3", "4", "5"}));
  // Eight digits still fit without an offset.
  EXPECT_EQ(RoundTicks(1.05, 1.05 + 5e-7, 5).labels.front(), "1.0500000");
  EXPECT_EQ(RoundTicks(1.05, 1.05 + 5e-7, 5).note, "");
  EXPECT_EQ(RoundTicks(-0.3, -0.3 + 4e-10, 4).note, "-0.3 + 1e-10 x");
}

// On a picture the labels stand under their ticks: a box over [0, 1] on 400 pixels has
// room for five labels, at 0.2 apart; "0.4" is centred on its column.
TEST(AxisTicks, LabelsAreCentredOnTheirTicks) {
  PlotBox box;
  box.RoundScales = 0;
  box.SetScreenPercent(0, 0, 100, 100);
  box.SetRange(0.0, 0.0, 1.0, 1.0);
  box.SetScreenRect(0, 0, 400, 300);
  Canvas canvas(500, 400);
  canvas.Clear(kWhite);
  testing::RecordingTextPainter painter;
  canvas.SetTextPainter(&painter);
  DrawRoundTicks(canvas, box);
  const auto label = painter.TextsEqualTo("0.4");
  ASSERT_EQ(label.size(), 2u);  // one on each axis
  const int column = 160;  // 0.4 of the frame's 400 pixels
  ASSERT_EQ(box.WorldToScreen(0.4, 0.0).x, column);
  EXPECT_EQ(label[0].x, column - 12);
  const int below = box.WorldToScreen(0.0, 0.0).y + 2;
  EXPECT_EQ(canvas.GetPixel(column, below), kBlack);  // its tick, under the frame
  EXPECT_EQ(canvas.GetPixel(column + 1, below), kWhite);
}

}  // namespace
}  // namespace orbitra
