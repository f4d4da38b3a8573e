// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "analysis/grid_sweep.h"
#include "explorer/selection_dialog_logic.h"
#include "maps/mapping_catalogue.h"
#include "support/recording_text_painter.h"
#include "support/scenario.h"
#include "sweeps/orbit_diagram_view.h"
#include "sweeps/grid_view.h"

namespace orbitra {
namespace {

GridSettings Plane() {
  GridSettings s;
  s.colouring = GridColouring::Period;
  s.xParameter = 0;
  s.yParameter = 1;
  s.range = {0.0, 1.5, -0.4, 0.4};  // cells 0.0375 wide, 0.02 high
  s.width = 40;
  s.height = 40;
  return s;
}

TEST(GridView, ClicksReachTheExplorer) {
  testing::Scenario scenario;
  OrbitraState& state = scenario.State();
  SelectionDialogValues henon = PrepareSelectionDialog(state);
  PickSystemInList(henon, 1);  // "Henon D-C Map"
  scenario.Apply(ApplySelectionDialog(state, scenario.Prompts(), henon));
  const double k3 = state.Model.k3;
  const WorldRange box = state.Boxes.XYBox.GetRange();

  // Cell (37, 35): k1 = (37 + 0.5) * 0.0375, k2 = -0.4 + (35 + 0.5) * 0.02. The click
  // says what it does first; "No" leaves the explorer alone.
  scenario.Prompts().Script({Answer::No});
  EXPECT_EQ(ApplyParameterPlaneClick(state, scenario.Prompts(), Plane(), GridCell{37, 35}), Invalidation::None);
  EXPECT_EQ(state.Model.k3, k3);
  EXPECT_NE(state.Model.k1, 1.40625);
  scenario.Prompts().Script({Answer::Yes});
  scenario.Apply(ApplyParameterPlaneClick(state, scenario.Prompts(), Plane(), GridCell{37, 35}));
  EXPECT_EQ(scenario.Prompts().Texts().back(), "Set k1 = 1.40625, k2 = 0.31 in the explorer?");
  EXPECT_DOUBLE_EQ(state.Model.k1, 1.40625);
  EXPECT_DOUBLE_EQ(state.Model.k2, 0.31);
  EXPECT_EQ(state.Model.k3, k3);
  EXPECT_EQ(state.Boxes.XYBox.GetRange(), box);
  // The box stayed for the click alone: "Use default graphics range " is still ticked, so
  // the next map chosen in "Select Mapping" shows its own default range.
  EXPECT_EQ(PrepareSelectionDialog(state).useDefaultRange, 1);
  SelectionDialogValues lozi = PrepareSelectionDialog(state);
  PickSystemInList(lozi, 2);
  scenario.Apply(ApplySelectionDialog(state, scenario.Prompts(), lozi));
  EXPECT_EQ(state.Boxes.XYBox.GetRange(), state.Model.DefaultRange);
  EXPECT_NE(state.Boxes.XYBox.GetRange(), box);

  GridSettings basins = Plane();
  basins.colouring = GridColouring::Escape;
  basins.range = {-2.0, 2.0, -1.0, 1.0};
  scenario.Apply(ApplyBasinsClick(state, basins, GridCell{0, 39}));
  EXPECT_DOUBLE_EQ(state.Run.InitialPoint.x, -1.95);
  EXPECT_DOUBLE_EQ(state.Run.InitialPoint.y, 0.975);
  EXPECT_GT(state.Store.DTN, 0);  // the run from there took place

  // With points stored, the explorer's own question follows the click's, as it was.
  scenario.Prompts().Clear();
  scenario.Prompts().Script({Answer::Yes, Answer::Yes});
  scenario.Apply(ApplyParameterPlaneClick(state, scenario.Prompts(), Plane(), GridCell{0, 0}));
  EXPECT_EQ(scenario.Prompts().Texts(), (std::vector<std::string>{"Set k1 = 0.01875, k2 = -0.39 in the explorer?",
                                                                  "Do you want to delete previous data?"}));
}

TEST(GridView, ZoomTakesWholeCellsUnderTheRectangle) {
  const GridSettings s = Plane();
  const GridPictureLayout layout = LayoutGridPicture(242, 128, 1.0);  // 40 by 40 cells
  ASSERT_EQ(layout.gridWidth, 40);
  ASSERT_EQ(layout.gridHeight, 40);
  // Corners in either order: columns 4..13, rows 10..29.
  const auto zoomed = ZoomedGridRange(s, layout, layout.PixelX(13), layout.PixelY(10), layout.PixelX(4), layout.PixelY(29));
  ASSERT_TRUE(zoomed);
  EXPECT_DOUBLE_EQ(zoomed->Xmin, 4 * 0.0375);
  EXPECT_DOUBLE_EQ(zoomed->Xmax, 14 * 0.0375);
  EXPECT_DOUBLE_EQ(zoomed->Ymin, -0.4 + 10 * 0.02);
  EXPECT_DOUBLE_EQ(zoomed->Ymax, -0.4 + 30 * 0.02);
  // A rectangle reaching past the frame is clipped to the cells; a single cell is no zoom.
  const auto all = ZoomedGridRange(s, layout, 0, 0, 1000, 1000);
  ASSERT_TRUE(all);
  EXPECT_DOUBLE_EQ(all->Xmax, 1.5);
  EXPECT_DOUBLE_EQ(all->Ymin, -0.4);
  EXPECT_FALSE(ZoomedGridRange(s, layout, layout.PixelX(3), layout.PixelY(3), layout.PixelX(3), layout.PixelY(20)));
}

// A window repaints from the rows handed over while workers go on; once every row is in,
// its picture is the one a blocking run (orbitra-render) draws, pixel for pixel.
TEST(GridView, ALiveViewEndsWithTheBlockingRunsPicture) {
  MappingModel henon;
  SelectSystemWithDefaults(henon, 2);
  henon.k1 = 1.2;
  henon.k3 = 1.0;
  GridSettings s;
  s.colouring = GridColouring::Escape;
  s.range = {-2.5, 2.5, -1.5, 2.0};
  const GridPictureLayout layout = LayoutGridPicture(331, 201, 1.0);
  s.width = layout.gridWidth;
  s.height = layout.gridHeight;
  GridSweep sweep(henon, s, {0, s.height});
  WorkerPool pool(2);
  sweep.Start(pool);
  Canvas live(331, 201);
  int repaints = 0;
  do {
    sweep.TakeFinished();
    DrawGridView(live, sweep.Values(), "Henon", &sweep.Shown());
    ++repaints;
  } while (pool.Running());
  pool.Wait();
  sweep.TakeFinished();
  DrawGridView(live, sweep.Values(), "Henon", &sweep.Shown());
  Canvas blocking(331, 201);
  DrawGridView(blocking, sweep.Values(), "Henon");
  EXPECT_GT(repaints, 0);
  for (int y = 0; y < 201; ++y) {
    for (int x = 0; x < 331; ++x) ASSERT_EQ(live.GetPixel(x, y), blocking.GetPixel(x, y)) << x << ", " << y;
  }
}

// A saved picture names the parameters that stay fixed under its title: those the map's
// formula lines name (Henon: k1, k2, k3; the Standard Map: k1 alone), but the varied ones.
TEST(GridView, PicturesNameTheFixedParametersUnderTheTitle) {
  testing::Scenario scenario;
  OrbitraState& state = scenario.State();
  SelectSystemWithDefaults(state.Model, 2);  // Henon D-C Map: x'=1-k1 x^2 +k3 y, y'=k2 x
  state.Model.k1 = 1.4, state.Model.k2 = 0.3, state.Model.k3 = 1.0, state.Model.k4 = 7.0;
  const MapParameters henon = MapParametersOf(state);
  EXPECT_EQ(FixedParametersText(henon), "k1 = 1.4, k2 = 0.3, k3 = 1");
  EXPECT_EQ(FixedParametersText(henon, 0, 1), "k3 = 1");
  EXPECT_EQ(FixedParametersText(MapParametersNamed("Henon D-C Map", {1.4, 0.3, 1.0, 7.0}), 2), "k1 = 1.4, k2 = 0.3");
  EXPECT_EQ(FixedParametersText(MapParametersNamed("my map", {0.125, 2.0, 3.0, -4.0})),
            "k1 = 0.125, k2 = 2, k3 = 3, k4 = -4");

  Canvas canvas(400, 300);
  testing::RecordingTextPainter painter;
  canvas.SetTextPainter(&painter);
  GridValues g(Plane(), {0, 40});
  DrawGridView(canvas, g, "Henon D-C Map", nullptr, &henon);
  const auto title = painter.TextsEqualTo("Henon D-C Map: k1 and k2 by period");
  const auto fixed = painter.TextsEqualTo("k3 = 1");
  ASSERT_EQ(title.size(), 1u);
  ASSERT_EQ(fixed.size(), 1u);
  EXPECT_GT(fixed[0].y, title[0].y);  // under the title, above the frame
  EXPECT_LT(fixed[0].y, LayoutGridPicture(400, 300, 1.0).frameTop);

  SelectSystemWithDefaults(state.Model, 1);  // Standard Map: k1 only
  state.Model.k1 = 0.97;
  OrbitDiagramValues values = PrepareOrbitDiagramDialog(state);
  values.view.parameter = 1;
  painter.Clear();
  auto job = MakeOrbitDiagramJob(DiagramMapOf(state), "Standard Map", values, values.view, 1e4, 400, 300,
                                 MapParametersOf(state));
  job->DrawFrame(canvas);
  EXPECT_EQ(painter.TextsEqualTo("k1 = 0.97").size(), 1u);
}

TEST(GridView, StatusTextOfAPixel) {
  GridSettings s = Plane();
  GridValues g(s, {0, s.height});
  const std::size_t i = g.Index(37, 35);
  g.value[i] = 0;
  g.lambda1[i] = 0.41912;
  g.done[i] = 1;
  EXPECT_EQ(GridPixelText(g, 37, 35), "k1 = 1.40625, k2 = 0.31: chaotic, \xCE\xBB" "1 = 0.4191");
  g.value[i] = 4;
  g.lambda1[i] = -0.25;
  EXPECT_EQ(GridPixelText(g, 37, 35), "k1 = 1.40625, k2 = 0.31: period 4, \xCE\xBB" "1 = -0.25");
  g.value[i] = -2;  // the export's value of an orbit not settled
  g.lambda1[i] = -0.003;
  EXPECT_EQ(GridPixelText(g, 37, 35), "k1 = 1.40625, k2 = 0.31: not settled, \xCE\xBB" "1 = -0.003");
  g.value[i] = 0;  // a grid kept from before: 0 with λ1 under the tolerance
  EXPECT_EQ(GridPixelText(g, 37, 35), "k1 = 1.40625, k2 = 0.31: not settled, \xCE\xBB" "1 = -0.003");
  EXPECT_EQ(GridPixelText(g, 2, 35), "k1 = 0.09375, k2 = 0.31: not computed yet");
  GridShown shown;
  shown.full.assign(40, 0);
  shown.coarse.assign(40, 1);
  EXPECT_EQ(GridPixelText(g, 37, 35, {}, &shown), "k1 = 1.40625, k2 = 0.31: not computed yet");
  EXPECT_EQ(GridProgressText(g, 400, 0.5), "Parameter plane: 25% of 1600 pixels, 0.0008 M pixels/s");
}

}  // namespace
}  // namespace orbitra
