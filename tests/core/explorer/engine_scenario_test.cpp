// SPDX-License-Identifier: GPL-3.0-or-later
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "explorer/run_commands.h"
#include "explorer/trajectory_engine.h"
#include "maps/mapping_catalogue.h"
#include "platform/refresh_gate.h"
#include "storage/point_buffer.h"
#include "support/scenario.h"

namespace orbitra {
namespace {

using testing::Scenario;

// The Standard Map with k1 = 0.7, evaluated here from its formula.
struct Orbit {
  std::vector<double> x, y;
};
Orbit StandardMapOrbit(double x, double y, int n) {
  Orbit o;
  for (int i = 0; i <= n; ++i) {
    o.x.push_back(x);
    o.y.push_back(y);
    const double x1 = x + y;
    const double y1 = y + 0.7 * std::sin(x1);
    x = std::fmod(x1, kTwoPi);
    if (x < 0) x += kTwoPi;
    y = std::fmod(y1, kTwoPi);
    if (y < 0) y += kTwoPi;
  }
  return o;
}

std::string Format(const char* format, double a, double b) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// A map that sends every point to (k1, k2): puts an iterate exactly where a test wants it.
MapImage FixedImage(const MappingModel& m, double, double) { return MapImage{m.k1, m.k2}; }

void UseFixedImage(OrbitraState& s, double x, double y) {
  s.Model.routine = &FixedImage;
  s.Model.k1 = x;
  s.Model.k2 = y;
}

std::vector<std::string> RtnTexts(const testing::RecordingTextPainter& painter) {
  std::vector<std::string> texts;
  for (const auto& t : painter.TextsStartingWith("RTN = ")) texts.push_back(t.text);
  return texts;
}

TEST(EngineScenario, NewRunOfThousandIterationsCountsStoresAndReports) {
  Scenario sc;
  OrbitraState& s = sc.State();
  EXPECT_EQ(s.Boxes.XYBox.Label, "Standard Map");
  sc.Texts().Clear();
  sc.Apply(StartRun(s));

  EXPECT_EQ(s.Store.RTN, 1000);
  EXPECT_EQ(s.Store.DTN, 1000);
  EXPECT_EQ(s.Store.Buf, 1000);
  EXPECT_TRUE(sc.Prompts().All().empty());

  const Orbit o = StandardMapOrbit(0.5, 0.0, 1000);
  EXPECT_EQ(s.Run.CurrentPoint.x, o.x[1000]);
  EXPECT_EQ(s.Run.CurrentPoint.y, o.y[1000]);
  const auto finals = sc.Texts().TextsEqualTo(Format("x=%4.3f  y=%4.3f", o.x[1000], o.y[1000]));
  ASSERT_EQ(finals.size(), 1u);
  EXPECT_EQ(finals[0].x, 1);
  EXPECT_EQ(finals[0].y, 100);

  // Status before the repaint's work, after iterations 1, 11, ..., 991, and at the end.
  std::vector<std::string> expected{"RTN = 0  "};
  for (int i = 1; i <= 991; i += 10) expected.push_back("RTN = " + std::to_string(i) + "  ");
  expected.push_back("RTN = 1000  ");
  EXPECT_EQ(RtnTexts(sc.Texts()), expected);
  EXPECT_EQ(sc.Texts().TextsEqualTo("Buf = 1000 (0%) ").size(), 1u);
  EXPECT_EQ(sc.Texts().TextsEqualTo("  N = 1000  ").back().y, 5);
  // Each status line in its place, the last ones drawn after the run.
  const std::vector<std::tuple<std::string, int, int>> places = {
      {"  N = 1000  ", 3, 5}, {"RTN = 1000  ", 3, 20}, {"DTN = 1000  ", 3, 35},
      {"Buf = 1000 (0%) ", 3, 55}, {"Dsk = 0  ", 3, 70}};
  for (const auto& [text, x, y] : places) {
    const auto drawn = sc.Texts().TextsEqualTo(text);
    ASSERT_FALSE(drawn.empty()) << text;
    EXPECT_EQ(std::tuple(drawn.back().x, drawn.back().y), std::tuple(x, y)) << text;
  }
  EXPECT_EQ(sc.Texts().TextsStartingWith("DTN = ").front().text, "DTN = 0  ");

  // Stored in order: slot i holds iterate i + 1; the initial point is never stored.
  EXPECT_EQ(s.Store.Slots[0].x, o.x[1]);
  EXPECT_EQ(s.Store.Slots[999].y, o.y[1000]);
  // The picture shows P0 to P999 in black; P1000 is not plotted by this run but by the
  // buffer replay of the next repaint.
  EXPECT_EQ(sc.At(sc.XYPixel(o.x[500], o.y[500])), kBlack);
}

TEST(EngineScenario, StatusRefreshFollowsInfoEveryAndZeroMeansNone) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.Settings.Iterations = 25;
  s.Run.Settings.InfoEvery = 7;
  sc.Texts().Clear();
  sc.Apply(StartRun(s));
  EXPECT_EQ(RtnTexts(sc.Texts()),
            (std::vector<std::string>{"RTN = 0  ", "RTN = 1  ", "RTN = 8  ", "RTN = 15  ", "RTN = 22  ",
                                      "RTN = 25  "}));
  s.Run.Settings.InfoEvery = 0;
  sc.Texts().Clear();
  sc.Apply(StartRun(s));
  EXPECT_EQ(RtnTexts(sc.Texts()), (std::vector<std::string>{"RTN = 25  ", "RTN = 25  "}));
}

// Every due status line shows the counters of the same iteration: with a restricted run
// that keeps only some points, DTN and Buf differ from RTN and from each other.
TEST(EngineScenario, DueStatusLinesAgreeOnTheIteration) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.Settings.Iterations = 25;
  s.Run.Settings.InfoEvery = 7;
  s.Run.Settings.RestrictToBox = 1;
  StorePoint(s.Store, 1.0, 1.0, 0);  // one point kept from before: Buf runs one ahead of DTN
  s.Boxes.XYBox.SetRange(0.0, 0.0, 3.0, 7.0);  // holds about half of the orbit's x values
  const Orbit o = StandardMapOrbit(0.5, 0.0, 25);
  sc.Texts().Clear();
  sc.Apply(StartRun(s));
  // Before the run the repaint shows the counters as they were (the stored point counted).
  std::vector<std::string> dtn{"DTN = 1  "}, buf{"Buf = 1 (0%) "};
  int kept = 0;
  for (int i = 1; i <= 25; ++i) {
    kept += o.x[i] <= 3.0 ? 1 : 0;
    if (i % 7 == 1 || i == 25) {
      dtn.push_back("DTN = " + std::to_string(kept) + "  ");
      buf.push_back("Buf = " + std::to_string(kept + 1) + " (0%) ");
    }
  }
  ASSERT_GT(kept, 3);
  ASSERT_LT(kept, 22);
  std::vector<std::string> dtnDrawn, bufDrawn;
  for (const auto& t : sc.Texts().TextsStartingWith("DTN = ")) dtnDrawn.push_back(t.text);
  for (const auto& t : sc.Texts().TextsStartingWith("Buf = ")) bufDrawn.push_back(t.text);
  EXPECT_EQ(dtnDrawn, dtn);
  EXPECT_EQ(bufDrawn, buf);
}

// On a screen that shows the picture only between slices, a slice draws the last status
// that fell due in it; with the restriction its DTN must be counted at that iteration,
// not worked out from the slice's end as if every iterate had been kept.
TEST(EngineScenario, ASlicedRestrictedRunShowsTheCountersOfTheDueIteration) {
  Scenario sc;
  OrbitraState& s = sc.State();
  UnwatchedRefreshGate screen;
  sc.Picture().SetRefreshGate(&screen);
  s.Run.Settings.Iterations = 101;
  s.Run.Settings.InfoEvery = 7;
  s.Run.Settings.RestrictToBox = 1;
  s.Boxes.XYBox.SetRange(0.0, 0.0, 3.0, 7.0);
  const Orbit o = StandardMapOrbit(0.5, 0.0, 101);
  std::vector<int> keptUpTo(102, 0);
  for (int i = 1; i <= 101; ++i) keptUpTo[i] = keptUpTo[i - 1] + (o.x[i] <= 3.0 ? 1 : 0);
  sc.Texts().Clear();
  sc.ApplySliced(StartRun(s), 16);
  // The repaint's first lines, then per slice ending at 16, 32, ... 96 and 101 the last due
  // iteration 1 + 7k at or before its end, then the closing lines.
  std::vector<std::string> expected{"DTN = 0  "};
  for (int end = 16;; end = std::min(end + 16, 101)) {
    const int due = 1 + (end - 1) / 7 * 7;
    expected.push_back("DTN = " + std::to_string(keptUpTo[due]) + "  ");
    if (end == 101) break;
  }
  expected.push_back("DTN = " + std::to_string(keptUpTo[101]) + "  ");
  std::vector<std::string> drawn;
  for (const auto& t : sc.Texts().TextsStartingWith("DTN = ")) drawn.push_back(t.text);
  ASSERT_NE(keptUpTo[101], 101);
  EXPECT_EQ(drawn, expected);
}

// Each coordinate is held to its own bounds: boxes whose x and y ranges differ, each way.
TEST(EngineScenario, RestrictionHoldsEachCoordinateToItsOwnRange) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.Settings.RestrictToBox = 1;
  s.Run.Settings.Iterations = 3;
  struct Case {
    WorldRange box;
    double x, y;
    bool kept;
  };
  const Case cases[] = {
      {{0, 20, -1, 1}, 20.0, 1.0, true},    {{0, 20, -1, 1}, 0.0, -1.0, true},
      {{0, 20, -1, 1}, 5.0, 5.0, false},    {{0, 20, -1, 1}, 5.0, 20.0, false},
      {{0, 20, -1, 1}, 5.0, -1.5, false},   {{-1, 3, 10, 12}, 3.0, 11.0, true},
      {{-1, 3, 10, 12}, -1.0, 12.0, true},  {{-1, 3, 10, 12}, 11.0, 11.0, false},
      {{-1, 3, 10, 12}, 2.0, 9.0, false},   {{-1, 3, 10, 12}, 2.0, 12.5, false},
      {{-1, 3, 10, 12}, -1.5, 11.0, false},
  };
  for (const Case& c : cases) {
    s.Boxes.XYBox.SetRange(c.box.Xmin, c.box.Ymin, c.box.Xmax, c.box.Ymax);
    UseFixedImage(s, c.x, c.y);
    sc.Apply(StartRun(s));
    EXPECT_EQ(s.Store.DTN, c.kept ? 3 : 0) << c.x << "," << c.y << " in " << c.box.Xmin << ".." << c.box.Xmax << " x "
                                           << c.box.Ymin << ".." << c.box.Ymax;
    EXPECT_EQ(s.Store.RTN, 3);
  }
}

// The maps stepped four iterates at a time test the squared distance x*x + y*y as well:
// an iterate with y > 1 is made to escape where x*x + y would not.
TEST(EngineScenario, BlockSteppedMapsEscapeOnTheSquaredDistance) {
  Scenario sc;
  OrbitraState& s = sc.State();
  ASSERT_EQ(s.Boxes.XYBox.Label, "Standard Map");
  const Orbit o = StandardMapOrbit(0.5, 2.0, 7);
  int tested = 0;
  for (const int escapeAt : {1, 2, 3, 5, 6}) {
    ASSERT_GT(o.y[escapeAt], 1.0);
    // The largest squared distance before the iterate that is to escape, and just below its own.
    double before = 0.0;
    for (int i = 1; i < escapeAt; ++i) before = std::max(before, o.x[i] * o.x[i] + o.y[i] * o.y[i]);
    const double own = o.x[escapeAt] * o.x[escapeAt] + o.y[escapeAt] * o.y[escapeAt];
    if (!(before < own)) continue;
    ++tested;
    s.Run.Settings.InfinityValue = std::nextafter(own, 0.0);
    ASSERT_LE(o.x[escapeAt] * o.x[escapeAt] + o.y[escapeAt], s.Run.Settings.InfinityValue);
    s.Run.InitialPoint.x = 0.5;
    s.Run.InitialPoint.y = 2.0;
    s.Run.Settings.Iterations = 7;
    sc.Prompts().Clear();
    sc.Apply(StartRun(s));
    EXPECT_EQ(sc.Prompts().Messages(),
              (std::vector<std::string>{" Escape to Infinity\n or Initials are out of valid range"}))
        << escapeAt;
    EXPECT_EQ(s.Store.RTN, escapeAt - 1) << escapeAt;
  }
  EXPECT_GE(tested, 2);
}

TEST(EngineScenario, EscapeIsTestedOnTheSquaredDistance) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.Settings.Iterations = 3;
  UseFixedImage(s, 60.0, 80.0);  // squared distance exactly 10000: stays
  sc.Apply(StartRun(s));
  EXPECT_TRUE(sc.Prompts().All().empty());
  EXPECT_EQ(s.Store.RTN, 3);

  UseFixedImage(s, 60.0, 80.001);
  sc.Apply(StartRun(s));
  EXPECT_EQ(sc.Prompts().Messages(),
            (std::vector<std::string>{" Escape to Infinity\n or Initials are out of valid range"}));
  EXPECT_EQ(s.Store.RTN, 0);
  EXPECT_EQ(s.Run.CurrentPoint.x, 0.5);
  EXPECT_EQ(s.Run.CurrentPoint.y, 0.0);
}

TEST(EngineScenario, NotANumberDoesNotStopARun) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.Settings.Iterations = 5;
  UseFixedImage(s, std::nan(""), 1.0);
  sc.Apply(StartRun(s));
  EXPECT_TRUE(sc.Prompts().All().empty());
  EXPECT_EQ(s.Store.RTN, 5);
  EXPECT_EQ(s.Store.Buf, 5);
}

TEST(EngineScenario, HenonFromFarAwayEscapesAtOnce) {
  Scenario sc;
  OrbitraState& s = sc.State();
  const SystemDefaults henon = LoadSystemDefaults(2);
  CommitSelection(s.Model, s.Boxes.XYBox.Label, 2, henon.k1, henon.k2, henon.k3, henon.k4,
                  PendingSelection{henon.routine, henon.DefaultRange});
  s.Run.InitialPoint.x = 10.0;
  s.Run.InitialPoint.y = 10.0;
  sc.Apply(StartRun(s));
  EXPECT_EQ(sc.Prompts().Messages(),
            (std::vector<std::string>{" Escape to Infinity\n or Initials are out of valid range"}));
  EXPECT_EQ(s.Store.Buf, 0);
  EXPECT_EQ(s.Store.RTN, 0);
  EXPECT_EQ(s.Run.CurrentPoint.x, 10.0);
  EXPECT_EQ(s.Run.CurrentPoint.y, 10.0);
}

TEST(EngineScenario, RestrictionStoresPointsOnTheBoundaryOnly) {
  Scenario sc;
  OrbitraState& s = sc.State();
  ASSERT_EQ(s.Boxes.XYBox.GetRange(), (WorldRange{0, 7, 0, 7}));
  s.Run.Settings.RestrictToBox = 1;
  s.Run.Settings.Iterations = 4;
  // Every bound is included: the corners (Xmax, Ymin) and (Xmin, Ymax) are stored.
  for (const auto& [x, y] : {std::pair{7.0, 0.0}, std::pair{0.0, 7.0}}) {
    UseFixedImage(s, x, y);
    sc.Apply(StartRun(s));
    EXPECT_EQ(s.Store.RTN, 4) << x << "," << y;
    EXPECT_EQ(s.Store.DTN, 4) << x << "," << y;
  }
  // Just beyond any one of the four sides, the iterations count but nothing is stored.
  const double above = std::nextafter(7.0, 8.0), below = std::nextafter(0.0, -1.0);
  for (const auto& [x, y] : {std::pair{above, 0.0}, std::pair{below, 7.0}, std::pair{0.0, above},
                             std::pair{7.0, below}}) {
    UseFixedImage(s, x, y);
    sc.Apply(StartRun(s));
    EXPECT_EQ(s.Store.RTN, 4) << x << "," << y;
    EXPECT_EQ(s.Store.DTN, 0) << x << "," << y;
  }
  EXPECT_EQ(s.Store.Buf, 8);
}

TEST(EngineScenario, ContinuationKeepsCountingFromTheLastPoint) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.Settings.StoreInBuffer = 0;
  sc.Apply(StartRun(s));
  const Orbit o = StandardMapOrbit(0.5, 0.0, 1500);
  const PixelPoint early = sc.XYPixel(o.x[10], o.y[10]);
  ASSERT_EQ(sc.At(early), kBlack);

  s.Run.Settings.ContinueIterations = 500;
  sc.Apply(ContinueTrajectory(s));
  EXPECT_EQ(s.Store.RTN, 1500);
  EXPECT_EQ(s.Store.DTN, 0);
  EXPECT_EQ(s.Run.CurrentPoint.x, o.x[1500]);
  // The previous last point is the continuation's first plotted point.
  EXPECT_EQ(sc.At(sc.XYPixel(o.x[1000], o.y[1000])), kBlack);
  // Unstored points of the first run are gone after the repaint (unless a later point
  // happens to fall on the same pixel).
  bool sharedPixel = false;
  for (int i = 1000; i < 1500; ++i) {
    const PixelPoint p = sc.XYPixel(o.x[i], o.y[i]);
    sharedPixel = sharedPixel || (p == early);
  }
  if (!sharedPixel) EXPECT_EQ(sc.At(early), kWhite);
  // Evolution boxes span the continuation's length.
  EXPECT_EQ(s.Boxes.XBox.Xmax, 500.0);
}

TEST(EngineScenario, RunOfZeroOnlyReportsTheUnchangedPoint) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.Settings.Iterations = 0;
  sc.Texts().Clear();
  sc.Apply(StartRun(s));
  EXPECT_EQ(s.Store.Buf, 0);
  EXPECT_EQ(s.Store.RTN, 0);
  EXPECT_EQ(sc.Texts().TextsEqualTo("x=0.500  y=0.000").size(), 1u);
}

TEST(EngineScenario, WedgeOutsideItsDomainRepeatsThePoint) {
  Scenario sc;
  OrbitraState& s = sc.State();
  const SystemDefaults wedge = LoadSystemDefaults(10);
  CommitSelection(s.Model, s.Boxes.XYBox.Label, 10, wedge.k1, 0, 0, 0,
                  PendingSelection{wedge.routine, wedge.DefaultRange});
  s.Run.InitialPoint.x = 2.0;
  s.Run.InitialPoint.y = 0.0;
  s.Run.Settings.Iterations = 10;
  sc.Apply(StartRun(s));
  EXPECT_EQ(s.Store.Buf, 10);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(s.Store.Slots[i].x, 2.0);
    EXPECT_EQ(s.Store.Slots[i].y, 0.0);
  }
}

TEST(EngineScenario, DisplayModeOnePlotsTheEvolutionBoxes) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.Settings.DisplayMode = 1;
  s.Run.Settings.ShowBufferPoints = 0;  // only the run's own plotting
  s.Run.RunColour = 12;
  sc.Apply(StartRun(s));
  EXPECT_EQ(s.Boxes.XBox.Xmin, 0.0);
  EXPECT_EQ(s.Boxes.XBox.Xmax, 1000.0);
  const Orbit o = StandardMapOrbit(0.5, 0.0, 1000);
  const Colour red = Colour::FromRgb(240, 0, 0);
  for (int i : {0, 1, 500, 999}) {
    const PixelPoint px = s.Boxes.XBox.WorldToScreen(i, o.x[i]);
    const PixelPoint py = s.Boxes.YBox.WorldToScreen(i, o.y[i]);
    EXPECT_EQ(sc.Picture().GetPixel(px.x, px.y), red) << i;
    EXPECT_EQ(sc.Picture().GetPixel(py.x, py.y), red) << i;
  }
  // The X-Y box took the upper-right layout of this mode.
  EXPECT_EQ(s.Boxes.XYBox.LeftPct, 50);
  EXPECT_EQ(s.Boxes.XYBox.BottomPct, 50);

  // "Continue " for 500 iterations spans both evolution boxes over n = 0 to 500 and
  // plots the continuation there from the left edge again.
  s.Run.Settings.ContinueIterations = 500;
  sc.Apply(ContinueTrajectory(s));
  const Orbit more = StandardMapOrbit(0.5, 0.0, 1500);
  EXPECT_EQ(s.Boxes.XBox.GetRange().Xmax, 500.0);
  EXPECT_EQ(s.Boxes.YBox.GetRange().Xmax, 500.0);
  for (int i : {0, 250, 499}) {
    const PixelPoint py = s.Boxes.YBox.WorldToScreen(i, more.y[1000 + i]);
    EXPECT_EQ(sc.Picture().GetPixel(py.x, py.y), red) << i;
  }
}

TEST(EngineScenario, FullBufferEndsTheRun) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.Settings.Iterations = 1000000;
  s.Run.Settings.InfoEvery = 100000;
  sc.Apply(StartRun(s));
  EXPECT_EQ(sc.Prompts().Messages(), (std::vector<std::string>{"Buffer is Full"}));
  EXPECT_EQ(s.Store.Buf, 999999);
  EXPECT_EQ(s.Store.RTN, 999999);
  // Every later run ends after its first iteration, stored or not.
  s.Run.Settings.StoreInBuffer = 0;
  sc.Prompts().Clear();
  sc.Apply(StartRun(s));
  EXPECT_EQ(sc.Prompts().Messages(), (std::vector<std::string>{"Buffer is Full"}));
  EXPECT_EQ(s.Store.RTN, 1);
}

TEST(EngineScenario, BufferOfCapacityOneEndsEveryRunAfterItsFirstIteration) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Store.BufferCapacity = 1;
  ASSERT_TRUE(AllocateBuffer(s.Store));
  for (int run = 0; run < 2; ++run) {
    sc.Prompts().Clear();
    sc.Apply(StartRun(s));
    EXPECT_EQ(sc.Prompts().Messages(), (std::vector<std::string>{"Buffer is Full"})) << run;
    EXPECT_EQ(s.Store.RTN, 1) << run;
    EXPECT_LE(s.Store.Buf, 1) << run;
  }
}

}  // namespace
}  // namespace orbitra
