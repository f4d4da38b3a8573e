// The background compiles of user maps: what is said when they fail, and what is shared.
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "explorer/native_maps.h"
#include "explorer/run_commands.h"
#include "explorer/user_map_commands.h"
#include "maps/mapping_catalogue.h"
#include "maps/native_map_compiler.h"
#include "maps/user_map_evaluator.h"
#include "support/scenario.h"

namespace orbitra {
namespace {

using testing::Scenario;

UserMapDefinition TypedHenon(std::string name) {
  return UserMapDefinition{std::move(name), {}, "1 - k1*x*x + k3*y", "k2*x", 1.4, 0.3, 1, 0, {-1.5, 1.5, -0.5, 0.5}};
}

// The map is added and chosen, and its compile has ended.
void Choose(OrbitraState& s, const UserMapDefinition& d) {
  s.UserMaps.Add(*MakeUserMap(d).map);
  ASSERT_TRUE(SelectUserMapByName(s, d.name));
  s.CompiledMaps.WaitFor(s.Model);
}

std::vector<std::string> Messages(NativeMaps& maps) {
  std::vector<std::string> all;
  while (const std::optional<std::string> message = maps.NextMessage()) all.push_back(*message);
  return all;
}

// The orbit of the built-in Henon map from the start of a run, as the buffer keeps it.
void ExpectBuiltInHenonOrbit(const OrbitraState& s, int iterations) {
  MappingModel henon;
  SelectSystemWithDefaults(henon, 2);
  henon.k1 = 1.4;
  henon.k2 = 0.3;
  henon.k3 = 1.0;
  ASSERT_EQ(s.Store.Buf, iterations);
  double x = s.Run.InitialPoint.x, y = s.Run.InitialPoint.y;
  for (int i = 0; i < iterations; ++i) {
    const MapImage image = henon.routine(henon, x, y);
    x = image.x;
    y = image.y;
    ASSERT_EQ(s.Store.Slots[i].x, x) << i;
    ASSERT_EQ(s.Store.Slots[i].y, y) << i;
  }
}

TEST(NativeMaps, AFailedCompileIsSaidOnceAndTheMapRunsInterpreted) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  Scenario sc;
  OrbitraState& s = sc.State();
  s.CompiledMaps = NativeMaps(NativeCompilerSettings{"libgccjit.so.0", {"-fno-such-option"}});
  Choose(s, TypedHenon("Mine"));
  EXPECT_FALSE(s.Model.userMap->Native());
  const std::vector<std::string> said = Messages(s.CompiledMaps);
  ASSERT_EQ(said.size(), 1u);
  const std::string start = "\"Mine\" runs interpreted (same results, slower): compiling it failed: ";
  EXPECT_EQ(said[0].substr(0, start.size()), start);
  EXPECT_GT(said[0].size(), start.size() + 5) << "the reason is told";
  EXPECT_EQ(said[0].find('\n'), std::string::npos);

  // Chosen again, or the same formulas under another name: nothing more is tried or said.
  Choose(s, TypedHenon("Mine too"));
  ASSERT_TRUE(SelectUserMapByName(s, "Mine"));
  EXPECT_TRUE(Messages(s.CompiledMaps).empty());

  s.Run.InitialPoint = {0.1, 0.1};
  s.Run.Settings.Iterations = 500;
  sc.Apply(StartRun(s));
  ExpectBuiltInHenonOrbit(s, 500);
}

TEST(NativeMaps, ACompilerThatCannotBeLoadedIsSaidOnceForAllMaps) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  Scenario sc;
  OrbitraState& s = sc.State();
  s.CompiledMaps = NativeMaps(NativeCompilerSettings{"libno-such-jit.so.0", {}});
  Choose(s, TypedHenon("First"));
  UserMapDefinition other = TypedHenon("Second");
  other.yFormula = "k2*x + 0.5";
  Choose(s, other);
  EXPECT_EQ(Messages(s.CompiledMaps),
            std::vector<std::string>{"Your maps run interpreted (same results, slower): the compiler could not be "
                                     "loaded: libno-such-jit.so.0: cannot open shared object file: No such file or "
                                     "directory"});
  ASSERT_TRUE(SelectUserMapByName(s, "First"));
  s.Run.InitialPoint = {0.1, 0.1};
  s.Run.Settings.Iterations = 500;
  sc.Apply(StartRun(s));
  ExpectBuiltInHenonOrbit(s, 500);
  EXPECT_TRUE(sc.Prompts().Messages().empty());
}

// Maps that compute the same share one compile, kept for the life of the program; any
// difference in a number is another compile. Nothing is said when all goes well.
TEST(NativeMaps, SameFormulasShareTheirMachineCode) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  Scenario sc;
  OrbitraState& s = sc.State();
  Choose(s, TypedHenon("One"));
  const std::shared_ptr<const NativeUserMap> one = s.Model.userMap->Native();
  ASSERT_TRUE(one);
  UserMapDefinition spaced = TypedHenon("Two");
  spaced.xFormula = " 1 -k1*x*x+ k3*y ";
  Choose(s, spaced);
  EXPECT_EQ(s.Model.userMap->Native(), one);
  UserMapDefinition changed = TypedHenon("Three");
  changed.xFormula = "1 - k1*x*x + k3*y + 0";
  Choose(s, changed);
  ASSERT_TRUE(s.Model.userMap->Native());
  EXPECT_NE(s.Model.userMap->Native(), one);
  EXPECT_TRUE(Messages(s.CompiledMaps).empty());
}

}  // namespace
}  // namespace orbitra
