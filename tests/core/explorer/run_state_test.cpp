// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "explorer/run_state.h"

namespace orbitra {
namespace {

TEST(RunState, StartUpValues) {
  RunState run;
  run.Settings.Iterations = 5;
  run.Requests.RunPending = 1;
  InitialiseRunState(run);
  for (const TrajectoryPoint* p : {&run.InitialPoint, &run.CurrentPoint, &run.MousePoint}) {
    EXPECT_EQ(p->x, 0.5);
    EXPECT_EQ(p->y, 0.0);
    EXPECT_EQ(p->colour, 0);
  }
  EXPECT_EQ(run.RunColour, 0);
  const RunSettings& s = run.Settings;
  EXPECT_EQ(s.Iterations, 1000);
  EXPECT_EQ(s.ContinueIterations, 1000);
  EXPECT_EQ(s.InfoEvery, 10);
  EXPECT_EQ(s.InfinityValue, 10000.0);
  EXPECT_EQ(s.StoreInBuffer, 1);
  EXPECT_EQ(s.RestrictToBox, 0);
  EXPECT_EQ(s.ShowBufferPoints, 1);
  EXPECT_EQ(s.ShowStreamPoints, 0);
  EXPECT_EQ(s.BufferInBlack, 0);
  EXPECT_EQ(s.BoldPoints, 1);
  EXPECT_EQ(s.DisplayMode, 0);
  EXPECT_EQ(run.Requests.RunPending, 0);
  EXPECT_EQ(run.Requests.ContinueRun, 0);
  EXPECT_EQ(run.Requests.GroupPending, 0);
  EXPECT_EQ(run.Mouse.LeftClickPending, 0);
  EXPECT_EQ(run.Mouse.RightPressPending, 0);
  EXPECT_EQ(run.Mouse.RightReleasePending, 0);
  EXPECT_EQ(run.Mouse.ZoomCorner1, (WorldPoint{0, 0}));
  EXPECT_EQ(run.Mouse.ZoomCorner2, (WorldPoint{0, 0}));
  EXPECT_EQ(run.Mouse.PressPixel, (PixelPoint{0, 0}));
}

TEST(ColourTable, HoldsTheSortedListColours) {
  ColourTable t{};
  FillColourTable(t);
  EXPECT_EQ(t[0], Colour::FromRgb(0, 0, 0));
  EXPECT_EQ(t[1], Colour::FromRgb(0, 0, 180));  // "Blue"
  EXPECT_EQ(t[4], Colour::FromRgb(140, 140, 140));
  EXPECT_EQ(t[10], Colour::FromRgb(160, 0, 0));
  EXPECT_EQ(t[12], Colour::FromRgb(240, 0, 0));  // "Red Light"
  EXPECT_EQ(t[4].ref, 140u + 256u * 140u + 65536u * 140u);
  EXPECT_EQ(t[12].ref, 240u);
}

TEST(ColourTable, IndexBeyondTheTableWrapsInsideIt) {
  ColourTable t{};
  FillColourTable(t);
  EXPECT_EQ(ColourOf(t, 12), t[12]);
  EXPECT_EQ(ColourOf(t, 13), t[0]);
  EXPECT_EQ(ColourOf(t, 14), t[1]);
  EXPECT_EQ(ColourOf(t, 255), t[255 % 13]);
}

}  // namespace
}  // namespace orbitra
