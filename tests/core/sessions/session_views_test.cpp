#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "analysis/grid_sweep.h"
#include "analysis/invariant_manifold.h"
#include "explorer/selection_dialog_logic.h"
#include "sessions/session_commands.h"
#include "support/scenario.h"
#include "sweeps/grid_window_logic.h"
#include "sweeps/orbit_diagram_view.h"
#include "sweeps/structure_commands.h"

namespace orbitra {
namespace {

using testing::Scenario;

bool SamePictures(const Canvas& a, const Canvas& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::memcmp(a.Bits(), b.Bits(), sizeof(Canvas::Pixel) * a.Width() * a.Height()) == 0;
}

void Finish(SweepView& view) {
  while (view.Working()) std::this_thread::yield();
  view.Poll();
}

// Henon's map, k1 = 1.4, b = 0.3, in the explorer.
void ChooseHenon(Scenario& sc) {
  SelectionDialogValues v = PrepareSelectionDialog(sc.State());
  PickSystemInList(v, 1);
  v.k1 = 1.4;
  v.k2 = 0.3;
  v.k3 = 1.0;
  sc.Apply(ApplySelectionDialog(sc.State(), sc.Prompts(), v));
}

GridWindowValues Plane(Scenario& sc, std::int32_t transient) {
  GridWindowValues v = PrepareParameterPlaneDialog(sc.State());
  v.settings.range = {0.9, 1.5, 0.1, 0.4};
  v.settings.from = {0.1, 0.1};
  v.settings.transient = transient;
  v.settings.longestPeriod = 16;
  v.settings.lyapunovIterations = 200;
  v.threads = 2;
  return v;
}

struct Opened {
  Scenario scenario;
  std::vector<SavedSweepView> sweeps;
  std::vector<std::unique_ptr<SweepView>> views;
};

// Opens the session in a fresh explorer and makes each saved window's view at its size.
void OpenWithViews(Opened& o, const std::filesystem::path& file) {
  o.scenario.Apply(OpenSession(o.scenario.State(), o.scenario.Prompts(), file, &o.sweeps));
  for (const SavedSweepView& saved : o.sweeps) {
    std::unique_ptr<SweepView> view = MakeSavedView(o.scenario.State(), o.scenario.Prompts(), saved);
    ASSERT_NE(view, nullptr);
    view->SetTextPainter(&o.scenario.Texts());
    view->Resize(SavedWidth(saved), SavedHeight(saved));
    o.views.push_back(std::move(view));
  }
}

TEST(SessionViews, EveryWindowAndTheStructureReopenWithTheSamePixelsAtOnce) {
  Scenario saved;
  ChooseHenon(saved);
  OrbitraState& state = saved.State();
  state.UseDefaultRange = 0;

  OrbitDiagramValues dv = PrepareOrbitDiagramDialog(state);
  dv.view = OrbitDiagramView{0, 1.0, 1.4, 0, -1.5, 1.5, 300, 400};
  dv.initial = {0.1, 0.1};
  dv.threads = 2;
  OrbitDiagramWindowLogic diagram(state, saved.Prompts(), dv);
  diagram.SetTextPainter(&saved.Texts());
  diagram.Resize(353, 247);
  Finish(diagram);
  // A zoom, then Back: two views in the history, the first one shown.
  const DiagramLayout layout = LayOutDiagram(353, 247, diagram.CurrentView());
  ASSERT_TRUE(diagram.ZoomTo(layout.gridLeft + 40, layout.gridBottom - 10, layout.gridLeft + 90, layout.gridBottom - 80));
  ASSERT_TRUE(diagram.Back());
  Finish(diagram);

  GridWindowLogic plane(state, saved.Prompts(), Plane(saved, 300));
  plane.SetTextPainter(&saved.Texts());
  plane.Resize(260, 190);
  Finish(plane);

  GridWindowValues bv = PrepareBasinsDialog(state);
  bv.settings.colouring = GridColouring::Attractor;
  bv.settings.range = {-1.5, 1.5, -0.5, 0.5};
  bv.settings.transient = 200;
  bv.threads = 2;
  GridWindowLogic basins(state, saved.Prompts(), bv);
  basins.SetTextPainter(&saved.Texts());
  basins.Resize(240, 170);
  Finish(basins);

  // The fixed points of the map and the manifolds of its saddle, marked.
  WorkerPool pool(2);
  const PlaneMap map = AnalysisMapOf(state);
  state.Structure.Orbits = FindPeriodicOrbits(map, SearchOf(state, 2), pool);
  state.Structure.MarkersShown = true;
  const PeriodicOrbit* saddle = NearestSaddle(state.Structure.Orbits, 1, {0.6, 0.2});
  ASSERT_NE(saddle, nullptr);
  ASSERT_GE(state.Structure.Orbits.size(), 2u);
  ManifoldSettings ms;
  ms.arcLength = 3.0;
  state.Structure.Manifolds = GrowManifolds(map, *saddle, ms, pool);
  state.Structure.Wrap = map.Wrap();
  ASSERT_FALSE(state.Structure.Manifolds.empty());
  saved.FullRepaint();

  const std::filesystem::path file = saved.Dir().File("views.orbitra.h5");
  const SweepView* const views[] = {&diagram, &plane, &basins};
  ASSERT_TRUE(SaveSession(state, saved.Prompts(), file, views));

  Opened o;
  o.scenario.State().Structure.Orbits.push_back(PeriodicOrbit{1, {{9.0, 9.0}}, {}});  // to be replaced
  OpenWithViews(o, file);
  EXPECT_TRUE(o.scenario.Prompts().All().empty());
  ASSERT_EQ(o.views.size(), 3u);
  // The explorer: its picture with the markers and manifolds, and the dialog's tick as saved.
  EXPECT_TRUE(SamePictures(saved.Picture(), o.scenario.Picture()));
  EXPECT_EQ(o.scenario.State().UseDefaultRange, 0);
  ASSERT_EQ(o.scenario.State().Structure.Orbits.size(), state.Structure.Orbits.size());
  EXPECT_EQ(o.scenario.State().Structure.Orbits[0].points, state.Structure.Orbits[0].points);
  EXPECT_EQ(o.scenario.State().Structure.Manifolds.back().points, state.Structure.Manifolds.back().points);
  // Each window: its pixels drawn at once, nothing computing, its history as it was.
  const SweepView* const before[] = {&diagram, &plane, &basins};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_FALSE(o.views[i]->Working());
    EXPECT_TRUE(o.views[i]->Runner().Complete());
    EXPECT_EQ(o.views[i]->WindowTitle(), before[i]->WindowTitle());
    EXPECT_TRUE(SamePictures(o.views[i]->Shown(), before[i]->Shown()));
  }
  EXPECT_FALSE(o.views[0]->CanBack());
  ASSERT_TRUE(o.views[0]->CanForward());
  // Forward computes the zoomed view as the window before saving had it.
  ASSERT_TRUE(diagram.Forward());
  ASSERT_TRUE(o.views[0]->Forward());
  Finish(diagram);
  Finish(*o.views[0]);
  EXPECT_TRUE(SamePictures(o.views[0]->Shown(), diagram.Shown()));
}

// A plane stopped part way is saved with the rows it finished; opened, it shows them at
// once, and Resume computes only the rest, ending with the grid of an unbroken sweep.
TEST(SessionViews, AStoppedViewResumesWhereItStoppedAndEndsAsAnUnbrokenOne) {
  Scenario saved;
  ChooseHenon(saved);
  GridWindowLogic plane(saved.State(), saved.Prompts(), Plane(saved, 20000));
  plane.SetTextPainter(&saved.Texts());
  plane.Resize(300, 200);
  while (plane.Percent() == 0) {
    std::this_thread::yield();
    plane.Poll();
  }
  plane.Stop();
  plane.Poll();
  ASSERT_FALSE(plane.Runner().Complete());
  const std::filesystem::path file = saved.Dir().File("stopped.orbitra.h5");
  const SweepView* const views[] = {&plane};
  ASSERT_TRUE(SaveSession(saved.State(), saved.Prompts(), file, views));

  Opened o;
  OpenWithViews(o, file);
  ASSERT_EQ(o.views.size(), 1u);
  SweepView& reopened = *o.views[0];
  EXPECT_TRUE(SamePictures(reopened.Shown(), plane.Shown()));
  EXPECT_EQ(reopened.Percent(), plane.Percent());
  EXPECT_EQ(reopened.StatusText().find("stopped") != std::string::npos, true) << reopened.StatusText();
  ASSERT_TRUE(reopened.Resume());
  Finish(reopened);
  ASSERT_TRUE(reopened.Runner().Complete());

  // The same plane computed afresh, in one go.
  const auto& job = *static_cast<const GridWindowLogic&>(reopened).CurrentJob();
  GridSweep fresh(saved.State().Model, job.Values().settings, RowBand{0, job.Values().settings.height});
  WorkerPool pool(2);
  fresh.Run(pool);
  EXPECT_EQ(job.Values().value, fresh.Values().value);
  ASSERT_EQ(job.Values().lambda1.size(), fresh.Values().lambda1.size());
  EXPECT_EQ(std::memcmp(job.Values().lambda1.data(), fresh.Values().lambda1.data(),
                        sizeof(double) * fresh.Values().lambda1.size()), 0);
  EXPECT_TRUE(job.Values().Complete());
}

}  // namespace
}  // namespace orbitra
