// SPDX-License-Identifier: GPL-3.0-or-later
// The orbit diagram's counts: what the mathematics says about the Henon map, and the same
// bits whatever the threads, a stop, the lanes or the way the map is given.
#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

#include "analysis/orbit_diagram.h"
#include "maps/mapping_catalogue.h"
#include "maps/native_map_compiler.h"
#include "maps/native_user_map.h"
#include "maps/user_map_evaluator.h"
#include "platform/worker_pool.h"
#include "support/map_model.h"
#include "support/typed_maps.h"

namespace orbitra {
namespace {

using testing::MapModel;

// The classic Henon map x' = 1 - a x^2 + y, y' = b x with b = 0.3, a = k1.
DiagramMap ClassicHenon() { return DiagramMap{MapModel(2, 1.4, 0.3, 1.0), std::nullopt}; }

OrbitDiagramSettings HenonSettings(double kmin, double kmax, bool carry) {
  OrbitDiagramSettings s;
  s.view = OrbitDiagramView{0, kmin, kmax, 0, -1.5, 1.5, 1000, 1000};
  s.initial = WorldPoint{0.1, 0.1};
  s.carry = carry;
  return s;
}

void ComputeAll(OrbitDiagram& d, int threads) {
  WorkerPool pool(threads);
  pool.Run(d.Units(), [&](std::int64_t unit, std::stop_token stop) { return d.ComputeUnit(unit, stop); });
}

// Groups of neighbouring rows with hits, separated by at least one empty row.
int Branches(const OrbitDiagram& d, int column) {
  int groups = 0;
  bool inGroup = false;
  for (int r = 0; r < d.Rows(); ++r) {
    const bool hit = d.Count(column, r) > 0;
    if (hit && !inGroup) ++groups;
    inGroup = hit;
  }
  return groups;
}

TEST(OrbitDiagram, HenonHasOneTwoThenFourBranchesBetweenItsPeriodDoublings) {
  // The fixed point loses stability at a = 3(1-b)^2/4 = 0.3675, the 2-cycle at
  // (1-b)^2 + (1+b)^2/4 = 0.9125.
  for (const bool carry : {true, false}) {
    OrbitDiagram d(ClassicHenon(), HenonSettings(0.2, 1.0, carry), 801, 3001);
    ComputeAll(d, 2);
    int checked = 0;
    for (int c = 0; c < d.Columns(); ++c) {
      const double a = d.ParameterAt(c);
      int expected = 0;
      if (a < 0.3675 - 0.01) expected = 1;
      if (a > 0.3675 + 0.01 && a < 0.9125 - 0.01) expected = 2;
      if (a > 0.9125 + 0.01) expected = 4;
      if (expected == 0) continue;
      ASSERT_FALSE(d.Escaped(c));
      ASSERT_EQ(Branches(d, c), expected) << "a = " << a << (carry ? " carried" : " afresh");
      ++checked;
    }
    EXPECT_GT(checked, 750);
  }
}

// A range where some columns escape, odd sizes, and every unit's edge in play.
OrbitDiagramSettings WideHenon(bool carry) {
  OrbitDiagramSettings s = HenonSettings(1.0, 1.55, carry);
  s.view.coordinateMin = -1.3;
  s.view.coordinateMax = 1.1;
  s.view.transient = 300;
  s.view.points = 400;
  return s;
}

TEST(OrbitDiagram, TheCountsAreTheSameOnAnyNumberOfThreadsAndAfterAStop) {
  for (const bool carry : {true, false}) {
    OrbitDiagram one(ClassicHenon(), WideHenon(carry), 203, 97);
    ComputeAll(one, 1);
    int escaped = 0;
    for (int c = 0; c < one.Columns(); ++c) escaped += one.Escaped(c) ? 1 : 0;
    EXPECT_GT(escaped, 10);
    EXPECT_LT(escaped, 150);
    for (const int threads : {2, 7}) {
      OrbitDiagram d(ClassicHenon(), WideHenon(carry), 203, 97);
      ComputeAll(d, threads);
      EXPECT_EQ(d.Counts(), one.Counts()) << threads << " threads";
      for (int c = 0; c < d.Columns(); ++c) ASSERT_EQ(d.Escaped(c), one.Escaped(c));
    }

    // Stopped after some units (one cut in the middle), then the rest resumed.
    OrbitDiagram d(ClassicHenon(), WideHenon(carry), 203, 97);
    WorkerPool pool(2);
    std::promise<void> secondStarted;
    std::shared_future<void> started = secondStarted.get_future().share();
    pool.Start(d.Units(), [&](std::int64_t unit, std::stop_token stop) {
      if (unit == 1) {
        secondStarted.set_value();
        while (!stop.stop_requested()) std::this_thread::yield();
      }
      return d.ComputeUnit(unit, stop);
    });
    started.wait();
    pool.Stop();
    pool.Wait();
    const std::vector<std::int64_t> finished = pool.FinishedUnits();
    EXPECT_EQ(std::count(finished.begin(), finished.end(), 1), 0);
    std::vector<std::int64_t> rest;
    for (std::int64_t u = 0; u < d.Units(); ++u) {
      if (std::find(finished.begin(), finished.end(), u) == finished.end()) rest.push_back(u);
    }
    pool.Start(rest, [&](std::int64_t unit, std::stop_token stop) { return d.ComputeUnit(unit, stop); });
    pool.Wait();
    EXPECT_EQ(d.Counts(), one.Counts());
  }
}

// One column computed alone, by the map's formula in plain scalar code.
std::vector<std::uint32_t> ColumnAlone(const OrbitDiagram& d, double a, int transient) {
  const OrbitDiagramSettings& s = d.Settings();
  std::vector<std::uint32_t> rows(static_cast<std::size_t>(d.Rows()), 0u);
  double x = s.initial.x, y = s.initial.y;
  for (int i = 0; i < transient + s.view.points; ++i) {
    const double x1 = 1.0 - a * x * x + 1.0 * y;
    y = 0.3 * x;
    x = x1;
    if (i < transient) continue;
    const double row = (x - s.view.coordinateMin) * (d.Rows() / (s.view.coordinateMax - s.view.coordinateMin));
    if (row >= 0.0 && row < d.Rows()) ++rows[static_cast<std::size_t>(row)];
  }
  return rows;
}

TEST(OrbitDiagram, LanesGiveTheBitsOfOneColumnAtATime) {
  // Chaotic columns: a single differing rounding would scatter the counts. The code for
  // any processor and the one this processor runs, if it differs, give the same.
  for (const bool anyProcessor : {false, true}) {
    OrbitDiagramSettings s = HenonSettings(1.2, 1.4, false);
    s.anyProcessorCode = anyProcessor;
    OrbitDiagram afresh(ClassicHenon(), s, 131, 211);
    ComputeAll(afresh, 2);
    s.carry = true;
    OrbitDiagram carried(ClassicHenon(), s, 131, 211);
    ComputeAll(carried, 2);
    for (int c = 0; c < afresh.Columns(); ++c) {
      const std::vector<std::uint32_t> alone = ColumnAlone(afresh, afresh.ParameterAt(c), 1000);
      ASSERT_TRUE(std::equal(alone.begin(), alone.end(), afresh.Column(c))) << c;
      // A chain's first column starts from the initial point with twice the transient.
      if (c % kDiagramChainColumns == 0) {
        const std::vector<std::uint32_t> first = ColumnAlone(carried, carried.ParameterAt(c), 2000);
        ASSERT_TRUE(std::equal(first.begin(), first.end(), carried.Column(c))) << c;
      }
    }
    // Carried columns in a chain differ from fresh ones (the planted fault of ignoring it).
    EXPECT_NE(afresh.Counts(), carried.Counts());
  }
}

// With carry, a column after one that escaped starts afresh from the initial point (one
// transient): the escaped chain's infinities never reach it. The progress counts every
// iteration run: per column its transient and points, and per chain one more transient.
TEST(OrbitDiagram, AColumnAfterAnEscapeStartsAfreshAndEveryIterationIsCounted) {
  // Descending k1: the columns escape above about 1.43, and in between.
  OrbitDiagramSettings s = HenonSettings(1.5, 1.0, true);
  s.view.transient = 300;
  s.view.points = 400;
  OrbitDiagram carried(ClassicHenon(), s, 203, 97);
  ComputeAll(carried, 2);
  int checked = 0;
  for (int c = 1; c < carried.Columns(); ++c) {
    if (c % kDiagramChainColumns == 0 || !carried.Escaped(c - 1) || carried.Escaped(c)) continue;
    const std::vector<std::uint32_t> alone = ColumnAlone(carried, carried.ParameterAt(c), 300);
    ASSERT_TRUE(std::equal(alone.begin(), alone.end(), carried.Column(c))) << c;
    ++checked;
  }
  EXPECT_GT(checked, 0);

  std::int64_t iterations = 0;
  for (std::int64_t u = 0; u < carried.Units(); ++u) iterations += carried.UnitIterations(u);
  // 203 columns of 300 + 400, and 26 chains (203 / 8 rounded up) of 300 more.
  EXPECT_EQ(iterations, 203 * 700 + 26 * 300);
  s.carry = false;
  const OrbitDiagram fresh(ClassicHenon(), s, 203, 97);
  iterations = 0;
  for (std::int64_t u = 0; u < fresh.Units(); ++u) iterations += fresh.UnitIterations(u);
  EXPECT_EQ(iterations, 203 * 700);
}

TEST(OrbitDiagram, EveryBuiltInMapGivesTheBitsOfItsRoutineOneColumnAtATime) {
  // Each map over a range of its k1 around the default, a few columns and rows, no carry:
  // each column is the routine's orbit from the initial point, counted row by row, or
  // empty when an iterate went beyond the bound.
  for (int t = 1; t <= 10; ++t) {
    MappingModel model;
    SelectSystemWithDefaults(model, t);
    const WorldRange box = model.DefaultRange;
    OrbitDiagramSettings s;
    s.view = OrbitDiagramView{0, model.k1 * 0.5, model.k1 * 1.5 + 0.1, 1, box.Ymin, box.Ymax, 57, 90};
    s.initial = WorldPoint{box.Xmin + 0.3 * (box.Xmax - box.Xmin), box.Ymin + 0.6 * (box.Ymax - box.Ymin)};
    s.carry = false;
    s.infinity = 1e4;
    OrbitDiagram d(DiagramMap{model, std::nullopt}, s, 70, 33);
    ComputeAll(d, 3);
    for (int c = 0; c < d.Columns(); ++c) {
      MappingModel m = model;
      m.k1 = d.ParameterAt(c);
      std::vector<std::uint32_t> rows(33, 0u);
      bool escaped = false;
      double x = s.initial.x, y = s.initial.y;
      for (int i = 0; i < 57 + 90; ++i) {
        const MapImage image = m.routine(m, x, y);
        x = image.x;
        y = image.y;
        escaped = escaped || !(x * x + y * y <= 1e4);
        const double row = (y - box.Ymin) * (33 / (box.Ymax - box.Ymin));
        if (i >= 57 && row >= 0.0 && row < 33) ++rows[static_cast<std::size_t>(row)];
      }
      if (escaped) rows.assign(33, 0u);
      ASSERT_EQ(d.Escaped(c), escaped) << "map " << t << " column " << c;
      ASSERT_TRUE(std::equal(rows.begin(), rows.end(), d.Column(c))) << "map " << t << " column " << c;
    }
  }
}

UserMapDefinition TypedHenon() {
  return UserMapDefinition{"Typed Henon", {}, "1 - k1*x*x + k3*y", "k2*x", 1.4, 0.3, 1, 0, {-1.5, 1.5, -0.5, 0.5}};
}

TEST(OrbitDiagram, ATypedHenonGivesTheBuiltInDiagramBitForBit) {
  const OrbitDiagramSettings s = WideHenon(true);
  OrbitDiagram builtIn(ClassicHenon(), s, 150, 120);
  ComputeAll(builtIn, 3);

  const UserMapDefinition definition = TypedHenon();
  MappingModel typed = MapModel(2, 1.4, 0.3, 1.0);
  typed.system = 11;
  typed.routine = &UserMapRoutine;
  typed.userMap = CompileUserMap(definition).evaluator;
  ASSERT_TRUE(typed.userMap);
  OrbitDiagram interpreted(DiagramMap{typed, definition}, s, 150, 120);
  ComputeAll(interpreted, 3);
  EXPECT_EQ(interpreted.Counts(), builtIn.Counts());

  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  const NativeMapCompiler compiler;
  if (!compiler.Unavailable().empty()) GTEST_SKIP() << compiler.Unavailable();
  NativeCompilation native = compiler.Compile(*typed.userMap->Program());
  ASSERT_TRUE(native.code) << native.failure;
  std::promise<std::shared_ptr<const NativeUserMap>> code;
  code.set_value(native.code);
  typed.userMap->ExpectNative(code.get_future().share());
  ASSERT_TRUE(typed.userMap->Native());
  OrbitDiagram compiled(DiagramMap{typed, definition}, s, 150, 120);
  ComputeAll(compiled, 3);
  EXPECT_EQ(compiled.Counts(), builtIn.Counts());

  // The lanes in machine code, on both the code for any processor and this one's.
  const NativeCompilation lanes = compiler.Compile(*typed.userMap->Program(), NativeCodePart::Lanes);
  ASSERT_TRUE(lanes.lanes) << lanes.failure;
  EXPECT_FALSE(lanes.code);
  for (const bool anyProcessor : {false, true}) {
    OrbitDiagramSettings own = s;
    own.anyProcessorCode = anyProcessor;
    OrbitDiagram inLanes(DiagramMap{typed, definition, LanesAtHand(lanes.lanes)}, own, 150, 120);
    ComputeAll(inLanes, 3);
    EXPECT_EQ(inLanes.Counts(), builtIn.Counts());
  }
  // Lanes that arrive while the diagram is computed: units before use the map's code.
  std::promise<std::shared_ptr<const NativeLanes>> arriving;
  OrbitDiagram late(DiagramMap{typed, definition, arriving.get_future().share()}, s, 150, 120);
  ASSERT_EQ(late.Units(), 2);
  ASSERT_TRUE(late.ComputeUnit(0));
  arriving.set_value(lanes.lanes);
  ASSERT_TRUE(late.ComputeUnit(1));
  EXPECT_EQ(late.Counts(), builtIn.Counts());
  // Lanes whose compile was dropped (the program closing) leave the map's code at work.
  std::optional<std::promise<std::shared_ptr<const NativeLanes>>> dropped(std::in_place);
  OrbitDiagram abandoned(DiagramMap{typed, definition, dropped->get_future().share()}, s, 150, 120);
  dropped.reset();
  ComputeAll(abandoned, 2);
  EXPECT_EQ(abandoned.Counts(), builtIn.Counts());
}

// Every built-in map typed as formulas (library calls, mod, abs, choices), its lanes in
// machine code: the built-in diagram to the bit, escapes included, with and without carry.
TEST(OrbitDiagram, TypedMapsInCompiledLanesGiveTheBuiltInDiagrams) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  const NativeMapCompiler compiler;
  if (!compiler.Unavailable().empty()) GTEST_SKIP() << compiler.Unavailable();
  for (const testing::TypedMap& typed : testing::kTypedMaps) {
    MappingModel model;
    SelectSystemWithDefaults(model, typed.system);
    UserMapDefinition d;
    d.name = "typed";
    d.helpers = typed.helpers;
    d.xFormula = typed.x;
    d.yFormula = typed.y;
    MappingModel user = model;
    user.system = 11;
    user.routine = &UserMapRoutine;
    user.userMap = CompileUserMap(d).evaluator;
    ASSERT_TRUE(user.userMap) << typed.system;
    const NativeCompilation lanes = compiler.Compile(*user.userMap->Program(), NativeCodePart::Lanes);
    ASSERT_TRUE(lanes.lanes) << typed.system << ": " << lanes.failure;
    const WorldRange box = model.DefaultRange;
    OrbitDiagramSettings s;
    s.view = OrbitDiagramView{0, model.k1 * 0.5, model.k1 * 1.5 + 0.1, typed.system % 2, box.Ymin, box.Ymax, 57, 90};
    s.initial = WorldPoint{box.Xmin + 0.3 * (box.Xmax - box.Xmin), box.Ymin + 0.6 * (box.Ymax - box.Ymin)};
    s.infinity = 1e4;
    for (const bool carry : {false, true}) {
      s.carry = carry;
      OrbitDiagram builtIn(DiagramMap{model, std::nullopt}, s, 70, 33);
      ComputeAll(builtIn, 2);
      OrbitDiagram compiled(DiagramMap{user, d, LanesAtHand(lanes.lanes)}, s, 70, 33);
      ComputeAll(compiled, 2);
      EXPECT_EQ(compiled.Counts(), builtIn.Counts()) << "map " << typed.system << (carry ? " carried" : "");
      for (int c = 0; c < 70; ++c) ASSERT_EQ(compiled.Escaped(c), builtIn.Escaped(c)) << typed.system << " " << c;
    }
  }
}

}  // namespace
}  // namespace orbitra
