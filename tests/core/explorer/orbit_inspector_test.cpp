// SPDX-License-Identifier: GPL-3.0-or-later
// The orbit inspector against the mathematics: the maps' step types driven in a plain
// loop, as the run loop drives them, with the inspector observing every iterate.
#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "explorer/orbit_inspector.h"
#include "explorer/orbit_report.h"
#include "explorer/orbitra_state.h"
#include "explorer/rotation_centre.h"
#include "maps/map_steps.h"
#include "maps/mapping_catalogue.h"
#include "support/map_model.h"

namespace orbitra {
namespace {

using testing::MapModel;

// n iterates of `step` from `from` (or from where the inspector stopped, continuing),
// each observed; returns the last point.
template <typename Step>
WorldPoint Iterate(OrbitInspector& inspector, const MappingModel& model, const Step& step, WorldPoint from, int n,
                   bool continuing = false) {
  OrbitObserver observer = inspector.BeginRun(model, from, continuing);
  double x = from.x, y = from.y;
  for (int i = 0; i < n; ++i) {
    const MapImage image = step(x, y);
    observer.Observe(step, x, y, image);
    x = image.x;
    y = image.y;
  }
  inspector.Commit(observer);
  return {x, y};
}

// A linear map with a constant matrix: its exponents are the logs of the moduli of the
// eigenvalues, known exactly.
struct LinearStep {
  MapJacobian m;
  MapImage operator()(double x, double y) const noexcept {
    return {m.dxdx * x + m.dxdy * y, m.dydx * x + m.dydy * y};
  }
  MapJacobian Jacobian(double, double) const noexcept { return m; }
};

// A step that visits given points in turn, whatever it is given.
struct ListedStep {
  const std::vector<WorldPoint>* points;
  mutable std::size_t next = 0;
  MapImage operator()(double, double) const noexcept {
    const WorldPoint p = (*points)[next++ % points->size()];
    return {p.x, p.y};
  }
  MapJacobian Jacobian(double, double) const noexcept { return kIdentityJacobian; }
};

TEST(LyapunovExponents, HenonStrangeAttractor) {
  const MappingModel m = MapModel(2, 1.4, 0.3, 1.0);
  OrbitInspector inspector;
  Iterate(inspector, m, HenonDcMapStep(m), {0.1, 0.1}, 1'000'000);
  const LyapunovEstimate e = inspector.Exponents();
  EXPECT_EQ(e.steps, 1'000'000);
  EXPECT_NEAR(e.lambda1, 0.419, 0.003);
  EXPECT_NEAR(e.Sum(), std::log(0.3), 1e-9);
  EXPECT_NEAR(e.meanLogDet, std::log(0.3), 1e-12);
}

TEST(LyapunovExponents, AreaPreservingMapsSumToZero) {
  // Chaotic orbits (the hardest case for the second exponent) and a regular one.
  const MappingModel standard = MapModel(1, 5.0), rotation = MapModel(4, 1.57), rotator = MapModel(9, 2.5, 0.6, 2.0);
  OrbitInspector a, b, c;
  const WorldPoint ends[] = {Iterate(a, standard, StandardMapStep(standard), {0.5, 0.25}, 100'000),
                             Iterate(b, rotation, HenonRotationStep(rotation), {0.3, 0.1}, 100'000),
                             Iterate(c, rotator, DoublyKickedRotatorStep(rotator), {0.5, 0.25}, 100'000)};
  for (const OrbitInspector* inspector : {&a, &b, &c}) {
    const LyapunovEstimate e = inspector->Exponents();
    EXPECT_NEAR(e.Sum(), 0.0, 1e-9);
    EXPECT_NEAR(e.meanLogDet, 0.0, 1e-12);
  }
  for (const WorldPoint& end : ends) EXPECT_TRUE(std::isfinite(end.x) && std::isfinite(end.y));
  EXPECT_GT(a.Exponents().lambda1, 0.9);
  EXPECT_GT(c.Exponents().lambda1, 0.1);

  // An orbit inside the island around (pi, 0) is regular: no stretching in the long run.
  const MappingModel regular = MapModel(1, 0.7);
  OrbitInspector island;
  Iterate(island, regular, StandardMapStep(regular), {3.0, 0.5}, 1'000'000);
  EXPECT_LT(island.Exponents().lambda1, 0.001);
  EXPECT_NEAR(island.Exponents().Sum(), 0.0, 1e-9);
}

TEST(LyapunovExponents, ConstantMatricesGiveTheLogsOfTheirEigenvalues) {
  struct Case {
    MapJacobian m;
    double lambda1, lambda2;
  };
  const double golden = std::log((3.0 + std::sqrt(5.0)) / 2.0);
  const Case cases[] = {
      {{2.0, 0.0, 0.0, 3.0}, std::log(3.0), std::log(2.0)},  // the axes are eigenvectors
      {{2.0, 1.0, 1.0, 1.0}, golden, -golden},
      {{1.5, -2.0, 2.0, 1.5}, std::log(2.5), std::log(2.5)},  // a turn and a stretch
      {{std::exp(6.0), 0.0, 0.0, std::exp(-6.0)}, 6.0, -6.0},  // a very thin parallelogram at once
      {{-0.5, 3.0, 0.0, 0.01}, std::log(0.5), std::log(0.01)},
  };
  for (const Case& c : cases) {
    OrbitInspector inspector;
    Iterate(inspector, MapModel(2, 0), LinearStep{c.m}, {0.0, 0.0}, 4000);
    const LyapunovEstimate e = inspector.Exponents();
    EXPECT_NEAR(e.lambda1, c.lambda1, 2e-3) << c.m.dxdx;
    EXPECT_NEAR(e.lambda2, c.lambda2, 2e-3) << c.m.dxdx;
    EXPECT_NEAR(e.Sum(), std::log(std::fabs(c.m.Determinant())), 1e-12) << c.m.dxdx;
  }
}

TEST(OrbitPeriod, HenonSettlesOnItsCycles) {
  for (const auto& [k1, period] : {std::pair{0.6, 2}, std::pair{0.2, 1}}) {
    const MappingModel m = MapModel(2, k1, 0.3, 1.0);
    OrbitInspector inspector;
    Iterate(inspector, m, HenonDcMapStep(m), {0.1, 0.1}, 10'000);
    EXPECT_EQ(inspector.Period().period, period) << k1;
    EXPECT_LT(inspector.Exponents().lambda1, 0.0);
    EXPECT_LT(inspector.Exponents().lambda2, 0.0);
  }
  // The strange attractor has no period; a short orbit is searched as far as it allows.
  const MappingModel chaotic = MapModel(2, 1.4, 0.3, 1.0);
  OrbitInspector inspector;
  Iterate(inspector, chaotic, HenonDcMapStep(chaotic), {0.1, 0.1}, 20);
  EXPECT_EQ(inspector.Period().period, 0);
  EXPECT_EQ(inspector.Period().searchedUpTo, 10);
  Iterate(inspector, chaotic, HenonDcMapStep(chaotic), inspector.CurrentPoint(), 5000, true);
  EXPECT_EQ(inspector.Period().period, 0);
  EXPECT_EQ(inspector.Period().searchedUpTo, 1000);
}

TEST(OrbitPeriod, WrappedCoordinatesAreCloseAcrossTheCut) {
  // A cycle of three whose first point sits on the cut: once just below 2pi, once just above 0.
  const std::vector<WorldPoint> points = {{kTwoPi - 1e-9, 1.0}, {1.0, 2.0}, {3.0, 3.0},
                                          {1e-9, 1.0},          {1.0, 2.0}, {3.0, 3.0}};
  OrbitInspector onTorus;
  Iterate(onTorus, MapModel(1, 0.7), ListedStep{&points}, {5.0, 5.0}, 60);
  EXPECT_EQ(onTorus.Period().period, 3);
  OrbitInspector inPlane;  // Henon does not wrap: the two visits differ
  Iterate(inPlane, MapModel(2, 1.4, 0.3, 1.0), ListedStep{&points}, {5.0, 5.0}, 60);
  EXPECT_EQ(inPlane.Period().period, 6);

}

TEST(OrbitInspector, ContinuesOnlyTheTrajectoryItFollows) {
  const MappingModel m = MapModel(2, 1.4, 0.3, 1.0);
  const HenonDcMapStep step(m);
  OrbitInspector inspector, once;
  const WorldPoint end = Iterate(inspector, m, step, {0.1, 0.1}, 300);
  Iterate(inspector, m, step, end, 200, true);
  // The same 500 iterates in one go give the same bits.
  Iterate(once, m, step, {0.1, 0.1}, 500);
  EXPECT_EQ(inspector.Iterations(), 500);
  EXPECT_EQ(inspector.Exponents().lambda1, once.Exponents().lambda1);
  EXPECT_EQ(inspector.CurrentPoint(), once.CurrentPoint());

  // A continuation from elsewhere (the orbit went on while the panel was hidden) starts
  // afresh, and so do one with another parameter and a new run.
  Iterate(inspector, m, step, {0.2, 0.2}, 100, true);
  EXPECT_EQ(inspector.Iterations(), 100);
  EXPECT_EQ(inspector.InitialPoint(), (WorldPoint{0.2, 0.2}));
  const MappingModel changed = MapModel(2, 1.3, 0.3, 1.0);
  Iterate(inspector, changed, HenonDcMapStep(changed), inspector.CurrentPoint(), 10, true);
  EXPECT_EQ(inspector.Iterations(), 10);
  Iterate(inspector, changed, HenonDcMapStep(changed), inspector.CurrentPoint(), 10, false);
  EXPECT_EQ(inspector.Iterations(), 10);
}

TEST(OrbitReport, LinesAndClipboardText) {
  OrbitraState state(std::filesystem::temp_directory_path());
  state.Boxes.XYBox.SetRange(-1.5, 0, 1.5, 2.5);
  EXPECT_EQ(FormatOrbitReport(MakeOrbitReport(state)),
            "Map: -\nParameters: -\nInitial point: -\nIterations: -\nCurrent point: -\n"
            "\u03bb1: -\n\u03bb2: -\n\u03bb1 + \u03bb2: -\nRotation number: -\nPeriod: -\n");

  // The wedge outside its domain keeps its point: a fixed point with no stretching.
  const MappingModel wedge = MapModel(10, 30);
  Iterate(state.Inspector, wedge, WedgeMapStep(wedge), {2.0, 0.0}, 20);
  EXPECT_EQ(FormatOrbitReport(MakeOrbitReport(state)),
            "Map: Wedge map\n"
            "Parameters: k1=30  k2=0  k3=0  k4=0\n"
            "Initial point: x=2  y=0\n"
            "Iterations: 20\n"
            "Current point: x=2  y=0\n"
            "\u03bb1: 0.000000\n"
            "\u03bb2: 0.000000\n"
            "\u03bb1 + \u03bb2: 0.000000  (mean log|det J| = 0.000000)\n"
            "Rotation number: not known: no elliptic fixed point near the orbit\n"
            "Period: period 1\n");

  // An escape at the first iterate: nothing to estimate, and the period says so.
  OrbitObserver observer = state.Inspector.BeginRun(MapModel(2, 1.4, 0.3, 1.0), {10.0, 10.0}, false);
  observer.Escaped();
  state.Inspector.Commit(observer);
  const std::vector<ReportLine> lines = OrbitReportLines(MakeOrbitReport(state));
  EXPECT_EQ(lines[3].value + "|" + lines[4].value + "|" + lines[5].value + "|" + lines[9].value,
            "0|x=10  y=10|-|escaped");
}

// No report shows an infinity or not a number as an exponent: a kick so strong that det J
// is lost to rounding, and a Fermi orbit whose y' passes 1e-11, where 1 + k1/y'^2 swallows
// the 1, say in words what cannot be known; λ1 stays a number.
TEST(OrbitReport, ValuesThatCannotBeKnownAreSaidInWords) {
  const MappingModel kicked = MapModel(1, 1e155);
  const MappingModel fermi = MapModel(7, 10.0);
  OrbitraState a(std::filesystem::temp_directory_path()), b(std::filesystem::temp_directory_path());
  Iterate(a.Inspector, kicked, StandardMapStep(kicked), {0.5, 0.25}, 10'000);
  Iterate(b.Inspector, fermi, FermiSineStep(fermi), {0.25, 0.5}, 10'000);
  for (const OrbitraState* s : {&a, &b}) {
    const std::string report = FormatOrbitReport(MakeOrbitReport(*s));
    for (const char* never : {"inf", "nan", "-\n"}) EXPECT_EQ(report.find(never), std::string::npos) << report;
  }
  const std::vector<ReportLine> lines = OrbitReportLines(MakeOrbitReport(a));
  EXPECT_NEAR(std::stod(lines[5].value), std::log(1e155 / 2.0), 0.1);
  // The Standard Map keeps areas: lambda2 is -lambda1 whatever rounding did to det J.
  EXPECT_EQ(lines[6].value, "-" + lines[5].value);
  EXPECT_EQ(lines[7].value, "0.000000  (mean log|det J| = 0.000000)");
}

// The rotation number beside the exponents: lifted where x wraps (the integrable Standard
// Map advances x by y), winding about the elliptic fixed point the orbit circles otherwise.
TEST(OrbitReport, RotationNumberOfTheFollowedOrbit) {
  OrbitraState state(std::filesystem::temp_directory_path());
  const MappingModel integrable = MapModel(1, 0.0);
  Iterate(state.Inspector, integrable, StandardMapStep(integrable), {0.5, 2.0}, 5000);
  const RotationNumber lifted = state.Inspector.Rotation();
  EXPECT_EQ(lifted.kind, RotationKind::Lifted);
  EXPECT_EQ(lifted.iterations, static_cast<std::int64_t>(kRecentCapacity) - 1);
  EXPECT_NEAR(lifted.value, 2.0 / (2 * std::numbers::pi), 1e-12);
  EXPECT_EQ(OrbitReportLines(MakeOrbitReport(state))[8].value, "0.3183098862  (lifted x, 2047 iterations)");

  // The Henon rotation map turns by k1 about its origin.
  const MappingModel rotation = MapModel(4, 1.3);
  Iterate(state.Inspector, rotation, HenonRotationStep(rotation), {0.001, 0.0}, 5000);
  const RotationNumber winding = state.Inspector.Rotation();
  EXPECT_EQ(winding.kind, RotationKind::Winding);
  EXPECT_LT(std::hypot(winding.centre.x, winding.centre.y), 1e-12);
  EXPECT_NEAR(std::fabs(winding.value), 1.3 / (2 * std::numbers::pi), 1e-5);
  EXPECT_TRUE(state.Inspector.AreaPreserving());
  const LyapunovEstimate e = state.Inspector.Exponents();
  EXPECT_EQ(e.lambda2, 0.0 - e.lambda1);
}

// A centre the user chooses makes the rotation number wind about it even where x wraps:
// close to the Standard Map's elliptic point (pi, 0) at k1 = 0.7 the turn per iteration
// tends to the linear rotation angle, cos theta = trace / 2 = 1 - k1 / 2.
TEST(RotationCentre, AChosenCentreWindsTheOrbitAboutIt) {
  const MappingModel m = MapModel(1, 0.7);
  OrbitInspector inspector;
  Iterate(inspector, m, StandardMapStep(m), {std::numbers::pi + 1e-3, 0.0}, 20'000);
  EXPECT_EQ(inspector.Rotation().kind, RotationKind::Lifted);  // chosen by itself: x wraps

  OrbitraState state(std::filesystem::temp_directory_path());
  struct Refusals : Prompter {
    std::vector<std::string> shown;
    void ShowMessage(std::string_view text) override { shown.emplace_back(text); }
    void ShowInformation(std::string_view) override {}
    Answer AskYesNo(std::string_view) override { return Answer::No; }
    Answer AskYesNoCancel(std::string_view) override { return Answer::Cancel; }
  } prompter;
  state.Inspector = std::move(inspector);
  ASSERT_TRUE(ChooseRotationCentre(state, prompter, " 3.141592653589793 , 0 "));
  const RotationNumber r = state.Inspector.Rotation();
  EXPECT_EQ(r.kind, RotationKind::Winding);
  EXPECT_EQ(r.centre.x, std::numbers::pi);
  EXPECT_NEAR(std::fabs(r.value), std::acos(1.0 - 0.7 / 2) / (2 * std::numbers::pi), 1e-4);

  // Texts that are not a centre change nothing and say why; an empty one goes back to the
  // automatic choice.
  for (const char* bad : {"1,", "abc", "1 2 3", "1, nan", ",2", "1;2"}) {
    EXPECT_FALSE(ChooseRotationCentre(state, prompter, bad)) << bad;
  }
  ASSERT_EQ(prompter.shown.size(), 6u);
  EXPECT_EQ(prompter.shown[0],
            "The rotation centre must be two numbers, x and y, or empty for the nearest elliptic fixed point.");
  EXPECT_EQ(state.Inspector.Rotation().kind, RotationKind::Winding);
  EXPECT_EQ(ParseRotationCentre("-1.5e-3 2"), std::optional<WorldPoint>(WorldPoint{-1.5e-3, 2.0}));
  EXPECT_EQ(RotationCentreText(WorldPoint{0.1, -2.0}), "0.1, -2");
  ASSERT_TRUE(ChooseRotationCentre(state, prompter, "  "));
  EXPECT_EQ(state.Inspector.Rotation().kind, RotationKind::Lifted);
}

}  // namespace
}  // namespace orbitra
