// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter plane's and the basins' window logic: a stopped and resumed window on
// several threads ends with the one-thread blocking run's picture; zoom and history; the
// pointer's text; the dialog's checks; the export only once every pixel is in.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "explorer/selection_dialog_logic.h"
#include "support/scenario.h"
#include "sweeps/grid_window_logic.h"

namespace orbitra {
namespace {

using testing::Scenario;

void ChooseHenon(Scenario& sc, int system = 1) {
  SelectionDialogValues v = PrepareSelectionDialog(sc.State());
  PickSystemInList(v, system);
  if (system == 1) {
    v.k1 = 1.4;
    v.k2 = 0.3;
    v.k3 = 1.0;
  }
  sc.Apply(ApplySelectionDialog(sc.State(), sc.Prompts(), v));
}

// Henon, k1 over [0.55, 0.75] and k2 over [0.28, 0.32]: period 2 everywhere (its window
// is 3(1-b)^2/4 < k1 < 5(1-b)^2/4 + b, at least 0.389 to 0.91 here).
GridWindowValues PeriodTwoPlane(Scenario& sc, int threads) {
  GridWindowValues v = PrepareParameterPlaneDialog(sc.State());
  v.settings.range = {0.55, 0.75, 0.28, 0.32};
  v.settings.from = {0.1, 0.1};
  v.settings.transient = 300;
  v.settings.lyapunovIterations = 200;
  v.threads = threads;
  return v;
}

void Finish(SweepView& view) {
  while (view.Working()) std::this_thread::yield();
  view.Poll();
}

TEST(GridWindow, AStoppedAndResumedWindowEndsWithTheOneThreadBlockingPicture) {
  Scenario sc;
  ChooseHenon(sc);
  GridWindowValues values = PrepareParameterPlaneDialog(sc.State());
  values.settings.colouring = GridColouring::Lyapunov;
  values.settings.range = {0.9, 1.45, 0.05, 0.35};
  values.settings.transient = 20000;  // long rows, so that the stop comes first
  values.threads = 3;
  GridWindowLogic w(sc.State(), sc.Prompts(), values);
  w.Resize(331, 203);
  w.Stop();
  w.Poll();
  EXPECT_FALSE(w.Runner().Complete());
  EXPECT_NE(w.StatusText().find(", stopped"), std::string::npos) << w.StatusText();
  EXPECT_EQ(w.Export(sc.Dir().Path() / "early.txt"), kGridExportIncomplete);
  ASSERT_TRUE(w.Resume());
  Finish(w);
  ASSERT_TRUE(w.Runner().Complete());
  const GridJob& job = *w.CurrentJob();
  EXPECT_EQ(w.StatusText(),
            "Parameter plane: 100% of " + std::to_string(job.Layout().gridWidth * job.Layout().gridHeight) +
                " pixels, done");

  GridSettings s = values.settings;
  s.width = job.Layout().gridWidth;
  s.height = job.Layout().gridHeight;
  GridSweep blocking(sc.State().Model, s, {0, s.height});
  WorkerPool one(1);
  blocking.Run(one);
  Canvas picture(331, 203);
  DrawGridView(picture, blocking.Values(), sc.State().Boxes.XYBox.Label);
  for (int y = 0; y < 203; ++y) {
    for (int x = 0; x < 331; ++x) ASSERT_EQ(w.Shown().GetPixel(x, y), picture.GetPixel(x, y)) << x << ", " << y;
  }
  EXPECT_EQ(w.WindowTitle(), "Parameter Plane - Henon D-C Map");
}

TEST(GridWindow, ZoomBackForwardAndThePointersText) {
  Scenario sc;
  ChooseHenon(sc);
  GridWindowLogic w(sc.State(), sc.Prompts(), PeriodTwoPlane(sc, 2));
  w.Resize(300, 200);
  Finish(w);
  const GridPictureLayout layout = w.CurrentJob()->Layout();
  const double dk1 = 0.2 / layout.gridWidth, dk2 = 0.04 / layout.gridHeight;

  // The pointer over cell (3, 5): its centre, period 2, a negative λ1.
  const std::string text = w.PointerText(layout.PixelX(3), layout.PixelY(5));
  char expected[80];
  std::snprintf(expected, sizeof expected, "k1 = %.6g, k2 = %.6g: period 2, \xCE\xBB" "1 = -", 0.55 + 3.5 * dk1,
                0.28 + 5.5 * dk2);
  EXPECT_EQ(text.rfind(expected, 0), 0u) << text;
  EXPECT_EQ(w.PointerText(layout.frameLeft - 5, layout.PixelY(5)), "");

  // Columns 2..11, rows 4..9, dragged from the top right corner.
  ASSERT_TRUE(w.ZoomTo(layout.PixelX(11), layout.PixelY(9), layout.PixelX(2), layout.PixelY(4)));
  EXPECT_DOUBLE_EQ(w.CurrentView().range.Xmin, 0.55 + 2 * dk1);
  EXPECT_DOUBLE_EQ(w.CurrentView().range.Xmax, 0.55 + 12 * dk1);
  EXPECT_DOUBLE_EQ(w.CurrentView().range.Ymin, 0.28 + 4 * dk2);
  EXPECT_DOUBLE_EQ(w.CurrentView().range.Ymax, 0.28 + 10 * dk2);
  EXPECT_EQ(w.CurrentView().colouring, GridColouring::Period);
  Finish(w);
  EXPECT_EQ(w.CurrentJob()->Values().settings.range, w.CurrentView().range);  // at full resolution
  EXPECT_EQ(w.CurrentJob()->Values().settings.width, layout.gridWidth);
  EXPECT_FALSE(w.ZoomTo(layout.PixelX(4), layout.PixelY(4), layout.PixelX(4), layout.PixelY(30)));
  ASSERT_TRUE(w.Back());
  EXPECT_EQ(w.CurrentView().range, (WorldRange{0.55, 0.75, 0.28, 0.32}));
  ASSERT_TRUE(w.Forward());
  EXPECT_DOUBLE_EQ(w.CurrentView().range.Xmin, 0.55 + 2 * dk1);
  ASSERT_TRUE(w.Reset());
  EXPECT_FALSE(w.CanBack());
  w.Stop();
}

TEST(GridWindow, ClicksOnAnotherMapAreRefusedAndTheExportHasALinePerPixel) {
  Scenario sc;
  ChooseHenon(sc);
  GridWindowValues values = PrepareBasinsDialog(sc.State());
  EXPECT_EQ(values.settings.range, sc.State().Boxes.XYBox.GetRange());
  values.settings.range = {-2.0, 2.0, -1.5, 1.5};
  values.threads = 2;
  GridWindowLogic w(sc.State(), sc.Prompts(), values);
  w.Resize(401, 251);
  Finish(w);
  EXPECT_EQ(w.WindowTitle(), "Basins - Henon D-C Map");
  const GridPictureLayout layout = w.CurrentJob()->Layout();
  const std::filesystem::path file = sc.Dir().Path() / "basins.txt";
  ASSERT_FALSE(w.Export(file));
  std::ifstream in(file);
  std::string line, last;
  int lines = 0;
  while (std::getline(in, line)) ++lines, last = line;
  EXPECT_EQ(lines, layout.gridWidth * layout.gridHeight);
  // The top right pixel, about (1.99, 1.49), goes to about (-3.05, 0.60), (-11.4, -0.92),
  // then (-183, ...): past |z| = 100 at the third iteration.
  EXPECT_EQ(last.substr(last.rfind(' ')), " 3") << last;

  ChooseHenon(sc, 2);
  sc.Prompts().Clear();
  const WorldPoint before{sc.State().Run.InitialPoint.x, sc.State().Run.InitialPoint.y};
  EXPECT_EQ(w.Click(layout.PixelX(5), layout.PixelY(5)), Invalidation::None);
  EXPECT_EQ(sc.Prompts().Messages(), std::vector<std::string>{kGridOtherMap});
  EXPECT_EQ(sc.State().Run.InitialPoint.x, before.x);
  EXPECT_EQ(sc.State().Run.InitialPoint.y, before.y);
}

TEST(GridWindow, TheDialogsValuesAreChecked) {
  Scenario sc;
  ChooseHenon(sc);
  const GridWindowValues plane = PrepareParameterPlaneDialog(sc.State());
  EXPECT_EQ(plane.settings.range, (WorldRange{0.0, 1.4, 0.0, 0.3}));  // from 0 to k1, k2
  EXPECT_EQ(plane.settings.transient, 1000);
  EXPECT_EQ(plane.settings.longestPeriod, 64);
  EXPECT_EQ(plane.settings.lyapunovIterations, 1000);
  EXPECT_FALSE(CheckGridWindowValues(plane));
  const auto problem = [&](auto change) {
    GridWindowValues v = plane;
    change(v);
    return CheckGridWindowValues(v).value_or("");
  };
  EXPECT_EQ(problem([](GridWindowValues& v) { v.settings.yParameter = 0; }),
            "The two axes must be two different parameters.");
  EXPECT_EQ(problem([](GridWindowValues& v) { v.settings.range.Ymax = 0.0; }),
            "Each range must go from a lower to a higher value.");
  EXPECT_EQ(problem([](GridWindowValues& v) { v.settings.longestPeriod = 1001; }),
            "The longest period must be from 1 to 1000.");
  EXPECT_EQ(problem([](GridWindowValues& v) { v.settings.longestPeriod = 1000; }), "");
  EXPECT_EQ(problem([](GridWindowValues& v) { v.settings.escape = 0.0; }),
            "The escape threshold must be a number above 0.");
  EXPECT_EQ(problem([](GridWindowValues& v) { v.settings.transient = -1; }), "The transient cannot be negative.");
  EXPECT_EQ(problem([](GridWindowValues& v) { v.threads = 0; }), "Threads must be from 1 to 1024.");
  GridWindowValues basins = PrepareBasinsDialog(sc.State());
  basins.settings.yParameter = basins.settings.xParameter;  // no axes for basins
  EXPECT_FALSE(CheckGridWindowValues(basins));
}

}  // namespace
}  // namespace orbitra
