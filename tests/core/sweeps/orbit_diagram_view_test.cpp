// SPDX-License-Identifier: GPL-3.0-or-later
// The orbit diagram's window logic: zoom and history, deep zooms, the click that sets the
// explorer's parameter and the marker that follows it, Stop and resume, the counts file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "explorer/selection_dialog_logic.h"
#include "support/scenario.h"
#include "sweeps/orbit_diagram_view.h"
#include "sweeps/sweep_dialog_memory.h"

namespace orbitra {
namespace {

using testing::Scenario;

// The classic Henon map (b = 0.3) in the explorer, k1 = 1.4.
void ChooseHenon(Scenario& sc) {
  SelectionDialogValues v = PrepareSelectionDialog(sc.State());
  PickSystemInList(v, 1);
  v.k1 = 1.4;
  v.k2 = 0.3;
  v.k3 = 1.0;
  sc.Apply(ApplySelectionDialog(sc.State(), sc.Prompts(), v));
}

OrbitDiagramValues Values(Scenario& sc, double kmin, double kmax) {
  OrbitDiagramValues v = PrepareOrbitDiagramDialog(sc.State());
  v.view = OrbitDiagramView{0, kmin, kmax, 0, -1.5, 1.5, 200, 300};
  v.initial = WorldPoint{0.1, 0.1};
  v.threads = 2;
  return v;
}

void Finish(SweepView& view) {
  while (view.Working()) std::this_thread::yield();
  view.Poll();
}

TEST(OrbitDiagramWindow, ZoomComputesTheRectangleAnewAndTheHistoryWalksBackAndForth) {
  Scenario sc;
  ChooseHenon(sc);
  OrbitDiagramWindowLogic w(sc.State(), sc.Prompts(), Values(sc, 0.2, 1.0));
  w.Resize(403, 301);
  Finish(w);
  EXPECT_EQ(w.StatusText().rfind("Orbit diagram: 100% of ", 0), 0u) << w.StatusText();
  EXPECT_FALSE(w.CanBack());
  const DiagramLayout layout = LayOutDiagram(403, 301, w.CurrentView());

  // Columns 10..29 and rows 5..44 from the bottom, dragged from the bottom right corner.
  ASSERT_TRUE(w.ZoomTo(layout.gridLeft + 29, layout.gridBottom - 5, layout.gridLeft + 10, layout.gridBottom - 44));
  const OrbitDiagramView zoomed = w.CurrentView();
  const double dk = 0.8 / layout.columns, dx = 3.0 / layout.rows;
  EXPECT_DOUBLE_EQ(zoomed.parameterMin, 0.2 + 10 * dk);
  EXPECT_DOUBLE_EQ(zoomed.parameterMax, 0.2 + 30 * dk);
  EXPECT_DOUBLE_EQ(zoomed.coordinateMin, -1.5 + 5 * dx);
  EXPECT_DOUBLE_EQ(zoomed.coordinateMax, -1.5 + 45 * dx);
  EXPECT_EQ(zoomed.transient, 200);
  Finish(w);

  // A rectangle outside the grid, or without area, changes nothing.
  EXPECT_FALSE(w.ZoomTo(0, 0, 3, 3));
  EXPECT_FALSE(w.ZoomTo(layout.gridLeft + 5, 100, layout.gridLeft + 5, 200));
  EXPECT_EQ(w.CurrentView(), zoomed);

  ASSERT_TRUE(w.Back());
  EXPECT_EQ(w.CurrentView().parameterMin, 0.2);
  ASSERT_TRUE(w.Forward());
  EXPECT_EQ(w.CurrentView(), zoomed);
  EXPECT_FALSE(w.Forward());
  ASSERT_TRUE(w.Reset());
  EXPECT_EQ(w.CurrentView().parameterMax, 1.0);
  // A zoom from an earlier view drops the views after it.
  ASSERT_TRUE(w.ZoomTo(layout.gridLeft + 100, layout.gridBottom - 100, layout.gridLeft + 200, layout.gridBottom - 200));
  EXPECT_FALSE(w.CanForward());
  ASSERT_TRUE(w.Back());
  EXPECT_TRUE(w.CanForward());
  w.Stop();
}

TEST(OrbitDiagramWindow, DeepZoomsKeepDistinctColumnsDownToRangesOf1eMinus12) {
  Scenario sc;
  ChooseHenon(sc);
  OrbitDiagramValues values = Values(sc, 1.0, 1.06);
  values.view.transient = 10;
  values.view.points = 10;
  OrbitDiagramWindowLogic w(sc.State(), sc.Prompts(), values);
  w.Resize(320, 240);
  const DiagramLayout layout = LayOutDiagram(320, 240, w.CurrentView());
  // Two columns of the current view at a time, as long as that leaves a range of 1e-12.
  while ((w.CurrentView().parameterMax - w.CurrentView().parameterMin) * 2 / layout.columns >= 1e-12) {
    Finish(w);
    const OrbitDiagramView before = w.CurrentView();
    ASSERT_TRUE(w.ZoomTo(layout.gridLeft + 11, layout.gridBottom - 11, layout.gridLeft + 12, layout.gridBottom - 12))
        << before.parameterMax - before.parameterMin;
  }
  Finish(w);
  const OrbitDiagramView deep = w.CurrentView();
  EXPECT_LT(deep.parameterMax - deep.parameterMin, 1e-10);
  EXPECT_GT(deep.parameterMin, 1.0);
  EXPECT_LT(deep.parameterMax, 1.06);
  // Every column's parameter differs from its neighbour's, in order.
  const OrbitDiagramJob job(DiagramMapOf(sc.State()), OrbitDiagramSettings{deep, {0.1, 0.1}, true, 1e4},
                            DiagramShading::Black, "", 320, 240);
  for (int c = 1; c < job.Diagram().Columns(); ++c) {
    ASSERT_LT(job.Diagram().ParameterAt(c - 1), job.Diagram().ParameterAt(c)) << c;
  }
}

// Heavy columns: the progress moves within the first unit, before any unit is in (the
// window polls no unit here), and reaches 100 only when all are.
TEST(OrbitDiagramWindow, ProgressMovesWithinUnits) {
  Scenario sc;
  ChooseHenon(sc);
  OrbitDiagramValues values = Values(sc, 0.2, 1.0);
  values.view.transient = 300000;
  values.view.points = 10;
  values.threads = 1;
  OrbitDiagramWindowLogic w(sc.State(), sc.Prompts(), values);
  w.Resize(200, 150);
  while (w.Percent() == 0 && w.Working()) std::this_thread::yield();
  const int percent = w.Percent();
  const auto& units = w.Runner().UnitsDone();
  EXPECT_EQ(std::count(units.begin(), units.end(), 1), 0);
  EXPECT_GT(percent, 0);
  EXPECT_LT(percent, 100);
  w.Stop();
}

// A resize while the diagram computes keeps the job at its size and offers the new size;
// once it rests with no job computing (stopped here, or finished), it computes at once.
TEST(OrbitDiagramWindow, AResizeWhileComputingIsOfferedAndOneAtRestIsComputed) {
  Scenario sc;
  ChooseHenon(sc);
  OrbitDiagramValues values = Values(sc, 0.2, 1.0);
  values.view.transient = 2000000000;  // no column ends within the test
  values.threads = 1;
  OrbitDiagramWindowLogic w(sc.State(), sc.Prompts(), values);
  w.Resize(300, 200);
  ASSERT_TRUE(w.Working());
  w.SizeChanged(360, 240);
  EXPECT_FALSE(w.SizeOffered());  // not before the resizing rests
  EXPECT_FALSE(w.ResizeRested());
  EXPECT_TRUE(w.Working());
  EXPECT_EQ(w.Shown().Width(), 300);
  EXPECT_EQ(w.Shown().Height(), 200);
  EXPECT_TRUE(w.SizeOffered());
  // Back to the picture's size: nothing to offer.
  w.SizeChanged(300, 200);
  EXPECT_FALSE(w.SizeOffered());
  EXPECT_FALSE(w.ResizeRested());
  EXPECT_FALSE(w.SizeOffered());
  // F5 computes the offered size.
  w.SizeChanged(360, 240);
  EXPECT_FALSE(w.ResizeRested());
  ASSERT_TRUE(w.ComputeAtNewSize());
  EXPECT_EQ(w.Shown().Width(), 360);
  EXPECT_EQ(w.Shown().Height(), 240);
  EXPECT_FALSE(w.SizeOffered());
  EXPECT_FALSE(w.ComputeAtNewSize());

  // Stopped: the rested resize computes at the new size at once.
  w.Stop();
  w.SizeChanged(420, 260);
  EXPECT_TRUE(w.ResizeRested());
  EXPECT_EQ(w.Shown().Width(), 420);
  EXPECT_EQ(w.Shown().Height(), 260);
  EXPECT_FALSE(w.SizeOffered());
  w.Stop();

  // Finished: the same.
  OrbitDiagramWindowLogic quick(sc.State(), sc.Prompts(), Values(sc, 0.2, 1.0));
  quick.Resize(250, 180);
  Finish(quick);
  ASSERT_TRUE(quick.Runner().Complete());
  quick.SizeChanged(280, 190);
  EXPECT_TRUE(quick.ResizeRested());
  EXPECT_EQ(quick.Shown().Width(), 280);
  EXPECT_FALSE(quick.SizeOffered());
  quick.Stop();
}

// Each map keeps what its dialogs were accepted with; another map opens at its defaults,
// and planes and basins keep theirs apart.
TEST(SweepDialogMemory, EachMapKeepsItsOwnValues) {
  Scenario sc;
  ChooseHenon(sc);
  SweepDialogMemory memory;
  OrbitDiagramValues typed = RecallOrbitDiagramDialog(memory, sc.State());
  EXPECT_EQ(typed.view.parameterMin, 0.0);  // 0..k1 the first time
  typed.view.parameterMin = 0.7;
  typed.view.parameterMax = 1.3;
  RememberOrbitDiagramDialog(memory, sc.State(), typed);
  GridWindowValues plane = RecallParameterPlaneDialog(memory, sc.State());
  plane.settings.range.Ymin = 0.25;
  RememberGridDialog(memory, sc.State(), plane);
  EXPECT_EQ(RecallOrbitDiagramDialog(memory, sc.State()).view.parameterMin, 0.7);
  EXPECT_EQ(RecallOrbitDiagramDialog(memory, sc.State()).view.parameterMax, 1.3);
  EXPECT_EQ(RecallParameterPlaneDialog(memory, sc.State()).settings.range.Ymin, 0.25);
  EXPECT_EQ(RecallBasinsDialog(memory, sc.State()).settings.range, PrepareBasinsDialog(sc.State()).settings.range);

  SelectionDialogValues other = PrepareSelectionDialog(sc.State());
  PickSystemInList(other, 0);  // the Standard Map
  sc.Apply(ApplySelectionDialog(sc.State(), sc.Prompts(), other));
  EXPECT_EQ(RecallOrbitDiagramDialog(memory, sc.State()).view.parameterMax,
            PrepareOrbitDiagramDialog(sc.State()).view.parameterMax);
  EXPECT_NE(RecallOrbitDiagramDialog(memory, sc.State()).view.parameterMax, 1.3);
}

TEST(OrbitDiagramWindow, AClickSetsTheParameterInTheExplorerAndTheMarkerFollows) {
  Scenario sc;
  ChooseHenon(sc);
  OrbitDiagramWindowLogic w(sc.State(), sc.Prompts(), Values(sc, 0.2, 1.0));
  w.Resize(400, 300);
  Finish(w);
  const DiagramLayout layout = LayOutDiagram(400, 300, w.CurrentView());
  const Colour red = Colour::FromRgb(230, 0, 0);
  const auto markerColumns = [&] {
    std::vector<int> columns;
    for (int c = 0; c < layout.columns; ++c) {
      if (w.Shown().GetPixel(layout.gridLeft + c, layout.gridBottom - layout.rows / 2) == red) columns.push_back(c);
    }
    return columns;
  };
  EXPECT_TRUE(markerColumns().empty());  // k1 = 1.4 lies outside [0.2, 1.0]

  // The pointer over that pixel says where it is and what it holds.
  const double expected = 0.2 + (123 + 0.5) * (0.8 / layout.columns);
  const std::string pointer = w.PointerText(layout.gridLeft + 123, layout.gridBottom - 40);
  char where[80];
  std::snprintf(where, sizeof where, "k1 = %.6g, x = ", expected);
  EXPECT_EQ(pointer.rfind(where, 0), 0u) << pointer;
  EXPECT_NE(pointer.find(" of 300 points in this pixel"), std::string::npos) << pointer;
  EXPECT_EQ(w.PointerText(2, 2), "");

  // The click asks first; no keeps the explorer as it was.
  sc.Prompts().Script({Answer::No});
  EXPECT_EQ(w.Click(layout.gridLeft + 123, layout.gridBottom - 40), Invalidation::None);
  EXPECT_EQ(sc.State().Model.k1, 1.4);
  sc.Prompts().Script({Answer::Yes});
  EXPECT_EQ(w.Click(layout.gridLeft + 123, layout.gridBottom - 40), Invalidation::WithErase);
  char question[80];
  std::snprintf(question, sizeof question, "Set k1 = %.10g in the explorer?", expected);
  EXPECT_EQ(sc.Prompts().Texts().back(), question);
  EXPECT_DOUBLE_EQ(sc.State().Model.k1, expected);
  EXPECT_EQ(sc.State().Model.k2, 0.3);
  EXPECT_EQ(sc.State().Model.k3, 1.0);
  EXPECT_EQ(markerColumns(), std::vector<int>{123});

  // Outside the grid nothing happens; a map changed in the explorer is not touched.
  EXPECT_EQ(w.Click(2, 2), Invalidation::None);
  SelectionDialogValues other = PrepareSelectionDialog(sc.State());
  PickSystemInList(other, 0);
  sc.Apply(ApplySelectionDialog(sc.State(), sc.Prompts(), other));
  w.ExplorerChanged();
  EXPECT_TRUE(markerColumns().empty());
  const double standardK1 = sc.State().Model.k1;
  EXPECT_EQ(w.Click(layout.gridLeft + 50, layout.gridBottom - 40), Invalidation::None);
  EXPECT_EQ(sc.State().Model.k1, standardK1);
  ASSERT_FALSE(sc.Prompts().Messages().empty());
  EXPECT_EQ(sc.Prompts().Messages().back(),
            "The mapping window shows another map now: the diagram's parameter was not set.");
  w.Stop();
}

TEST(OrbitDiagramWindow, AStoppedDiagramResumesToThePictureOfAnUnbrokenOne) {
  Scenario sc;
  ChooseHenon(sc);
  OrbitDiagramValues values = Values(sc, 1.0, 1.45);
  // Long columns (some milliseconds each), so that the stop comes first.
  values.view.transient = 100000;
  values.view.points = 2000;
  OrbitDiagramWindowLogic whole(sc.State(), sc.Prompts(), values);
  whole.Resize(500, 200);
  Finish(whole);
  EXPECT_NE(whole.StatusText().find(" columns escaped"), std::string::npos) << whole.StatusText();

  values.threads = 3;
  OrbitDiagramWindowLogic cut(sc.State(), sc.Prompts(), values);
  cut.Resize(500, 200);
  cut.Stop();
  cut.Poll();
  EXPECT_FALSE(cut.Runner().Complete());
  EXPECT_NE(cut.StatusText().find(", stopped"), std::string::npos) << cut.StatusText();
  ASSERT_TRUE(cut.Resume());
  Finish(cut);
  ASSERT_TRUE(cut.Runner().Complete());
  EXPECT_EQ(cut.StatusText(), whole.StatusText());
  EXPECT_TRUE(std::equal(cut.Shown().Bits(), cut.Shown().Bits() + 500 * 200, whole.Shown().Bits()));
}

TEST(OrbitDiagramWindow, TheCountsFileHoldsEachHitPixelsCentreAndCount) {
  // k1 in [0.1, 0.3]: the stable fixed point x* = (-(1-b) + sqrt((1-b)^2 + 4a)) / 2a, so
  // each column has all its points in the one row that holds x*.
  Scenario sc;
  ChooseHenon(sc);
  OrbitDiagramValues values = Values(sc, 0.1, 0.3);
  values.view.coordinateMin = 0.0;
  values.view.coordinateMax = 2.0;
  values.view.transient = 3000;
  values.view.points = 77;
  OrbitDiagramWindowLogic w(sc.State(), sc.Prompts(), values);
  w.Resize(250, 180);
  Finish(w);
  const DiagramLayout layout = LayOutDiagram(250, 180, w.CurrentView());
  const std::filesystem::path file = sc.Dir().Path() / "counts.txt";
  ASSERT_FALSE(w.ExportCounts(file));

  std::ifstream in(file);
  std::string line;
  int c = 0;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    double k = 0.0, x = 0.0;
    unsigned count = 0;
    ASSERT_TRUE(fields >> k >> x >> count) << line;
    const double a = 0.1 + (c + 0.5) * (0.2 / layout.columns);
    const double fixed = (-(1 - 0.3) + std::sqrt((1 - 0.3) * (1 - 0.3) + 4 * a)) / (2 * a);
    ASSERT_DOUBLE_EQ(k, a) << line;
    const double half = 1.0 / layout.rows;
    EXPECT_LE(std::abs(x - fixed), half * (1 + 1e-9)) << line;
    EXPECT_EQ(count, 77u) << line;
    ++c;
  }
  EXPECT_EQ(c, layout.columns);
}

TEST(OrbitDiagramWindow, TheSpeedReadsInThousandsMillionsOrBillions) {
  EXPECT_EQ(RateText(1.3e9), "1.3 G");
  EXPECT_EQ(RateText(31e6), "31.0 M");
  EXPECT_EQ(RateText(999.0), "999");
  EXPECT_EQ(RateText(1000.0), "1.0 k");
}

}  // namespace
}  // namespace orbitra
