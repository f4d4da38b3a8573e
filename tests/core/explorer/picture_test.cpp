// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures drawn anew from the kept points: at the window's size they are the window's own
// full repaint; at twice the size every frame, tick, label and text stands where the layout
// puts it for 1600 by 1200 (worked out by hand from the 800 by 600 example).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "explorer/display_mode_logic.h"
#include "explorer/initial_conditions_logic.h"
#include "explorer/picture.h"
#include "explorer/run_commands.h"
#include "explorer/user_map_commands.h"
#include "maps/user_map_table.h"
#include "support/scenario.h"

namespace orbitra {
namespace {

using testing::RecordingTextPainter;
using testing::Scenario;
using Text = RecordingTextPainter::Text;

bool SamePixels(const Canvas& a, const Canvas& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  return std::equal(a.Bits(), a.Bits() + std::size_t(a.Width()) * std::size_t(a.Height()), b.Bits());
}

TEST(Picture, AtTheWindowsSizeItIsTheWindowsFullRepaintAndChangesNoState) {
  Scenario sc;
  OrbitraState& s = sc.State();
  sc.Apply(StartRun(s));
  s.Run.Settings.ShowStreamPoints = 1;
  sc.Texts().Clear();
  sc.FullRepaint();  // "Refresh": boxes, stored points, status; nothing runs

  Canvas picture(800, 600);
  RecordingTextPainter texts;
  picture.SetTextPainter(&texts);
  picture.Clear(Colour::FromRgb(1, 2, 3));  // drawing starts from white whatever was there
  DrawPicture(s, picture);
  EXPECT_TRUE(SamePixels(picture, sc.Picture()));
  // The same texts at the same places; only the window's first status lines, drawn before
  // its counters were reset and then covered, may read otherwise.
  const std::vector<Text>& window = sc.Texts().Texts();
  ASSERT_EQ(texts.Texts().size(), window.size());
  for (std::size_t i = 0; i < window.size(); ++i) {
    EXPECT_EQ(texts.Texts()[i].x, window[i].x);
    EXPECT_EQ(texts.Texts()[i].y, window[i].y);
    if (i >= 5) EXPECT_EQ(texts.Texts()[i].text, window[i].text) << i;
  }

  // A larger picture lays out copies of the boxes: the window's transforms, counters and
  // requests stay as they were.
  const PlotBox before = s.Boxes.XYBox;
  const PointStore& store = s.Store;
  const std::vector<std::int32_t> counters{store.Buf, store.Dsk, store.RTN, store.DTN};
  Canvas larger(1600, 1200);
  larger.SetTextScale(2.0);
  DrawPicture(s, larger);
  EXPECT_EQ(s.Boxes.XYBox.ScaleX, before.ScaleX);
  EXPECT_EQ(s.Boxes.XYBox.OffsetY, before.OffsetY);
  EXPECT_EQ(s.Boxes.XYBox.WorldToScreen(3.5, 3.5), (PixelPoint{516, 300}));
  EXPECT_EQ((std::vector<std::int32_t>{store.Buf, store.Dsk, store.RTN, store.DTN}), counters);
  EXPECT_EQ(s.Run.Requests.RunPending, 0);
}

TEST(Picture, TwiceTheWorkedExampleHasEverythingWhereTheLayoutPutsIt) {
  Scenario sc;  // Standard Map, range [0, 7] x [0, 7]
  OrbitraState& s = sc.State();
  sc.Apply(StartRun(s));
  ASSERT_EQ(s.Store.Buf, 1000);

  Canvas c(1600, 1200);
  RecordingTextPainter texts;
  c.SetTextPainter(&texts);
  c.SetTextScale(2.0);
  DrawPicture(s, c);

  // The frame spans columns 480 to 1584 and rows 120 to 1080; the fat one is one pixel out.
  for (int x = 479; x <= 1584; ++x) {
    EXPECT_EQ(c.GetPixel(x, 119), kBlack) << x;
    EXPECT_EQ(c.GetPixel(x, 1080), kBlack) << x;
  }
  for (int y = 121; y <= 1078; ++y) {
    for (int x : {479, 480, 1583, 1584}) EXPECT_EQ(c.GetPixel(x, y), kBlack) << x << "," << y;
    if (y % 96 != 1080 % 96) EXPECT_EQ(c.GetPixel(478, y), kWhite) << y;  // but on the ticks' rows
    EXPECT_EQ(c.GetPixel(1585, y), kWhite) << y;
  }

  // Ticks keep their length in percent of the box: long ones hang from row 1080 to 1109,
  // short ones to 1100 (a line stops one pixel short); on the left to column 469 or 472.
  const int columns[] = {480, 590, 701, 811, 922, 1032, 1142, 1253, 1363, 1474, 1584};
  for (int i = 0; i <= 10; ++i) {
    const int end = i % 2 == 0 ? 1108 : 1099;
    EXPECT_EQ(c.GetPixel(columns[i], end), kBlack) << i;
    EXPECT_EQ(c.GetPixel(columns[i], end + 1), kWhite) << i;
  }
  const int rows[] = {1080, 984, 888, 792, 696, 600, 504, 408, 312, 216, 120};
  for (int i = 0; i <= 10; ++i) {
    const int end = i % 2 == 0 ? 470 : 473;
    EXPECT_EQ(c.GetPixel(end, rows[i]), kBlack) << i;
    EXPECT_EQ(c.GetPixel(end - 1, rows[i]), kWhite) << i;
  }

  // Every text where the 1x layout has it, its offsets doubled: labels 24 (3 characters x 4
  // x 2) left of their tick and 6 above its end, or 42 left and 16 above; the title 96 left
  // of the middle and 50 above; the status and mouse lines, and the run's "x= y=" line, at
  // twice their places.
  char endLine[64];
  std::snprintf(endLine, sizeof endLine, "x=%4.3f  y=%4.3f", s.Run.CurrentPoint.x, s.Run.CurrentPoint.y);
  const std::vector<Text> expected = {
      {6, 10, "  N = 1000  "},       {6, 40, "RTN = 1000  "},          {6, 70, "DTN = 1000  "},
      {6, 110, "Buf = 1000 (0%) "},  {6, 140, "Dsk = 0  "},            {6, 280, "--Mouse--"},
      {6, 310, "xm=0.500000000"},    {6, 340, "ym=0.000000000"},       {456, 1103, "0.0"},
      {677, 1103, "1.4"},            {898, 1103, "2.8"},               {1118, 1103, "4.2"},
      {1339, 1103, "5.6"},           {1560, 1103, "7.0"},              {427, 1064, "0.0"},
      {427, 872, "1.4"},             {427, 680, "2.8"},                {427, 488, "4.2"},
      {427, 296, "5.6"},             {427, 104, "7.0"},                {936, 70, "Standard Map"},
      {2, 200, endLine},
      {6, 10, "  N = 1000  "},       {6, 40, "RTN = 1000  "},          {6, 70, "DTN = 1000  "},
      {6, 110, "Buf = 1000 (0%) "},  {6, 140, "Dsk = 0  "}};
  EXPECT_EQ(texts.Texts(), expected);

  // Every kept point of the run at its pixel of the larger box: 1104 / 7 pixels per unit
  // across from column 480, 960 / 7 up from row 1080.
  for (std::int32_t i = 0; i < s.Store.Buf; ++i) {
    const StoredPoint& p = s.Store.Slots[i];
    if (p.x < 0 || p.x > 7 || p.y < 0 || p.y > 7) continue;
    const int px = static_cast<int>(480 + p.x * 1104 / 7 + 0.5);
    const int py = static_cast<int>(1080 - p.y * 960 / 7 + 0.5);
    EXPECT_NE(c.GetPixel(px, py), kWhite) << i;
  }
  // The initial point (0.5, 0) is marked with a square twice as large: 9 by 9 pixels.
  EXPECT_EQ(c.GetPixel(563, 1084), kBlack);
  EXPECT_EQ(c.GetPixel(555, 1084), kBlack);
  EXPECT_EQ(c.GetPixel(564, 1084), kWhite);
  EXPECT_EQ(c.GetPixel(559, 1085), kWhite);
}

TEST(Picture, TheDialogSaysWhenAnewDrawnSizeLacksPointsOnScreen) {
  Scenario sc;
  OrbitraState& s = sc.State();
  sc.Apply(StartRun(s));
  SavePictureValues values = PrepareSavePictureDialog(s, 800, 600);
  EXPECT_EQ(values.fileName, (sc.Dir().Path() / "Standard Map.png").string());
  EXPECT_FALSE(values.unkeptPoints);

  s.Run.Settings.StoreInBuffer = 0;  // drawn, not kept
  sc.Apply(StartRun(s));
  values = PrepareSavePictureDialog(s, 800, 600);
  EXPECT_TRUE(values.unkeptPoints);
  EXPECT_FALSE(WarnOfUnkeptPoints(values));  // as shown, nothing is lost
  values.scale = static_cast<int>(PictureScale::Twice);
  EXPECT_TRUE(WarnOfUnkeptPoints(values));
  sc.FullRepaint();  // the unkept points are gone from the screen too
  EXPECT_FALSE(PrepareSavePictureDialog(s, 800, 600).unkeptPoints);

  s.Run.Settings.StoreInBuffer = 1;
  sc.Apply(ApplyDisplayModeDialog(s, DisplayModeValues{1}));
  sc.Apply(StartRun(s));  // the evolution boxes are never kept
  EXPECT_TRUE(PrepareSavePictureDialog(s, 800, 600).unkeptPoints);

  // A map of the user's gives the file its own name.
  s.UserMaps.Add(*MakeUserMap(UserMapDefinition{"Typed Henon", {}, "1 - k1*x*x + k3*y", "k2*x"}).map);
  ASSERT_TRUE(SelectUserMapByName(s, "Typed Henon"));
  EXPECT_EQ(PrepareSavePictureDialog(s, 800, 600).fileName, (sc.Dir().Path() / "Typed Henon.png").string());
}

// Texts drawn as solid blocks of their measured size, so that erasing them can be seen.
class BlockTextPainter : public TextPainter {
 public:
  void DrawText(Canvas& canvas, int x, int y, std::string_view text) override {
    const TextExtent e = Measure(canvas, text);
    for (int row = y; row < y + e.height; ++row) {
      for (int column = x; column < x + e.width; ++column) canvas.SetPixel(column, row, kBlack);
    }
  }
  TextExtent Measure(const Canvas&, std::string_view text) override {
    return {static_cast<int>(7 * text.size()), 13};
  }
};

// The worked example at twice its size, plot only: the initial point's 9 by 9 square
// (columns 555 to 563, rows 1076 to 1084, its lowest rows below the frame's lower line at
// row 1080, where no point's square reaches beyond row 1081) is left out, and every kept point inside the range covers
// 2 by 2 pixels from its own pixel (1104 / 7 pixels per unit across from column 480, 960 / 7
// up from row 1080).
TEST(Picture, PlotOnlyAtTwiceLeavesOutTheMarkAndDrawsPointsAtItsScale) {
  Scenario sc;  // Standard Map, range [0, 7] x [0, 7]
  OrbitraState& s = sc.State();
  sc.Apply(StartRun(s));
  ASSERT_EQ(s.Store.Buf, 1000);
  ASSERT_NE(s.Run.Settings.BoldPoints, 0);

  Canvas whole(1600, 1200), plot(1600, 1200);
  for (Canvas* c : {&whole, &plot}) c->SetTextScale(2.0);
  plot.SetFixedTextsShown(false);
  plot.SetMarksShown(false);
  DrawPicture(s, whole);
  DrawPicture(s, plot);
  for (int y = 1082; y <= 1084; ++y) {
    for (int x = 555; x <= 563; ++x) {
      EXPECT_EQ(whole.GetPixel(x, y), kBlack) << x << "," << y;
      EXPECT_EQ(plot.GetPixel(x, y), kWhite) << x << "," << y;
    }
  }
  int lone = 0;  // points whose neighbours on the right and below no other point reaches
  for (std::int32_t i = 0; i < s.Store.Buf; ++i) {
    const StoredPoint& p = s.Store.Slots[i];
    if (p.x < 0.1 || p.x > 6.9 || p.y < 0.1 || p.y > 6.9) continue;
    const int px = static_cast<int>(480 + p.x * 1104 / 7 + 0.5);
    const int py = static_cast<int>(1080 - p.y * 960 / 7 + 0.5);
    for (const Canvas* c : {&whole, &plot}) {
      for (int dy = 0; dy <= 1; ++dy) {
        for (int dx = 0; dx <= 1; ++dx) EXPECT_NE(c->GetPixel(px + dx, py + dy), kWhite) << i << " " << dx << dy;
      }
    }
    lone += plot.GetPixel(px + 2, py) == kWhite && plot.GetPixel(px, py + 2) == kWhite;
  }
  EXPECT_GT(lone, 100);  // squares, not a filled sea of points
}

// "Plot only" on the three boxes of mode 1, at a size whose sides differ from the window's
// ratio: every box text and every pixel of the whole picture but the status, mouse and
// "x= y=" lines; erasing those lines from a drawn picture leaves what never drawing them
// gives; then the picture is cut to what is drawn, with the margin, within the canvas.
TEST(Picture, PlotOnlyKeepsTheBoxesAndCutsToThem) {
  Scenario sc;
  OrbitraState& s = sc.State();
  sc.Apply(ApplyDisplayModeDialog(s, DisplayModeValues{1}));
  sc.Apply(StartRun(s));
  s.Run.FinalPointShown = 1;

  Canvas whole(1001, 700), plot(1001, 700);
  RecordingTextPainter wholeTexts, plotTexts;
  whole.SetTextPainter(&wholeTexts);
  plot.SetTextPainter(&plotTexts);
  for (Canvas* c : {&whole, &plot}) c->SetTextScale(1.25);
  plot.SetFixedTextsShown(false);
  DrawPicture(s, whole);
  DrawPicture(s, plot);
  EXPECT_TRUE(SamePixels(whole, plot));  // the recorder paints no letters
  std::vector<std::string> boxTexts;
  for (const Text& t : wholeTexts.Texts()) {
    static const char* const kLines[] = {"  N =", "RTN =", "DTN =", "Buf =", "Dsk =", "--Mouse--", "xm=", "ym=", "x="};
    if (std::none_of(std::begin(kLines), std::end(kLines), [&](const char* l) { return t.text.rfind(l, 0) == 0; })) {
      boxTexts.push_back(t.text);
    }
  }
  std::vector<std::string> plotOnly;
  for (const Text& t : plotTexts.Texts()) plotOnly.push_back(t.text);
  EXPECT_GT(boxTexts.size(), 10u);
  EXPECT_EQ(plotOnly, boxTexts);
  EXPECT_EQ(wholeTexts.Texts().size(), plotOnly.size() + 9 + 5);  // the status lines are drawn twice

  BlockTextPainter blocks;
  whole.SetTextPainter(&blocks);
  plot.SetTextPainter(&blocks);
  DrawPicture(s, whole);
  DrawPicture(s, plot);
  EXPECT_FALSE(SamePixels(whole, plot));
  const Canvas wholeCut = PlotOnlyPicture(whole), plotCut = PlotOnlyPicture(plot);
  EXPECT_TRUE(SamePixels(wholeCut, plotCut));
  EXPECT_LT(plotCut.Width(), 1001);
  EXPECT_EQ(plotCut.TextScale(), 1.25);
  whole.EraseFixedTexts();
  EXPECT_TRUE(SamePixels(whole, plot));

  // The cut: ink from (10, 20) to (60, 50) with a margin of 8 * 1.25 = 10 pixels; ink on the
  // last row, or on the first at twice the size, keeps its whole margin beyond the canvas,
  // white; nothing drawn keeps the canvas whole.
  Canvas marks(101, 77);
  marks.SetTextScale(1.25);
  EXPECT_EQ(PlotOnlyCut(marks).width, 101);
  EXPECT_EQ(PlotOnlyCut(marks).height, 77);
  marks.SetPixel(10, 20, kBlack);
  marks.SetPixel(60, 50, Colour::FromRgb(255, 255, 254));
  PictureCut cut = PlotOnlyCut(marks);
  EXPECT_EQ((std::vector<int>{cut.left, cut.top, cut.width, cut.height}), (std::vector<int>{0, 10, 71, 51}));
  const Canvas part = CutPicture(marks, cut);
  ASSERT_EQ(part.Width(), 71);
  EXPECT_EQ(part.GetPixel(10, 10), kBlack);
  EXPECT_EQ(part.GetPixel(60, 40), Colour::FromRgb(255, 255, 254));
  EXPECT_EQ(part.TextScale(), 1.25);
  marks.SetPixel(100, 76, kBlack);
  cut = PlotOnlyCut(marks);
  EXPECT_EQ((std::vector<int>{cut.left, cut.top, cut.width, cut.height}), (std::vector<int>{0, 10, 111, 77}));
  const Canvas padded = CutPicture(marks, cut);
  EXPECT_EQ(padded.GetPixel(100, 66), kBlack);
  EXPECT_EQ(padded.GetPixel(110, 76), kWhite);
  EXPECT_EQ(padded.GetPixel(101, 66), kWhite);
  marks.Clear();
  marks.SetPixel(50, 0, kBlack);
  marks.SetTextScale(2.0);
  cut = PlotOnlyCut(marks);
  EXPECT_EQ((std::vector<int>{cut.left, cut.top, cut.width, cut.height}), (std::vector<int>{34, -16, 33, 33}));
  EXPECT_EQ(CutPicture(marks, cut).GetPixel(16, 16), kBlack);
  EXPECT_EQ(CutPicture(marks, cut).GetPixel(16, 15), kWhite);

}

TEST(Picture, SizesAndTargetsAreCheckedBeforeAnythingIsDrawn) {
  Scenario sc;
  OrbitraState& s = sc.State();
  const PictureSize thrice = ChoosePictureSize(PictureScale::ThreeTimes, 800, 600, 0, 0);
  EXPECT_EQ(thrice.width, 2400);
  EXPECT_EQ(thrice.height, 1800);
  EXPECT_EQ(thrice.textScale, 3.0);
  const PictureSize custom = ChoosePictureSize(PictureScale::WidthByHeight, 800, 600, 1000, 1500);
  EXPECT_EQ(custom.textScale, 1.25);  // the smaller of 1000/800 and 1500/600

  SavePictureValues values = PrepareSavePictureDialog(s, 800, 600);
  EXPECT_EQ(PictureTarget(s, "plot"), sc.Dir().Path() / "plot.png");
  EXPECT_EQ(PictureTarget(s, "plot.bmp"), sc.Dir().Path() / "plot.bmp");

  testing::ScriptedPrompter& prompts = sc.Prompts();
  prompts.Clear();
  values.fileName = "";
  EXPECT_FALSE(ConfirmPictureTarget(PictureTarget(s, values.fileName), values, thrice, prompts));
  values.fileName = "plot.png";
  EXPECT_FALSE(ConfirmPictureTarget(PictureTarget(s, values.fileName), values,
                                    ChoosePictureSize(PictureScale::FourTimes, 4001, 600, 0, 0), prompts));
  EXPECT_FALSE(ConfirmPictureTarget(PictureTarget(s, values.fileName), values,
                                    ChoosePictureSize(PictureScale::WidthByHeight, 800, 600, 12000, 9000), prompts));
  EXPECT_TRUE(ConfirmPictureTarget(PictureTarget(s, values.fileName), values, thrice, prompts));
  sc.Dir().Write("plot.png", "mine");
  prompts.Script({Answer::No});
  EXPECT_FALSE(ConfirmPictureTarget(PictureTarget(s, values.fileName), values, thrice, prompts));
  std::filesystem::create_directory(sc.Dir().File("folder.png"));
  values.fileName = "folder.png";
  EXPECT_FALSE(ConfirmPictureTarget(PictureTarget(s, values.fileName), values, thrice, prompts));
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{
                                 "No file name is given.",
                                 "A picture of 16001 by 2400 pixels is too large to draw.",
                                 "A picture of 12000 by 9000 pixels is too large to draw.",
                                 "File plot.png exists. Overwrite?",
                                 "Cannot replace \"" + sc.Dir().File("folder.png").string() + "\": Is a directory",
                             }));
  EXPECT_EQ(sc.Dir().Read("plot.png"), "mine");
}

}  // namespace
}  // namespace orbitra
