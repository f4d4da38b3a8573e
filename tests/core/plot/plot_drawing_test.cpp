// SPDX-License-Identifier: GPL-3.0-or-later
// Frames, ticks, labels, titles and the layout of the display modes, checked on real
// pixels and on the texts handed to the text painter. Expected pixels are worked out by
// hand for an 800 by 600 client area.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "plot/box_layout.h"
#include "plot/box_ranges.h"
#include "plot/plot_box.h"
#include "support/recording_text_painter.h"

namespace orbitra {
namespace {

using Text = testing::RecordingTextPainter::Text;

int CountNotWhite(const Canvas& c) {
  int n = 0;
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x) n += c.GetPixel(x, y) != kWhite;
  return n;
}

std::vector<std::string> TextsOf(const testing::RecordingTextPainter& painter) {
  std::vector<std::string> texts;
  for (const Text& t : painter.Texts()) texts.push_back(t.text);
  return texts;
}

class BoxDrawing : public ::testing::Test {
 protected:
  BoxDrawing() { canvas.SetTextPainter(&painter); }

  // The phase plane with its start-up ticks (10 and 10, widths 3 and 1, one decimal),
  // range [0, 7] by [0, 7], placed by the single-box layout: columns 240 to 792, rows 60
  // to 540.
  PlotBox StartUpPhasePlane() {
    PlotBoxes boxes;
    ApplyStartUpBoxSettings(boxes, "Standard Map");
    boxes.XYBox.SetRange(0, 0, 7, 7);
    boxes.XYBox.SetScreenPercent(30, 10, 99, 90);
    return boxes.XYBox;
  }

  Canvas canvas{800, 600};
  testing::RecordingTextPainter painter;
};

TEST_F(BoxDrawing, PhasePlaneOnEightHundredBySixHundred) {
  PlotBoxes boxes;
  ApplyStartUpBoxSettings(boxes, "Standard Map");
  boxes.XYBox.SetRange(0, 0, 7, 7);
  DrawBoxes(boxes, 0, canvas, 0, 0, 800, 600);

  // Frame (240, 60)-(792, 540) and the fat one (239, 59)-(793, 541): a rectangle covers
  // its right and bottom corner's column and row exclusively.
  for (int x = 239; x <= 792; ++x) {
    EXPECT_EQ(canvas.GetPixel(x, 59), kBlack) << x;
    EXPECT_EQ(canvas.GetPixel(x, 540), kBlack) << x;
  }
  for (int x = 240; x <= 791; ++x) {
    EXPECT_EQ(canvas.GetPixel(x, 60), kBlack) << x;
    EXPECT_EQ(canvas.GetPixel(x, 539), kBlack) << x;
  }
  for (int y = 61; y <= 538; ++y) {
    for (int x : {239, 240, 791, 792}) EXPECT_EQ(canvas.GetPixel(x, y), kBlack) << x << "," << y;
    EXPECT_EQ(canvas.GetPixel(793, y), kWhite) << y;
  }
  EXPECT_EQ(canvas.GetPixel(241, 301), kWhite);
  EXPECT_EQ(canvas.GetPixel(790, 538), kWhite);
  EXPECT_EQ(canvas.GetPixel(238, 301), kWhite);
  EXPECT_EQ(canvas.GetPixel(500, 541), kWhite);

  // Horizontal ticks hang from row 540 to row 554 (long) or 550 (short); the line stops
  // one pixel short of its end.
  const int columns[] = {240, 295, 350, 406, 461, 516, 571, 626, 682, 737, 792};
  for (int i = 0; i <= 10; ++i) {
    const int end = i % 2 == 0 ? 554 : 550;
    for (int y = 541; y < end; ++y) EXPECT_EQ(canvas.GetPixel(columns[i], y), kBlack) << i << "," << y;
    EXPECT_EQ(canvas.GetPixel(columns[i], end), kWhite) << i;
    EXPECT_EQ(canvas.GetPixel(columns[i] + 1, 545), kWhite) << i;
    EXPECT_EQ(canvas.GetPixel(columns[i] - 1, 545), kWhite) << i;
  }
  // Vertical ticks point left from column 240 to column 234 (long) or 236 (short).
  const int rows[] = {540, 492, 444, 396, 348, 300, 252, 204, 156, 108, 60};
  for (int i = 0; i <= 10; ++i) {
    const int end = i % 2 == 0 ? 234 : 236;
    for (int x = 238; x > end; --x) EXPECT_EQ(canvas.GetPixel(x, rows[i]), kBlack) << i << "," << x;
    EXPECT_EQ(canvas.GetPixel(end, rows[i]), kWhite) << i;
    EXPECT_EQ(canvas.GetPixel(237, rows[i] + 1), kWhite) << i;
  }

  // The frames' perimeters plus 6 long and 5 short ticks on each axis.
  const int frames = 2 * (552 + 480) - 4 + 2 * (554 + 482) - 4;
  const int horizontal = 6 * 13 + 5 * 9;  // rows 541..553 and 541..549
  const int vertical = 6 * 4 + 5 * 2;     // columns 235..238 and 237..238
  EXPECT_EQ(CountNotWhite(canvas), frames + horizontal + vertical);

  const std::vector<Text> expected = {
      // under the horizontal axis
      {228, 551, "0.0"}, {338, 551, "1.4"}, {449, 551, "2.8"}, {559, 551, "4.2"}, {670, 551, "5.6"}, {780, 551, "7.0"},
      // beside the vertical axis
      {213, 532, "0.0"}, {213, 436, "1.4"}, {213, 340, "2.8"}, {213, 244, "4.2"}, {213, 148, "5.6"}, {213, 52, "7.0"},
      // the title
      {468, 35, "Standard Map"},
  };
  EXPECT_EQ(painter.Texts(), expected);
}

TEST_F(BoxDrawing, EvolutionBoxLabelsCountIterations) {
  // The X box at start with 1000 iterations and the default x range [0, 1]: columns 80 to
  // 760, rows 348 to 450; 0.68 pixels per iteration.
  PlotBoxes boxes;
  ApplyStartUpBoxSettings(boxes, "Standard Map");
  ResetRangesToDefault(boxes, WorldRange{0, 1, -1, 1}, 1000);
  boxes.XBox.Draw(canvas, 0, 0, 800, 600);
  const std::vector<Text> expected = {
      {76, 452, "0"},     {204, 452, "200"}, {340, 452, "400"}, {476, 452, "600"}, {612, 452, "800"},
      {744, 452, "1000"}, {52, 442, "0.0"},  {52, 401, "0.4"},  {52, 360, "0.8"},
  };
  EXPECT_EQ(painter.Texts(), expected);  // five vertical intervals: the tick at 1.0 is odd
}

TEST_F(BoxDrawing, LabelsStandOnlyAtEvenTicks) {
  PlotBox box = StartUpPhasePlane();
  box.SetRange(0, 0, 10, 7);
  box.SetTicks(5, 0, 3, 1, 0, 1);
  box.Label.clear();
  box.Draw(canvas, 0, 0, 800, 600);
  // Six ticks, 110.4 pixels apart; no vertical tick at all with a count of 0.
  for (int column : {240, 350, 461, 571, 682, 792}) EXPECT_EQ(canvas.GetPixel(column, 545), kBlack) << column;
  EXPECT_EQ(canvas.GetPixel(237, 300), kWhite);
  EXPECT_EQ(canvas.GetPixel(237, 60), kWhite);
  EXPECT_EQ(TextsOf(painter), (std::vector<std::string>{"0", "4", "8"}));

  painter.Clear();
  box.SetRange(-1, 0, 1, 7);
  box.SetTicks(4, -2, 3, 1, 1, 1);
  box.Draw(canvas, 0, 0, 800, 600);
  EXPECT_EQ(TextsOf(painter), (std::vector<std::string>{"-1.0", "0.0", "1.0"}));
}

TEST_F(BoxDrawing, DigitsOutsideZeroToFourGiveNoLabels) {
  PlotBox box = StartUpPhasePlane();
  box.DigitsY = 7;
  box.DigitsX = -1;
  box.Draw(canvas, 0, 0, 800, 600);
  EXPECT_EQ(TextsOf(painter), (std::vector<std::string>{"Standard Map"}));
  EXPECT_EQ(canvas.GetPixel(235, 444), kBlack);  // the ticks are still there
  EXPECT_EQ(canvas.GetPixel(240, 553), kBlack);

  painter.Clear();
  box.SetTicks(10, 10, 3, 1, 4, 3);
  box.Draw(canvas, 0, 0, 800, 600);
  EXPECT_EQ(painter.Texts()[6], (Text{234 - 35, 532, "0.000"}));
}

TEST_F(BoxDrawing, AbsurdTickCountsAreNotDrawn) {
  // Millions of ticks would merge into a bar and stall every repaint.
  PlotBox box = StartUpPhasePlane();
  box.SetTicks(2147483647, 20000, 3, 1, 1, 1);
  box.Draw(canvas, 0, 0, 800, 600);
  EXPECT_EQ(TextsOf(painter), (std::vector<std::string>{"Standard Map"}));
  EXPECT_EQ(canvas.GetPixel(240, 545), kWhite);
  EXPECT_EQ(canvas.GetPixel(236, 60), kWhite);
}

TEST_F(BoxDrawing, SwitchesLeaveOutTicksLabelsAndTheFatBorder) {
  PlotBox box = StartUpPhasePlane();
  box.ShowTicks = 0;  // no ticks, and no labels whatever ShowLabels says
  box.Draw(canvas, 0, 0, 800, 600);
  EXPECT_EQ(TextsOf(painter), (std::vector<std::string>{"Standard Map"}));
  EXPECT_EQ(CountNotWhite(canvas), 2 * (552 + 480) - 4 + 2 * (554 + 482) - 4);

  Canvas thin(800, 600);
  thin.SetTextPainter(&painter);
  painter.Clear();
  box = StartUpPhasePlane();
  box.FatBorder = 0;
  box.ShowLabels = 0;
  box.Draw(thin, 0, 0, 800, 600);
  EXPECT_EQ(thin.GetPixel(240, 60), kBlack);
  EXPECT_EQ(thin.GetPixel(239, 59), kWhite);
  EXPECT_EQ(thin.GetPixel(792, 300), kWhite);
  EXPECT_EQ(thin.GetPixel(240, 553), kBlack);  // ticks stay
  EXPECT_EQ(TextsOf(painter), (std::vector<std::string>{"Standard Map"}));
}

TEST_F(BoxDrawing, NegativeTickWidthPointsIntoTheBox) {
  PlotBox box = StartUpPhasePlane();
  box.TickWidthX = -3;
  box.Draw(canvas, 0, 0, 800, 600);
  // Long ticks run up from row 540 towards row 526, short ones towards row 530.
  for (int y = 527; y <= 538; ++y) EXPECT_EQ(canvas.GetPixel(350, y), kBlack) << y;
  EXPECT_EQ(canvas.GetPixel(350, 526), kWhite);
  EXPECT_EQ(canvas.GetPixel(295, 531), kBlack);
  EXPECT_EQ(canvas.GetPixel(295, 530), kWhite);
  EXPECT_EQ(canvas.GetPixel(350, 541), kWhite);
  // Labels start three pixels above the ticks' inner ends.
  EXPECT_EQ(painter.Texts()[1], (Text{338, 523, "1.4"}));
}

TEST_F(BoxDrawing, TitleNeedsAVisibleBoxAndAText) {
  PlotBox box = StartUpPhasePlane();
  box.ShowTicks = 0;
  box.Label = "";
  box.Draw(canvas, 0, 0, 800, 600);
  EXPECT_TRUE(painter.Texts().empty());
  box.Label = "X";
  box.Visible = 0;
  Canvas blank(800, 600);
  blank.SetTextPainter(&painter);
  box.Draw(blank, 0, 0, 800, 600);
  EXPECT_TRUE(painter.Texts().empty());
  EXPECT_EQ(CountNotWhite(blank), 0);
}

TEST_F(BoxDrawing, TitleIsCentredByCharactersNotBytes) {
  // The top edge's middle is column 516; each character moves the title 4 pixels left.
  PlotBox box = StartUpPhasePlane();
  box.ShowTicks = 0;
  for (const auto& [label, x] : {std::pair{"Standard Map", 468}, std::pair{"H\u00e9non M\u00f6bius", 468},
                                 std::pair{"\U0001D465 \u2192 \U0001D466", 496}}) {
    painter.Clear();
    box.Label = label;
    box.Draw(canvas, 0, 0, 800, 600);
    EXPECT_EQ(painter.Texts(), (std::vector<Text>{{x, 35, label}})) << label;
  }
}

TEST_F(BoxDrawing, DisplayModesLayOutTheBoxes) {
  PlotBoxes boxes;
  ApplyStartUpBoxSettings(boxes, "Henon rotation");
  ResetRangesToDefault(boxes, WorldRange{-1, 1, -1, 1}, 1000);
  boxes.XYBox.SetScreenPercent(5, 5, 20, 20);  // as from the box dialog: overridden

  DrawBoxes(boxes, 1, canvas, 0, 0, 800, 600);
  int l, t, r, b;
  boxes.XYBox.GetScreenPercent(l, t, r, b);
  EXPECT_EQ((std::vector<int>{l, t, r, b}), (std::vector<int>{50, 5, 95, 50}));
  EXPECT_EQ(canvas.GetPixel(400, 30), kBlack);   // phase plane: (400, 30)-(760, 300)
  EXPECT_EQ(canvas.GetPixel(80, 348), kBlack);   // X box: (80, 348)-(760, 450)
  EXPECT_EQ(canvas.GetPixel(80, 468), kBlack);   // Y box: (80, 468)-(760, 570)
  EXPECT_EQ(canvas.GetPixel(580, 165), kWhite);  // no axes
  EXPECT_EQ(painter.TextsEqualTo("Henon rotation").size(), 1u);

  Canvas single(800, 600);
  boxes.ShowAxes = 1;
  DrawBoxes(boxes, 0, single, 0, 0, 800, 600);
  boxes.XYBox.GetScreenPercent(l, t, r, b);
  EXPECT_EQ((std::vector<int>{l, t, r, b}), (std::vector<int>{30, 10, 99, 90}));
  EXPECT_EQ(single.GetPixel(240, 60), kBlack);
  EXPECT_EQ(single.GetPixel(80, 348), kWhite);  // the evolution boxes are not drawn
  EXPECT_EQ(single.GetPixel(80, 468), kWhite);
  // Axes through (0, 0): column 516 and row 300.
  EXPECT_EQ(single.GetPixel(516, 100), kBlack);
  EXPECT_EQ(single.GetPixel(300, 300), kBlack);

  // The G box is kept but never drawn, whatever its settings.
  Canvas before(800, 600), after(800, 600);
  DrawBoxes(boxes, 1, before, 0, 0, 800, 600);
  boxes.GBox.SetScreenPercent(1, 1, 100, 100);
  boxes.GBox.Label = "G";
  DrawBoxes(boxes, 1, after, 0, 0, 800, 600);
  EXPECT_TRUE(std::equal(before.Bits(), before.Bits() + 800 * 600, after.Bits()));
}

}  // namespace
}  // namespace orbitra
