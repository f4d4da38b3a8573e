// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <hdf5.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "analysis/grid_sweep.h"
#include "analysis/invariant_manifold.h"
#include "explorer/selection_dialog_logic.h"
#include "explorer/user_map_commands.h"
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
  // The finished units come back; work within unfinished ones (which the progress counts
  // too) is done again.
  EXPECT_EQ(reopened.Runner().UnitsDone(), plane.Runner().UnitsDone());
  EXPECT_LE(reopened.Percent(), plane.Percent());
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

// A window on a typed map opens where the session's map landed, even under a new name
// (the user's map of its name differed and was kept); it shows the same pixels.
TEST(SessionViews, AWindowOfATypedMapFollowsTheSessionsMap) {
  const UserMapDefinition henon{"My Henon", {"t = k2*x"}, "1 - k1*x*x + k3*y", "t", 1.4, 0.3, 1, 0,
                                {-1.5, 1.5, -0.5, 0.5}};
  Scenario saved;
  ASSERT_TRUE(SaveUserMap(saved.State(), saved.Prompts(), std::nullopt, henon).saved);
  ASSERT_TRUE(SelectUserMapByName(saved.State(), henon.name));
  saved.FullRepaint();
  OrbitDiagramValues dv = PrepareOrbitDiagramDialog(saved.State());
  dv.view = OrbitDiagramView{0, 1.0, 1.4, 0, -1.5, 1.5, 100, 200};
  dv.threads = 2;
  OrbitDiagramWindowLogic diagram(saved.State(), saved.Prompts(), dv);
  diagram.SetTextPainter(&saved.Texts());
  diagram.Resize(300, 200);
  Finish(diagram);
  const std::filesystem::path file = saved.Dir().File("typed.orbitra.h5");
  const SweepView* const views[] = {&diagram};
  ASSERT_TRUE(SaveSession(saved.State(), saved.Prompts(), file, views));

  Opened o;
  ASSERT_TRUE(SaveUserMap(o.scenario.State(), o.scenario.Prompts(), std::nullopt,
                          UserMapDefinition{"MY HENON", {}, "y", "x"}).saved);
  o.scenario.Prompts().Script({Answer::No});
  OpenWithViews(o, file);
  ASSERT_EQ(o.views.size(), 1u);
  EXPECT_EQ(o.scenario.State().UserMaps.At(1).definition.name, "My Henon (2)");
  EXPECT_EQ(o.views[0]->WindowTitle(), "Orbit Diagram - My Henon (2)");
  // (The recording text painter leaves no pixels: the title's new name does not show.)
  EXPECT_TRUE(SamePictures(o.views[0]->Shown(), diagram.Shown()));
  EXPECT_FALSE(o.views[0]->Working());
}

// Replaces the dataset at `path` with one of `type` and `dims`, written with `data` (or
// left unwritten: its shape then claims bytes the file does not hold).
void PlantDataset(const std::filesystem::path& file, const char* path, hid_t type, std::vector<hsize_t> dims,
                  const void* data, bool chunked = false) {
  const hid_t f = H5Fopen(file.c_str(), H5F_ACC_RDWR, H5P_DEFAULT);
  ASSERT_GE(f, 0);
  H5Ldelete(f, path, H5P_DEFAULT);
  const hid_t space = H5Screate_simple(static_cast<int>(dims.size()), dims.data(), nullptr);
  const hid_t create = H5Pcreate(H5P_DATASET_CREATE);
  if (chunked) H5Pset_chunk(create, static_cast<int>(dims.size()), dims.data());
  const hid_t set = H5Dcreate2(f, path, type, space, H5P_DEFAULT, create, H5P_DEFAULT);
  H5Pclose(create);
  ASSERT_GE(set, 0);
  if (data != nullptr) H5Dwrite(set, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, data);
  H5Dclose(set);
  H5Sclose(space);
  H5Fclose(f);
}

void PlantInteger(const std::filesystem::path& file, const char* object, const char* name, std::int64_t value) {
  const hid_t f = H5Fopen(file.c_str(), H5F_ACC_RDWR, H5P_DEFAULT);
  ASSERT_GE(f, 0);
  const hid_t owner = H5Oopen(f, object, H5P_DEFAULT);
  ASSERT_GE(owner, 0);
  H5Adelete(owner, name);
  const hid_t space = H5Screate(H5S_SCALAR);
  const hid_t attr = H5Acreate2(owner, name, H5T_STD_I64LE, space, H5P_DEFAULT, H5P_DEFAULT);
  ASSERT_GE(attr, 0);
  ASSERT_GE(H5Awrite(attr, H5T_NATIVE_INT64, &value), 0);
  H5Aclose(attr);
  H5Sclose(space);
  H5Oclose(owner);
  H5Fclose(f);
}

// Each fault of a window's entry refuses the whole session with its path and what is
// wrong, before anything changes; a session of format 1 never looks at "/views".
TEST(SessionViews, ADamagedEntryIsRefusedAndNothingChanges) {
  Scenario source;
  ChooseHenon(source);
  OrbitDiagramValues dv = PrepareOrbitDiagramDialog(source.State());
  dv.view = OrbitDiagramView{0, 1.0, 1.4, 0, -1.5, 1.5, 100, 100};
  dv.threads = 2;
  OrbitDiagramWindowLogic diagram(source.State(), source.Prompts(), dv);
  diagram.Resize(300, 200);  // 2 units of 128 columns
  Finish(diagram);
  const SweepView* const views[] = {&diagram};
  const std::filesystem::path good = source.Dir().File("good.orbitra.h5");
  ASSERT_TRUE(SaveSession(source.State(), source.Prompts(), good, views));
  const auto copy = [&](const char* name) {
    const std::filesystem::path file = source.Dir().File(name);
    std::filesystem::copy_file(good, file);
    return file;
  };
  const double realUnits[] = {1.0, 1.0};
  const std::uint8_t threeUnits[] = {1, 1, 1};
  const std::filesystem::path wrongType = copy("type.orbitra.h5");
  PlantDataset(wrongType, "views/0/units_done", H5T_IEEE_F64LE, {2}, realUnits);
  const std::filesystem::path unstored = copy("unstored.orbitra.h5");
  PlantDataset(unstored, "views/0/counts", H5T_STD_U32LE, {100000, 100000}, nullptr);
  const std::filesystem::path history = copy("history.orbitra.h5");
  PlantInteger(history, "views/0", "history_views", 40000);
  const std::filesystem::path units = copy("units.orbitra.h5");
  PlantDataset(units, "views/0/units_done", H5T_STD_U8LE, {3}, threeUnits);
  const std::filesystem::path chunked = copy("chunked.orbitra.h5");
  PlantDataset(chunked, "views/0/units_done", H5T_STD_U8LE, {2}, threeUnits, /*chunked=*/true);
  const std::filesystem::path older = copy("older.orbitra.h5");
  PlantInteger(older, "/", "format_version", 1);
  PlantDataset(older, "views/0/units_done", H5T_IEEE_F64LE, {2}, realUnits);

  const struct {
    std::filesystem::path file;
    std::string reason;
  } cases[] = {
      {wrongType, "\"views/0/units_done\" does not hold unsigned 8-bit integers"},
      {unstored, "\"views/0/counts\" claims more values than the file holds"},
      {history, "\"views/0/history/1\" is missing"},
      {units, "\"views/0\" marks another number of units than its grid has"},
      {chunked, "\"views/0/units_done\" is stored in a way this program does not write"},
  };
  Scenario target;
  target.State().Structure.MarkersShown = true;
  target.FullRepaint();
  const std::vector<Canvas::Pixel> picture(target.Picture().Bits(), target.Picture().Bits() + 800 * 600);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file.string());
    std::vector<SavedSweepView> sweeps;
    EXPECT_EQ(OpenSession(target.State(), target.Prompts(), c.file, &sweeps), Invalidation::None);
    EXPECT_EQ(target.Prompts().Messages().back(),
              "Cannot open the session \"" + c.file.string() + "\": it is damaged (" + c.reason + ")");
    EXPECT_TRUE(sweeps.empty());
  }
  EXPECT_EQ(target.Prompts().Messages().size(), 5u);
  EXPECT_EQ(target.State().Model.system, 1);
  EXPECT_TRUE(target.State().Structure.MarkersShown);
  target.FullRepaint();
  EXPECT_TRUE(std::equal(picture.begin(), picture.end(), target.Picture().Bits()));

  std::vector<SavedSweepView> sweeps;
  EXPECT_EQ(OpenSession(target.State(), target.Prompts(), older, &sweeps), Invalidation::WithErase);
  EXPECT_EQ(target.Prompts().Messages().size(), 5u);
  EXPECT_EQ(target.State().Model.system, 2);
  EXPECT_TRUE(sweeps.empty());
  EXPECT_FALSE(target.State().Structure.MarkersShown);
}

}  // namespace
}  // namespace orbitra
