// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <future>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "explorer/group_commands.h"
#include "explorer/point_store_commands.h"
#include "explorer/repaint_work.h"
#include "explorer/run_commands.h"
#include "explorer/user_map_commands.h"
#include "maps/mapping_catalogue.h"
#include "maps/native_map_compiler.h"
#include "maps/native_maps.h"
#include "maps/system_catalogue.h"
#include "maps/user_map_evaluator.h"
#include "plot/box_ranges.h"
#include "storage/point_buffer.h"
#include "support/scenario.h"

namespace orbitra {
namespace {

using testing::Scenario;

void SelectSystem(OrbitraState& s, int t) {
  const SystemDefaults d = LoadSystemDefaults(t);
  CommitSelection(s.Model, s.Boxes.XYBox.Label, t, d.k1, d.k2, d.k3, d.k4, PendingSelection{d.routine, d.DefaultRange});
  ResetRangesToDefault(s.Boxes, d.DefaultRange, s.Run.Settings.Iterations);
}

// Everything a repaint leaves behind that a user or a later command can see.
void ExpectSameOutcome(Scenario& a, Scenario& b, const std::string& what) {
  const OrbitraState& s = a.State();
  const OrbitraState& t = b.State();
  EXPECT_EQ(s.Store.Buf, t.Store.Buf) << what;
  EXPECT_EQ(s.Store.Dsk, t.Store.Dsk) << what;
  EXPECT_EQ(s.Store.RTN, t.Store.RTN) << what;
  EXPECT_EQ(s.Store.DTN, t.Store.DTN) << what;
  EXPECT_EQ(s.Run.CurrentPoint.x, t.Run.CurrentPoint.x) << what;
  EXPECT_EQ(s.Run.CurrentPoint.y, t.Run.CurrentPoint.y) << what;
  const std::size_t bytes = sizeof(StoredPoint) * static_cast<std::size_t>(std::min(s.Store.Buf, t.Store.Buf));
  EXPECT_TRUE(std::equal(reinterpret_cast<const char*>(s.Store.Slots.get()),
                         reinterpret_cast<const char*>(s.Store.Slots.get()) + bytes,
                         reinterpret_cast<const char*>(t.Store.Slots.get())))
      << what;
  const Canvas& p = a.Picture();
  EXPECT_TRUE(std::equal(p.Bits(), p.Bits() + p.Width() * p.Height(), b.Picture().Bits())) << what;
  EXPECT_EQ(a.Prompts().Texts(), b.Prompts().Texts()) << what;
  EXPECT_EQ(a.Texts().Texts(), b.Texts().Texts()) << what;
}

// Each case sets a scenario up, then asks for the repaint under test.
struct Case {
  const char* name;
  void (*prepare)(Scenario&);
  Invalidation (*command)(Scenario&);
};

const Case kCases[] = {
    {"standard map with the evolution boxes",
     [](Scenario& sc) {
       sc.State().Run.Settings.DisplayMode = 1;
       sc.State().Run.Settings.Iterations = 5000;
       sc.State().Run.Settings.InfoEvery = 333;
     },
     [](Scenario& sc) { return StartRun(sc.State()); }},
    {"henon zoomed, storing only inside the box, then escaping",
     [](Scenario& sc) {
       OrbitraState& s = sc.State();
       SelectSystem(s, 2);
       s.Model.k1 = 1.4;
       s.Model.k2 = 0.3;
       s.Model.k3 = 1.0;
       s.Boxes.XYBox.SetRange(-1.5, -0.5, 0.0, 0.5);
       s.Run.Settings.RestrictToBox = 1;
       s.Run.Settings.Iterations = 3000;
       s.Run.InitialPoint.x = 0.1;
       s.Run.InitialPoint.y = 0.1;
       s.Model.k1 = 1.428;  // leaves the attractor's basin after some 360 iterations
     },
     [](Scenario& sc) { return StartRun(sc.State()); }},
    {"the doubly kicked rotator, a few iterates at a time, escaping a small disc",
     [](Scenario& sc) {
       OrbitraState& s = sc.State();
       SelectSystem(s, 9);
       s.Run.Settings.DisplayMode = 1;
       s.Run.Settings.Iterations = 4000;
       s.Run.Settings.InfinityValue = 40.0;
       s.Run.InitialPoint.x = 1.0;
       s.Run.InitialPoint.y = 0.5;
     },
     [](Scenario& sc) { return StartRun(sc.State()); }},
    {"a buffer that fills in the middle of a run",
     [](Scenario& sc) {
       OrbitraState& s = sc.State();
       s.Store.BufferCapacity = 777;
       AllocateBuffer(s.Store);
       s.Run.Settings.Iterations = 2000;
     },
     [](Scenario& sc) { return StartRun(sc.State()); }},
    {"a group of three, one of them escaping, after a stream replay",
     [](Scenario& sc) {
       OrbitraState& s = sc.State();
       s.Run.Settings.Iterations = 900;
       sc.Apply(StartRun(s));
       TransferBufferToStream(s, sc.Prompts());
       s.Run.Settings.ShowStreamPoints = 1;
       sc.Dir().Write("icgroup.txt", "0.5 0.25 700 3 0\n1.5 2.5 400 5 1\n9e9 0 100 7 0\n");
     },
     [](Scenario& sc) {
       sc.State().Run.Requests.GroupPending = 1;
       return Invalidation::WithErase;
     }},
    {"a continuation replaying the stream and the buffer",
     [](Scenario& sc) {
       OrbitraState& s = sc.State();
       s.Run.Settings.Iterations = 1500;
       sc.Apply(StartRun(s));
       TransferBufferToStream(s, sc.Prompts());
       sc.Apply(StartRun(s));
       s.Run.Settings.ShowStreamPoints = 1;
     },
     [](Scenario& sc) { return ContinueTrajectory(sc.State()); }},
};

// However a repaint is sliced, it leaves what one unbroken repaint leaves; and the loop
// that feeds the inspector (one iterate at a time, through the map's step) leaves it too.
TEST(LiveRun, ASlicedRepaintEqualsAnUnbrokenOne) {
  for (const Case& c : kCases) {
    Scenario whole, inspected;
    for (Scenario* sc : {&whole, &inspected}) {
      sc->Prompts().Script({Answer::Yes, Answer::Yes, Answer::Yes});
      c.prepare(*sc);
      sc->Prompts().Clear();
      sc->Texts().Clear();
    }
    inspected.State().Inspector.SetShown(true);
    whole.Apply(c.command(whole));
    inspected.Apply(c.command(inspected));
    ExpectSameOutcome(whole, inspected, std::string(c.name) + ", inspected");
    for (const std::int64_t budget : {std::int64_t{1}, std::int64_t{7}, std::int64_t{1000}, std::int64_t{65536}}) {
      Scenario whole, sliced;
      for (Scenario* sc : {&whole, &sliced}) {
        sc->Prompts().Script({Answer::Yes, Answer::Yes, Answer::Yes});
        c.prepare(*sc);
        sc->Prompts().Clear();
        sc->Texts().Clear();
      }
      whole.Apply(c.command(whole));
      sliced.ApplySliced(c.command(sliced), budget);
      ExpectSameOutcome(whole, sliced, std::string(c.name) + ", slices of " + std::to_string(budget));
    }
  }
}

// A run stopped after k iterations and continued for N - k ends as one run of N.
TEST(LiveRun, StopThenContinueEqualsOneRun) {
  constexpr std::int32_t kWhole = 20000, kStopAfter = 7321;
  Scenario one, stopped;
  for (Scenario* sc : {&one, &stopped}) {
    SelectSystem(sc->State(), 9);
    sc->State().Run.Settings.Iterations = kWhole;
  }
  one.Apply(StartRun(one.State()));

  stopped.Picture().Clear(kWhite);
  {
    const Invalidation how = StartRun(stopped.State());
    ASSERT_EQ(how, Invalidation::WithErase);
    RepaintWork work(stopped.State(), stopped.Picture(), stopped.Prompts());
    work.Advance(kStopAfter);
    ASSERT_FALSE(work.Done());
    work.Stop();
    EXPECT_TRUE(work.Done());
  }
  EXPECT_EQ(stopped.State().Store.RTN, kStopAfter);
  EXPECT_EQ(stopped.State().Store.Buf, kStopAfter);
  EXPECT_TRUE(stopped.Prompts().All().empty());
  stopped.State().Run.Settings.ContinueIterations = kWhole - kStopAfter;
  stopped.Apply(ContinueTrajectory(stopped.State()));

  // The pictures differ only in what the run drew but did not keep; redrawn from the kept
  // points they are the same.
  for (Scenario* sc : {&one, &stopped}) {
    sc->Prompts().Clear();
    sc->Texts().Clear();
    sc->Apply(RefreshView(sc->State()));
  }
  ExpectSameOutcome(one, stopped, "stopped at 7321, continued");
}

// Before a run's message box opens, the status lines show the run's final counters.
class StatusAtMessage : public testing::ScriptedPrompter {
 public:
  explicit StatusAtMessage(const testing::RecordingTextPainter& painter) : painter_(painter) {}
  void ShowMessage(std::string_view text) override {
    const auto rtn = painter_.TextsStartingWith("RTN = ");
    const auto buf = painter_.TextsStartingWith("Buf = ");
    seen.push_back(rtn.back().text + "|" + buf.back().text);
    ScriptedPrompter::ShowMessage(text);
  }
  std::vector<std::string> seen;

 private:
  const testing::RecordingTextPainter& painter_;
};

// A replay stopped half way leaves the picture incomplete, but Dsk counts every point the
// stream holds, and the requested run does not start.
TEST(LiveRun, AStoppedReplayKeepsTheCountersTrue) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.Settings.Iterations = 100000;
  s.Store.BufferCapacity = 200000;
  AllocateBuffer(s.Store);
  sc.Apply(StartRun(s));
  TransferBufferToStream(s, sc.Prompts());
  s.Run.Settings.ShowStreamPoints = 1;
  s.Store.Dsk = 0;  // the repaint counts the stream again
  sc.Picture().Clear(kWhite);
  StartRun(s);
  RepaintWork work(s, sc.Picture(), sc.Prompts());
  work.Advance(30000);
  EXPECT_EQ(work.Progress().kind, WorkProgress::Kind::Replay);
  EXPECT_EQ(ProgressText(work.Progress(), 0.0), "Replaying stored points: 30% of 100000");
  work.Stop();
  EXPECT_TRUE(work.Done());
  EXPECT_TRUE(work.PictureIncomplete());
  EXPECT_EQ(s.Store.Dsk, 100000);
  EXPECT_EQ(s.Store.RTN, 0);
  EXPECT_EQ(s.Run.Requests.RunPending, 0);
}

// Progress counts what each slice did: a run's iterations up to the budget, never the
// budget a run did not use, never one more; a buffer replay that ends exactly with a slice
// leaves a whole picture.
TEST(LiveRun, ProgressCountsWhatTheSlicesDid) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Run.Settings.Iterations = 1001;
  sc.Picture().Clear(kWhite);
  StartRun(s);
  RepaintWork run(s, sc.Picture(), sc.Prompts());
  for (std::int64_t slice = 1; slice <= 3; ++slice) {
    run.Advance(300);
    EXPECT_EQ(run.Progress().done, 300 * slice);
    EXPECT_EQ(run.Progress().total, 1001);
    EXPECT_EQ(run.Progress().unitsDone, 300 * slice);
  }
  run.Advance(300);  // 101 iterations left: the rest of the budget is not counted
  EXPECT_TRUE(run.Done());
  EXPECT_EQ(run.Progress().unitsDone, 1001);
  EXPECT_FALSE(run.PictureIncomplete());

  // The 1001 points replayed in slices of 143: the seventh ends on the last point, an
  // eighth closes the repaint.
  s.Run.Settings.ShowBufferPoints = 1;
  sc.Picture().Clear(kWhite);
  RepaintWork replay(s, sc.Picture(), sc.Prompts());
  int slices = 0;
  while (!replay.Done()) {
    replay.Advance(143);
    ++slices;
    EXPECT_EQ(replay.Progress().unitsDone, 143 * std::min(slices, 7));
  }
  EXPECT_EQ(slices, 8);
  EXPECT_FALSE(replay.PictureIncomplete());
}

// A run whose points are kept but not shown again (buffer points hidden, or storing off)
// leaves points on the picture that a picture drawn anew lacks: that is noted.
TEST(LiveRun, PointsShownButNotDrawnAgainAreNoted) {
  for (const auto& [store, show] : {std::pair{1, 0}, std::pair{0, 1}, std::pair{1, 1}}) {
    Scenario sc;
    OrbitraState& s = sc.State();
    s.Run.Settings.StoreInBuffer = store;
    s.Run.Settings.ShowBufferPoints = show;
    sc.Apply(StartRun(s));
    EXPECT_EQ(s.Run.UnkeptPointsShown, store == 1 && show == 1 ? 0 : 1) << store << show;
    EXPECT_EQ(s.Store.Buf, store == 1 ? 1000 : 0);
  }
}

TEST(LiveRun, StatusLinesAreCurrentBehindTheMessageBoxes) {
  Scenario sc;
  OrbitraState& s = sc.State();
  s.Store.BufferCapacity = 50;
  AllocateBuffer(s.Store);
  s.Run.Settings.InfoEvery = 1000;  // no refresh during the run but after the first iterate
  s.Run.Settings.Iterations = 100;
  StatusAtMessage prompter(sc.Texts());
  StartRun(s);
  sc.Picture().Clear(kWhite);
  RepaintWork(s, sc.Picture(), prompter).RunToEnd();
  EXPECT_EQ(prompter.Messages(), (std::vector<std::string>{"Buffer is Full"}));
  EXPECT_EQ(prompter.seen, (std::vector<std::string>{"RTN = 49  |Buf = 49 (98%) "}));
}

TEST(LiveRun, ARunEndsBeforeTheIterationCounterWouldOverflow) {
  Scenario sc;
  OrbitraState& s = sc.State();
  sc.Apply(StartRun(s));
  s.Store.RTN = std::numeric_limits<std::int32_t>::max() - 5;
  const StoredPoint before = s.Run.CurrentPoint;
  sc.Apply(ContinueTrajectory(s));
  EXPECT_EQ(s.Store.RTN, 2147483647);
  EXPECT_EQ(sc.Prompts().Messages(),
            (std::vector<std::string>{"The trajectory has reached 2147483647 iterations, the most its counter can "
                                      "hold.\nStart a new trajectory to go on."}));
  MappingModel m;
  SelectSystemWithDefaults(m, kStandardMap);
  double x = before.x, y = before.y;
  for (int i = 0; i < 5; ++i) {
    const MapImage image = m.routine(m, x, y);
    x = image.x;
    y = image.y;
  }
  EXPECT_EQ(s.Run.CurrentPoint.x, x);
  EXPECT_EQ(s.Run.CurrentPoint.y, y);
}

// The orbit inspector follows a run through its slices as through one unbroken run, and a
// typed map's exponents (from central differences) match the built-in map's.
TEST(LiveRun, TheInspectorFollowsARunWhateverItsSlicesAndMap) {
  const auto henonRun = [](Scenario& sc, bool typed, std::int64_t budget) {
    OrbitraState& s = sc.State();
    int system = 2;
    if (typed) {
      s.UserMaps.Add(*MakeUserMap(UserMapDefinition{"Typed Henon", {}, "1 - k1*x*x + k3*y", "k2*x", 1.4, 0.3, 1, 0,
                                                    {-1.5, 1.5, -0.5, 0.5}})
                          .map);
      system = kFirstUserSystem;
    }
    const SystemDefaults d = LoadSystemDefaults(s.UserMaps, system);
    CommitSelection(s.Model, s.Boxes.XYBox.Label, s.UserMaps, system, 1.4, 0.3, 1.0, 0.0,
                    PendingSelection{d.routine, d.DefaultRange, d.userMap});
    s.Run.InitialPoint.x = 0.1;
    s.Run.InitialPoint.y = 0.1;
    s.Run.Settings.Iterations = 200000;
    s.Store.BufferCapacity = 300000;
    AllocateBuffer(s.Store);
    s.Inspector.SetShown(true);
    sc.ApplySliced(StartRun(s), budget);
    return s.Inspector.Exponents();
  };
  Scenario whole, sliced, typed;
  const LyapunovEstimate a = henonRun(whole, false, std::numeric_limits<std::int64_t>::max());
  const LyapunovEstimate b = henonRun(sliced, false, 7777);
  EXPECT_EQ(a.steps, 200000);
  EXPECT_EQ(a.lambda1, b.lambda1);
  EXPECT_EQ(a.lambda2, b.lambda2);
  EXPECT_NEAR(a.lambda1, 0.419, 0.01);
  EXPECT_NEAR(a.Sum(), std::log(0.3), 1e-9);
  const LyapunovEstimate c = henonRun(typed, true, 100000);
  EXPECT_NEAR(c.lambda1, a.lambda1, 1e-4);
  // Shown or hidden, the inspector changes nothing else.
  Scenario hidden;
  henonRun(hidden, false, 4096);
  hidden.State().Inspector.SetShown(false);
  hidden.Apply(StartRun(hidden.State()));
  whole.Apply(StartRun(whole.State()));
  ExpectSameOutcome(whole, hidden, "inspector shown and hidden");
}

// Built-in maps 1 and 2 as the user types them, with their defaults.
const UserMapDefinition kTypedStandardMap{
    "Typed Standard Map", {"t = x + y"}, "mod(t, 2*pi)", "mod(y + k1*sin(t), 2*pi)", 0.7, 0, 0, 0,
    {0, kTwoPi, 0, kTwoPi}};
const UserMapDefinition kTypedHenon{
    "Typed Henon", {}, "1 - k1*x*x + k3*y", "k2*x", 1.428, 0.3, 1, 0, {-12, 12, -1, 1}};

// The map becomes the user's map 11 and is selected, its machine code waited for; or,
// `interpreted`, the expression library evaluates it.
void SelectTyped(Scenario& sc, const UserMapDefinition& d, bool interpreted) {
  OrbitraState& s = sc.State();
  if (interpreted) s.CompiledMaps = NativeMaps(InterpretedOnly());
  s.UserMaps.Add(*MakeUserMap(d).map);
  ASSERT_TRUE(SelectUserMapByName(s, d.name));
  s.CompiledMaps.WaitFor(s.Model);
  ASSERT_EQ(s.Model.userMap->Native() != nullptr, !interpreted);
}

// Each case selects a typed map (with `interpreted` as SelectTyped) and asks for a run.
struct TypedCase {
  const char* name;
  void (*prepare)(Scenario&, bool interpreted);
  const char* message;  // how the run ends
};

const TypedCase kTypedCases[] = {
    {"henon with the inspector, storing only inside the box, escaping beyond 100 after some 360 iterations",
     [](Scenario& sc, bool interpreted) {
       SelectTyped(sc, kTypedHenon, interpreted);
       OrbitraState& s = sc.State();
       s.Inspector.SetShown(true);
       s.Run.Settings.RestrictToBox = 1;
       s.Run.Settings.InfinityValue = 100.0;  // the last point before the escape is in the box
       s.Run.Settings.Iterations = 3000;
       s.Run.Settings.InfoEvery = 33;
       s.Run.InitialPoint.x = 0.1;
       s.Run.InitialPoint.y = 0.1;
     },
     " Escape to Infinity\n or Initials are out of valid range"},
    {"standard map with the evolution boxes and the inspector, the buffer filling up",
     [](Scenario& sc, bool interpreted) {
       SelectTyped(sc, kTypedStandardMap, interpreted);
       OrbitraState& s = sc.State();
       s.Inspector.SetShown(true);
       s.Store.BufferCapacity = 2777;
       AllocateBuffer(s.Store);
       s.Run.Settings.DisplayMode = 1;
       s.Run.Settings.Iterations = 5000;
     },
     "Buffer is Full"},
};

// A typed map's run leaves the same pixels, points, counters, messages and inspector
// whether the expression library or the machine code computes it, however the run is
// sliced, and when the machine code arrives in the middle of the run.
void ExpectSameTypedRun(Scenario& a, Scenario& b, const std::string& what) {
  ExpectSameOutcome(a, b, what);
  const LyapunovEstimate ea = a.State().Inspector.Exponents(), eb = b.State().Inspector.Exponents();
  EXPECT_EQ(ea.steps, eb.steps) << what;
  EXPECT_EQ(std::bit_cast<std::uint64_t>(ea.lambda1), std::bit_cast<std::uint64_t>(eb.lambda1)) << what;
  EXPECT_EQ(std::bit_cast<std::uint64_t>(ea.lambda2), std::bit_cast<std::uint64_t>(eb.lambda2)) << what;
}

TEST(LiveRun, ATypedMapRunsTheSameCompiledOrInterpreted) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  for (const TypedCase& c : kTypedCases) {
    Scenario interpreted;
    c.prepare(interpreted, true);
    interpreted.Prompts().Clear();
    interpreted.Texts().Clear();
    interpreted.Apply(StartRun(interpreted.State()));
    ASSERT_EQ(interpreted.Prompts().Messages(), std::vector<std::string>{c.message}) << c.name;
    for (const std::int64_t budget : {std::int64_t{1}, std::int64_t{7}, std::int64_t{1000}, std::int64_t{1} << 40}) {
      Scenario compiled;
      c.prepare(compiled, false);
      compiled.Prompts().Clear();
      compiled.Texts().Clear();
      compiled.ApplySliced(StartRun(compiled.State()), budget);
      ExpectSameTypedRun(interpreted, compiled, std::string(c.name) + ", compiled, slices of " + std::to_string(budget));
    }
    // Interpreted for the first slice, compiled from the second on.
    Scenario late;
    c.prepare(late, true);
    late.Prompts().Clear();
    late.Texts().Clear();
    NativeMaps compiler;
    compiler.StartCompiling(late.State().Model, c.name);
    ASSERT_EQ(StartRun(late.State()), Invalidation::WithErase);
    late.Picture().Clear(kWhite);
    RepaintWork work(late.State(), late.Picture(), late.Prompts());
    work.Advance(100);
    ASSERT_FALSE(work.Done());
    compiler.WaitFor(late.State().Model);
    ASSERT_TRUE(late.State().Model.userMap->Native());
    while (!work.Done()) work.Advance(70);
    ExpectSameTypedRun(interpreted, late, std::string(c.name) + ", compiled after the first slice");
  }
}

// The run computes with the machine code the map's evaluator holds: given the code of a
// formula that differs by a hair, its stored points follow that formula.
TEST(LiveRun, ARunTakesTheMapsMachineCode) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  Scenario sc;
  SelectTyped(sc, kTypedHenon, true);
  UserMapDefinition other = kTypedHenon;
  other.yFormula = "k2*x + 1e-9";
  const std::shared_ptr<const UserMapEvaluator> otherEvaluator = CompileUserMap(other).evaluator;
  NativeMaps compiler;
  MappingModel otherModel = sc.State().Model;
  otherModel.userMap = otherEvaluator;
  compiler.StartCompiling(otherModel, other.name);
  compiler.WaitFor(otherModel);
  ASSERT_TRUE(otherEvaluator->Native());
  std::promise<std::shared_ptr<const NativeUserMap>> planted;
  planted.set_value(otherEvaluator->Native());
  sc.State().Model.userMap->ExpectNative(planted.get_future().share());

  OrbitraState& s = sc.State();
  s.Run.InitialPoint.x = 0.1;
  s.Run.InitialPoint.y = 0.1;
  s.Run.Settings.Iterations = 10;
  sc.Apply(StartRun(s));
  ASSERT_EQ(s.Store.Buf, 10);
  double x = 0.1, y = 0.1;
  for (int i = 0; i < 10; ++i) {
    const MapImage image = otherEvaluator->Evaluate(x, y, s.Model.k1, s.Model.k2, s.Model.k3, s.Model.k4);
    x = image.x;
    y = image.y;
    EXPECT_EQ(s.Store.Slots[i].x, x) << i;
    EXPECT_EQ(s.Store.Slots[i].y, y) << i;
  }
}

TEST(LiveRun, ProgressLines) {
  WorkProgress run{WorkProgress::Kind::Run, 42'000'000, 100'000'000, 0, 0, 62'000'000};
  EXPECT_EQ(ProgressText(run, 2.0), "Running: 42% of 100000000 iterations, 31 M/s");
  WorkProgress group{WorkProgress::Kind::Run, 500, 1000, 3, 12, 2'500'000};
  EXPECT_EQ(ProgressText(group, 1.0), "Running trajectory 3 of 12: 50% of 1000 iterations, 2.5 M/s");
  WorkProgress replay{WorkProgress::Kind::Replay, 1, 3, 0, 0, 1};
  EXPECT_EQ(ProgressText(replay, 0.0), "Replaying stored points: 33% of 3");
  EXPECT_EQ(ProgressText(WorkProgress{}, 1.0), "");
}

}  // namespace
}  // namespace orbitra
