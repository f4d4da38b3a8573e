// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "explorer/controls_logic.h"
#include "explorer/display_mode_logic.h"
#include "explorer/initial_conditions_logic.h"
#include "explorer/selection_dialog_logic.h"
#include "explorer/startup.h"
#include "maps/map_routines.h"
#include "storage/point_buffer.h"
#include "support/scripted_prompter.h"
#include "support/temp_work_dir.h"

namespace orbitra {
namespace {

using testing::ScriptedPrompter;
using testing::TempWorkDir;

// A state as the program has it right after start-up, in a fresh directory.
class DialogLogicTest : public ::testing::Test {
 protected:
  DialogLogicTest() : state(dir.Path()) { StartUp(state, prompter); }

  void StorePoints(int n) {
    for (int i = 0; i < n; ++i) StorePoint(state.Store, 0.1 * i, 0.2, 0);
  }

  TempWorkDir dir;
  ScriptedPrompter prompter;
  OrbitraState state;
};

// --- "Mapping System Selection" ---

TEST_F(DialogLogicTest, SelectionOpensWithStandardMapAfterStartUp) {
  const SelectionDialogValues v = PrepareSelectionDialog(state);
  EXPECT_EQ(v.listPosition, 0);
  EXPECT_EQ(v.systemNumber, 1);
  EXPECT_EQ(v.formulaLine1, "x'=x+y (mod 2pi)");
  EXPECT_EQ(v.formulaLine2, "y'=y+k1 sin(x') (mod 2pi)");
  EXPECT_EQ(v.k1, 0.7);
  EXPECT_EQ(v.k2, 0.0);
  EXPECT_EQ(v.k3, 0.0);
  EXPECT_EQ(v.k4, 0.0);
  EXPECT_EQ(v.useDefaultRange, 1);
  EXPECT_FALSE(v.pending.has_value());
}

TEST_F(DialogLogicTest, PickingASystemLoadsItsDefaultsIntoTheDialogOnly) {
  SelectionDialogValues v = PrepareSelectionDialog(state);
  v.k1 = 3.5;              // typed by the user, replaced by the pick
  v.useDefaultRange = 0;   // unticked by the user, kept through the pick
  PickSystemInList(v, 1);  // "Henon D-C Map"
  EXPECT_EQ(v.listPosition, 1);
  EXPECT_EQ(v.systemNumber, 2);
  EXPECT_EQ(v.k1, 0.95);
  EXPECT_EQ(v.k2, 1.0);
  EXPECT_EQ(v.k3, -1.0);
  EXPECT_EQ(v.k4, 0.0);
  EXPECT_EQ(v.formulaLine1, "x'=1-k1 x^2 +k3 y");
  EXPECT_EQ(v.formulaLine2, "y'=k2 x ");
  EXPECT_EQ(v.useDefaultRange, 0);
  ASSERT_TRUE(v.pending.has_value());
  EXPECT_EQ(v.pending->DefaultRange, (WorldRange{-1, 1, -1, 1}));
  EXPECT_EQ(v.pending->routine, &HenonDcMapRoutine);
  // The model is untouched until "OK".
  EXPECT_EQ(state.Model.system, 1);
  EXPECT_EQ(state.Model.k1, 0.7);

  const SelectionDialogValues before = v;
  PickSystemInList(v, 10);  // beyond the ten listed systems
  PickSystemInList(v, -1);
  EXPECT_EQ(v.systemNumber, before.systemNumber);
  EXPECT_EQ(v.k1, before.k1);
}

TEST_F(DialogLogicTest, OkWithAnotherSystemDeletesWithoutAskingAndTakesItsRange) {
  StorePoints(5);
  SelectionDialogValues v = PrepareSelectionDialog(state);
  PickSystemInList(v, 1);
  v.k2 = 0.5;  // typed after the pick: applied as left
  EXPECT_EQ(ApplySelectionDialog(state, prompter, v), Invalidation::WithErase);
  EXPECT_TRUE(prompter.All().empty());
  EXPECT_EQ(state.Store.Buf, 0);
  EXPECT_EQ(state.Model.system, 2);
  EXPECT_EQ(state.Model.k1, 0.95);
  EXPECT_EQ(state.Model.k2, 0.5);
  EXPECT_EQ(state.Model.routine, &HenonDcMapRoutine);
  EXPECT_EQ(state.Boxes.XYBox.Label, "Henon D-C Map");
  EXPECT_EQ(state.Boxes.XYBox.GetRange(), (WorldRange{-1, 1, -1, 1}));
  // The evolution boxes: [0, Iterations] across, the default x or y range upwards.
  EXPECT_EQ(state.Boxes.XBox.GetRange(), (WorldRange{0, 1000, -1, 1}));
  EXPECT_EQ(state.Boxes.YBox.GetRange(), (WorldRange{0, 1000, -1, 1}));
}

TEST_F(DialogLogicTest, OkWithTheSameSystemAsksBeforeDeleting) {
  StorePoints(2);
  SelectionDialogValues v = PrepareSelectionDialog(state);
  v.k1 = 1.2;
  prompter.Script({Answer::No});
  ApplySelectionDialog(state, prompter, v);
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Do you want to delete previous data?"});
  EXPECT_EQ(state.Store.Buf, 2);  // "No" keeps the points...
  EXPECT_EQ(state.Model.k1, 1.2);  // ...and still applies the parameters

  prompter.Clear();
  prompter.Script({Answer::Yes});
  ApplySelectionDialog(state, prompter, PrepareSelectionDialog(state));
  EXPECT_EQ(state.Store.Buf, 0);
}

TEST_F(DialogLogicTest, OkWithTheRangeBoxClearedKeepsTheRangesAndIsRemembered) {
  state.Boxes.XYBox.SetRange(2, 2, 3, 3);
  const WorldRange xBox = state.Boxes.XBox.GetRange();
  SelectionDialogValues v = PrepareSelectionDialog(state);
  PickSystemInList(v, 2);  // "Hyperbolic <C>", default range [-2, 2]
  v.useDefaultRange = 0;
  ApplySelectionDialog(state, prompter, v);
  EXPECT_EQ(state.Boxes.XYBox.GetRange(), (WorldRange{2, 3, 2, 3}));
  EXPECT_EQ(state.Boxes.XBox.GetRange(), xBox);
  EXPECT_EQ(state.Model.DefaultRange, (WorldRange{-2, 2, -2, 2}));
  EXPECT_EQ(state.UseDefaultRange, 0);
  EXPECT_EQ(PrepareSelectionDialog(state).useDefaultRange, 0);
  EXPECT_EQ(PrepareSelectionDialog(state).systemNumber, 3);
}

// --- "Initial conditions" ---

TEST_F(DialogLogicTest, InitialConditionsOpenWithTheStartUpValues) {
  const InitialConditionsValues v = PrepareInitialConditionsDialog(state);
  EXPECT_EQ(v.systemName, "Standard Map");
  EXPECT_EQ(v.k1, 0.7);
  EXPECT_EQ(v.k2, 0.0);
  EXPECT_EQ(v.k3, 0.0);
  for (double x : {v.x0, v.xm, v.xc}) EXPECT_EQ(x, 0.5);
  for (double y : {v.y0, v.ym, v.yc}) EXPECT_EQ(y, 0.0);
  EXPECT_EQ(v.iterations, 1000);
  EXPECT_EQ(v.colourIndex, 0);
  EXPECT_EQ(v.dataIntoBuffer, 1);
  EXPECT_EQ(v.onlyDataInBox, 0);
  EXPECT_EQ(v.runOnOk, 0);
  EXPECT_EQ(v.useOnContinue, 0);

  state.RunOnOk = 1;
  EXPECT_EQ(PrepareInitialConditionsDialog(state).runOnOk, 1);
  InitialConditionsDialogClosed(state);
  EXPECT_EQ(state.RunOnOk, 0);
}

TEST(ColourList, IsSortedSoThatItsPositionsAreTheColourIndices) {
  const auto& names = SortedColourNames();
  const std::array<std::string_view, kColourCount> shown = {
      "Black", "Blue",        "Blue Dark", "Blue Light", "Gray",     "Gray Dark", "Gray Light",
      "Green", "Green Dark",  "Green Light", "Red",      "Red Dark", "Red Light"};
  EXPECT_EQ(names, shown);
  ColourTable table{};
  FillColourTable(table);
  EXPECT_EQ(table[1], Colour::FromRgb(0, 0, 180));   // "Blue"
  EXPECT_EQ(table[12], Colour::FromRgb(240, 0, 0));  // "Red Light"
}

TEST_F(DialogLogicTest, InitialConditionsOkRestartsTheTrajectoryAtTheInitialPoint) {
  state.Run.InitialPoint.colour = 3;
  state.Run.CurrentPoint = TrajectoryPoint{9, 9, 5, {}};
  state.Run.Requests.ContinueRun = 1;
  InitialConditionsValues v = PrepareInitialConditionsDialog(state);
  v.onlyDataInBox = 1;
  v.dataIntoBuffer = 0;
  v.iterations = 5000;
  v.x0 = 0.25;
  v.y0 = -1.5;
  v.colourIndex = 12;
  v.runOnOk = 0;
  EXPECT_EQ(ApplyInitialConditionsDialog(state, v), Invalidation::WithErase);
  const RunState& run = state.Run;
  EXPECT_EQ(run.Settings.RestrictToBox, 1);
  EXPECT_EQ(run.Settings.StoreInBuffer, 0);
  EXPECT_EQ(run.Settings.Iterations, 5000);
  EXPECT_EQ(run.Settings.ContinueIterations, 1000);  // "Use this value on Continue Trajectory" clear
  EXPECT_EQ(run.InitialPoint.x, 0.25);
  EXPECT_EQ(run.InitialPoint.y, -1.5);
  EXPECT_EQ(run.InitialPoint.colour, 3);  // the point's own colour index stays
  EXPECT_EQ(run.CurrentPoint.x, 0.25);
  EXPECT_EQ(run.CurrentPoint.y, -1.5);
  EXPECT_EQ(run.CurrentPoint.colour, 3);
  EXPECT_EQ(run.RunColour, 12);
  EXPECT_EQ(run.Requests.RunPending, 0);
  EXPECT_EQ(run.Requests.ContinueRun, 0);
  EXPECT_EQ(state.Boxes.XBox.Xmin, 0.0);
  EXPECT_EQ(state.Boxes.XBox.Xmax, 5000.0);
  EXPECT_EQ(state.Boxes.YBox.Xmax, 5000.0);

  v.useOnContinue = 1;
  v.runOnOk = 1;
  ApplyInitialConditionsDialog(state, v);
  EXPECT_EQ(state.Run.Settings.ContinueIterations, 5000);
  EXPECT_EQ(state.Run.Requests.RunPending, 1);
}

TEST_F(DialogLogicTest, OptionsSetInOneDialogShowInTheOther) {
  InitialConditionsValues ic = PrepareInitialConditionsDialog(state);
  ic.onlyDataInBox = 1;
  ApplyInitialConditionsDialog(state, ic);
  EXPECT_EQ(PrepareControlsDialog(state).restrictToBox, 1);

  ControlsDialogValues c = PrepareControlsDialog(state);
  c.storeInBuffer = 0;
  ApplyControlsDialog(state, c);
  EXPECT_EQ(PrepareInitialConditionsDialog(state).dataIntoBuffer, 0);
}

// --- "Controls" and "DisplayMode" ---

TEST_F(DialogLogicTest, ControlsOpenWithTheStartUpSettingsAndTheStoreSizes) {
  const ControlsDialogValues v = PrepareControlsDialog(state);
  EXPECT_EQ(v.bufferInBlack, 0);
  EXPECT_EQ(v.restrictToBox, 0);
  EXPECT_EQ(v.showStreamPoints, 0);
  EXPECT_EQ(v.storeInBuffer, 1);
  EXPECT_EQ(v.showBufferPoints, 1);
  EXPECT_EQ(v.bufferCapacity, 1000000);
  EXPECT_EQ(v.infoEvery, 10);
  EXPECT_EQ(v.boldPoints, 1);
  EXPECT_EQ(v.continueIterations, 1000);
  EXPECT_EQ(v.infinity, 10000.0);
  // 1000000 slots of 24 bytes are 23437.5 KB: a started kilobyte counts.
  EXPECT_EQ(v.memoryKb, 23438);
  EXPECT_EQ(v.diskKb, 0);  // the stream is emptied at start-up
}

TEST_F(DialogLogicTest, StoreSizesInKilobytes) {
  dir.Write("tmpdata.bin", std::string(2048, 'x'));
  EXPECT_EQ(StreamFileKb(state), 2);
  dir.Write("tmpdata.bin", std::string(2049, 'x'));
  EXPECT_EQ(StreamFileKb(state), 3);
  std::filesystem::remove(dir.File("tmpdata.bin"));
  EXPECT_EQ(StreamFileKb(state), 0);

  PointStore store;
  EXPECT_EQ(BufferMemoryKb(store), 0);  // nothing allocated
}

TEST_F(DialogLogicTest, ControlsOkWritesTheSettingsButNotTheCapacity) {
  ControlsDialogValues v = PrepareControlsDialog(state);
  v.bufferInBlack = 1;
  v.restrictToBox = 1;
  v.showStreamPoints = 1;
  v.storeInBuffer = 0;
  v.showBufferPoints = 0;
  v.bufferCapacity = 10;
  v.infoEvery = 0;
  v.boldPoints = 0;
  v.continueIterations = 250;
  v.infinity = 1e6;
  ApplyControlsDialog(state, v);
  const RunSettings& s = state.Run.Settings;
  EXPECT_EQ(s.BufferInBlack, 1);
  EXPECT_EQ(s.RestrictToBox, 1);
  EXPECT_EQ(s.ShowStreamPoints, 1);
  EXPECT_EQ(s.StoreInBuffer, 0);
  EXPECT_EQ(s.ShowBufferPoints, 0);
  EXPECT_EQ(s.InfoEvery, 0);
  EXPECT_EQ(s.BoldPoints, 0);
  EXPECT_EQ(s.ContinueIterations, 250);
  EXPECT_EQ(s.InfinityValue, 1e6);
  EXPECT_EQ(state.Store.BufferCapacity, 1000000);
  EXPECT_EQ(PrepareControlsDialog(state).bufferCapacity, 1000000);
}

TEST_F(DialogLogicTest, DisplayModeTakesOnlyTheTwoPositions) {
  EXPECT_EQ(PrepareDisplayModeDialog(state).mode, 0);
  EXPECT_EQ(ApplyDisplayModeDialog(state, DisplayModeValues{1}), Invalidation::WithErase);
  EXPECT_EQ(state.Run.Settings.DisplayMode, 1);
  EXPECT_EQ(ApplyDisplayModeDialog(state, DisplayModeValues{-1}), Invalidation::None);
  EXPECT_EQ(state.Run.Settings.DisplayMode, 1);
}

}  // namespace
}  // namespace orbitra
