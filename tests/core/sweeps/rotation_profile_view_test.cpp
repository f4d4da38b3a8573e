// SPDX-License-Identifier: GPL-3.0-or-later
// The rotation profile against the mathematics and itself: the same bits on 1, 2 and 7
// threads; the twist of the Standard Map at k1 = 0, whose rotation number at height y is
// y / 2pi; the window's export and zoom; the winding centre of a map whose x does not wrap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "explorer/selection_dialog_logic.h"
#include "maps/mapping_catalogue.h"
#include "support/scenario.h"
#include "sweeps/rotation_profile_view.h"
#include "sweeps/structure_commands.h"

namespace orbitra {
namespace {

using testing::Scenario;

constexpr double kTwoPi = 2 * 3.141592653589793;

void ChooseStandardMap(Scenario& sc, double k1) {
  SelectionDialogValues v = PrepareSelectionDialog(sc.State());
  PickSystemInList(v, 0);  // the Standard Map
  v.k1 = k1;
  sc.Apply(ApplySelectionDialog(sc.State(), sc.Prompts(), v));
}

RotationProfileSettings Along(WorldPoint a, WorldPoint b, int points, std::int64_t iterations) {
  RotationProfileSettings s;
  s.a = a;
  s.b = b;
  s.points = points;
  s.iterations = iterations;
  s.transient = 50;
  return s;
}

bool SameBits(const std::vector<ProfilePoint>& p, const std::vector<ProfilePoint>& q) {
  if (p.size() != q.size()) return false;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const double a[4] = {p[i].s, p[i].at.x, p[i].at.y, p[i].rotation};
    const double b[4] = {q[i].s, q[i].at.x, q[i].at.y, q[i].rotation};
    if (std::memcmp(a, b, sizeof a) != 0) return false;
  }
  return true;
}

// Through the chaotic layer of the Standard Map near its critical k: orbits that differ
// in the last bit of a step soon differ in every digit.
TEST(RotationProfile, TheSameBitsOnAnyNumberOfThreads) {
  Scenario sc;
  ChooseStandardMap(sc, 0.971635);
  const PlaneMap map = AnalysisMapOf(sc.State());
  const RotationProfileSettings s = Along({0.3, 0.2}, {2.9, 5.9}, 101, 3000);
  std::vector<std::vector<ProfilePoint>> runs;
  for (int threads : {1, 2, 7}) {
    WorkerPool pool(threads);
    runs.push_back(ComputeRotationProfile(map, s, pool));
  }
  ASSERT_EQ(runs[0].size(), 101u);
  EXPECT_TRUE(SameBits(runs[0], runs[1]));
  EXPECT_TRUE(SameBits(runs[0], runs[2]));
  // The serial profile of the analysis is the same computation, point by point.
  EXPECT_TRUE(SameBits(runs[0], RotationProfile(map, s.a, s.b, 101, 50, 3000)));
  // Not a constant: plateaus and chaos along the way.
  double lo = 1, hi = 0;
  for (const ProfilePoint& p : runs[0]) lo = std::min(lo, p.rotation), hi = std::max(hi, p.rotation);
  EXPECT_GT(hi - lo, 0.3);
}

// At k1 = 0 the Standard Map is the twist x' = x + y (mod 2pi), y' = y: every orbit
// advances by y per step, so its rotation number is y / 2pi.
TEST(RotationProfile, TheTwistMapTurnsByTheHeight) {
  Scenario sc;
  ChooseStandardMap(sc, 0.0);
  const RotationProfileSettings s = Along({1.0, 0.3}, {1.0, 5.9}, 57, 2000);
  WorkerPool pool(3);
  const std::vector<ProfilePoint> profile = ComputeRotationProfile(AnalysisMapOf(sc.State()), s, pool);
  ASSERT_EQ(profile.size(), 57u);
  for (int i = 0; i < 57; ++i) {
    const double y = 0.3 + 5.6 * i / 56.0;
    const ProfilePoint& p = profile[static_cast<std::size_t>(i)];
    EXPECT_NEAR(p.s, 5.6 * i / 56.0, 1e-12) << i;
    EXPECT_EQ(p.at.x, 1.0);
    EXPECT_NEAR(p.at.y, y, 1e-12) << i;
    EXPECT_NEAR(p.rotation, y / kTwoPi, 1e-12) << i;
  }
}

// A picture saved twice as large draws each point as a square twice as wide (plus one), as
// its texts grow: five points of the twist map at distinct heights, 3 x 3 on the screen.
TEST(RotationProfile, ALargerPictureDrawsLargerDots) {
  Scenario sc;
  ChooseStandardMap(sc, 0.0);
  RotationProfileJob job(AnalysisMapOf(sc.State()), Along({1.0, 0.5}, {1.0, 5.5}, 5, 100), "Standard Map", 400, 300);
  std::vector<std::uint8_t> done(static_cast<std::size_t>(job.Units()), 1);
  for (std::int64_t u = 0; u < job.Units(); ++u) ASSERT_TRUE(job.ComputeUnit(u, {}));
  const auto dots = [](const Canvas& c) {
    const Canvas::Pixel dot = Canvas::ToPixel(Colour::FromRgb(0, 0, 160));  // the profile's dark blue
    return std::count(c.Bits(), c.Bits() + static_cast<std::ptrdiff_t>(c.Width()) * c.Height(), dot);
  };
  Canvas screen(400, 300);
  job.DrawFrame(screen);
  for (std::int64_t u = 0; u < job.Units(); ++u) job.DrawUnit(screen, u);
  // The first and last points sit on the plot's left and right edges: their outer columns
  // are cut.
  EXPECT_EQ(dots(screen), 3 * 9 + 2 * 6);
  Canvas twice(800, 600);
  twice.SetTextScale(2.0);
  job.DrawAtSize(twice, done);
  EXPECT_EQ(dots(twice), 3 * 25 + 2 * 15);
}

void Finish(SweepView& view) {
  while (view.Working()) std::this_thread::yield();
  view.Poll();
}

std::vector<std::vector<double>> ReadColumns(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::vector<std::vector<double>> lines;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::vector<double> v;
    for (double d = 0; words >> d;) v.push_back(d);
    lines.push_back(v);
  }
  return lines;
}

TEST(RotationProfileWindow, ExportsAndZooms) {
  Scenario sc;
  ChooseStandardMap(sc, 0.0);
  RotationProfileValues values;
  values.points = 9;
  values.transient = 0;
  values.iterations = 500;
  std::string problem;
  const std::optional<RotationProfileSettings> s = RotationProfileSettingsFor(
      AnalysisMapOf(sc.State()), sc.State().Boxes.XYBox.GetRange(), {2.0, 1.0}, {2.0, 5.0}, values, problem);
  ASSERT_TRUE(s);
  EXPECT_FALSE(s->centre);
  EXPECT_EQ(s->rotationMin, 0.0);
  EXPECT_EQ(s->rotationMax, 1.0);
  RotationProfileWindowLogic w(sc.State(), sc.Prompts(), *s, 2);
  EXPECT_EQ(w.WindowTitle(), "Rotation Profile - Standard Map");
  const std::filesystem::path file = sc.Dir().Path() / "profile.txt";
  EXPECT_EQ(w.Export(file), "The profile is not complete: press Resume and export it when every point is in.");
  w.Resize(400, 300);
  Finish(w);
  ASSERT_TRUE(w.Runner().Complete());
  EXPECT_EQ(w.StatusText().rfind("Rotation profile: 100% of 9 points", 0), 0u) << w.StatusText();

  // "s x y rotation", one line a point: s = 0.5 i along x = 2, y = 1 + 0.5 i.
  ASSERT_FALSE(w.Export(file));
  const std::vector<std::vector<double>> lines = ReadColumns(file);
  ASSERT_EQ(lines.size(), 9u);
  for (int i = 0; i < 9; ++i) {
    const std::vector<double>& v = lines[static_cast<std::size_t>(i)];
    ASSERT_EQ(v.size(), 4u);
    EXPECT_NEAR(v[0], 0.5 * i, 1e-11);
    EXPECT_EQ(v[1], 2.0);
    EXPECT_NEAR(v[2], 1.0 + 0.5 * i, 1e-11);
    EXPECT_NEAR(v[3], (1.0 + 0.5 * i) / kTwoPi, 1e-11);
  }

  const DiagramLayout& layout = w.CurrentJob()->Layout();
  const int middle = layout.gridLeft + (layout.columns - 1) / 2;

  // A rectangle over the right half of the columns and the upper half of the rows: the
  // upper half of the segment, plotted from 1/2 to 1.
  ASSERT_TRUE(w.ZoomTo(middle, layout.gridBottom - layout.rows + 1, layout.gridLeft + layout.columns - 1,
                       layout.gridBottom - (layout.rows - 1) / 2));
  const RotationProfileSettings& zoomed = w.CurrentView();
  EXPECT_NEAR(zoomed.from, 0.5, 1.0 / layout.columns);
  EXPECT_EQ(zoomed.to, 1.0);
  EXPECT_NEAR(zoomed.rotationMin, 0.5, 1.0 / layout.rows);
  EXPECT_NEAR(zoomed.rotationMax, 1.0, 1e-12);
  Finish(w);
  ASSERT_FALSE(w.Export(file));
  const std::vector<std::vector<double>> upper = ReadColumns(file);
  ASSERT_EQ(upper.size(), 9u);
  // s counted from the drawn segment's start; 12 significant digits written.
  EXPECT_NEAR(upper.front()[2], 1.0 + 4.0 * zoomed.from, 1e-11);
  EXPECT_NEAR(upper.front()[0], 4.0 * zoomed.from, 1e-11);
  EXPECT_NEAR(upper.back()[2], 5.0, 1e-11);
  EXPECT_TRUE(w.Back());
}

// A map whose x does not wrap counts turns about an elliptic fixed point near the segment:
// the area-preserving Henon map's at the origin; a dissipative Henon map has none.
TEST(RotationProfile, WindingNeedsAnEllipticFixedPointNearTheSegment) {
  Scenario sc;
  SelectSystemWithDefaults(sc.State().Model, 4);  // Henon rotation: c x - s y + s x^2, ...
  std::string problem;
  const std::optional<RotationProfileSettings> s =
      RotationProfileSettingsFor(AnalysisMapOf(sc.State()), sc.State().Boxes.XYBox.GetRange(), {0.05, 0.0},
                                 {0.4, 0.0}, RotationProfileValues{}, problem);
  ASSERT_TRUE(s) << problem;
  ASSERT_TRUE(s->centre);
  EXPECT_NEAR(s->centre->x, 0.0, 1e-9);
  EXPECT_NEAR(s->centre->y, 0.0, 1e-9);
  EXPECT_EQ(s->rotationMin, -0.5);
  EXPECT_EQ(s->rotationMax, 0.5);

  SelectSystemWithDefaults(sc.State().Model, 2);  // Henon's map at b = 0.3: only saddles
  sc.State().Model.k1 = 1.4;
  sc.State().Model.k2 = 0.3;
  sc.State().Model.k3 = 1.0;
  EXPECT_FALSE(RotationProfileSettingsFor(AnalysisMapOf(sc.State()), sc.State().Boxes.XYBox.GetRange(), {0.0, 0.0},
                                          {0.4, 0.0}, RotationProfileValues{}, problem));
  EXPECT_EQ(problem, "The map's x does not wrap, and no elliptic fixed point lies near the segment to count turns about.");
}

TEST(RotationProfile, ValuesTheDialogRefuses) {
  EXPECT_FALSE(CheckRotationProfileValues(RotationProfileValues{}));
  EXPECT_EQ(CheckRotationProfileValues({1, 0, 100}), "The points must be from 2 to 100000.");
  EXPECT_EQ(CheckRotationProfileValues({100001, 0, 100}), "The points must be from 2 to 100000.");
  EXPECT_EQ(CheckRotationProfileValues({10, -1, 100}), "The transient cannot be negative.");
  EXPECT_EQ(CheckRotationProfileValues({10, 0, 0}), "The iterations must be at least 1.");
}

}  // namespace
}  // namespace orbitra
