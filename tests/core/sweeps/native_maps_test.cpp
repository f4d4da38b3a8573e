// SPDX-License-Identifier: GPL-3.0-or-later
// The background compiles of user maps: what is said when they fail, and what is shared.
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "explorer/run_commands.h"
#include "explorer/user_map_commands.h"
#include "maps/mapping_catalogue.h"
#include "maps/native_code_format.h"
#include "maps/native_map_compiler.h"
#include "maps/native_maps.h"
#include "maps/user_map_evaluator.h"
#include "support/scenario.h"
#include "support/temp_work_dir.h"
#include "sweeps/orbit_diagram_view.h"

namespace orbitra {
namespace {

using testing::Scenario;
using testing::TempWorkDir;
namespace fs = std::filesystem;

UserMapDefinition TypedHenon(std::string name) {
  return UserMapDefinition{std::move(name), {}, "1 - k1*x*x + k3*y", "k2*x", 1.4, 0.3, 1, 0, {-1.5, 1.5, -0.5, 0.5}};
}

// The map is added and chosen, and its compile has ended.
void Choose(OrbitraState& s, const UserMapDefinition& d) {
  s.UserMaps.Add(*MakeUserMap(d).map);
  ASSERT_TRUE(SelectUserMapByName(s, d.name));
  s.CompiledMaps.WaitFor(s.Model);
}

// The shared objects in a cache folder (each has its checksum beside it).
std::vector<fs::path> CodeFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
    if (e.path().extension() == ".so") files.push_back(e.path());
  }
  return files;
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
  s.CompiledMaps =
      NativeMaps(NativeCompilerSettings{.library = "libgccjit.so.0", .extraOptions = {"-fno-such-option"}});
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
  s.CompiledMaps = NativeMaps(NativeCompilerSettings{.library = "libno-such-jit.so.0"});
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

// A diagram's lanes: compiled in the background once the map's own code is there, once per
// formulas, their own file in the cache beside the map's, and never for a built-in map or
// without a compiler.
TEST(NativeMaps, DiagramLanesAreCompiledWhenADiagramAsksAndKept) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  const TempWorkDir cache;
  NativeCompilerSettings settings;
  settings.cacheFolder = cache.Path();
  Scenario sc;
  OrbitraState& s = sc.State();
  s.CompiledMaps = NativeMaps(settings);
  EXPECT_FALSE(s.CompiledMaps.Lanes(s.Model).get());  // the built-in map of a fresh start
  Choose(s, TypedHenon("Lanes"));
  ASSERT_TRUE(s.Model.userMap->Native());
  const DiagramMap map = DiagramMapOf(s);
  const std::shared_ptr<const NativeLanes> lanes = map.lanes.get();
  ASSERT_TRUE(lanes);
  EXPECT_EQ(s.CompiledMaps.Lanes(s.Model).get(), lanes);
  EXPECT_EQ(CodeFiles(cache.Path()).size(), 2u);
  // Each iterate of lane l is the Henon map with that lane's k1.
  double x[kNativeLanes], y[kNativeLanes], k[4 * kNativeLanes], escaped[kNativeLanes] = {};
  double points[2 * kNativeLanes * 3];
  for (int l = 0; l < kNativeLanes; ++l) {
    x[l] = 0.01 * l;
    y[l] = -0.02 * l;
    k[l] = 1.0 + 0.03 * l;
    k[kNativeLanes + l] = 0.3;
    k[2 * kNativeLanes + l] = 1.0;
    k[3 * kNativeLanes + l] = 0.0;
  }
  x[5] = 1e3;  // beyond the bound at once
  lanes->LanesCode()(x, y, k, 1e4, 3, escaped, points);
  for (int l = 0; l < kNativeLanes; ++l) {
    double px = l == 5 ? 1e3 : 0.01 * l, py = -0.02 * l;
    for (int i = 0; i < 3; ++i) {
      const double nx = 1.0 - k[l] * px * px + 1.0 * py;
      py = 0.3 * px;
      px = nx;
      if (l != 5) EXPECT_EQ(points[2 * kNativeLanes * i + l], px) << l << " " << i;
      if (l != 5) EXPECT_EQ(points[2 * kNativeLanes * i + kNativeLanes + l], py) << l << " " << i;
    }
    if (l != 5) EXPECT_EQ(x[l], px) << l;
    EXPECT_EQ(escaped[l], l == 5 ? 1.0 : 0.0) << l;
  }

  Scenario interpreted;
  interpreted.State().CompiledMaps = NativeMaps(InterpretedOnly());
  Choose(interpreted.State(), TypedHenon("Interpreted"));
  EXPECT_FALSE(DiagramMapOf(interpreted.State()).lanes.get());
  EXPECT_TRUE(DiagramMapOf(interpreted.State()).definition);
}

// A stand-in for the helper program: a shell script that hands the version question to
// the real helper and runs `compile` for a compile, with "$@" its arguments.
fs::path HelperScript(const fs::path& folder, const std::string& compile) {
  const std::optional<fs::path> real = NativeMapCompiler::FindHelper(fs::read_symlink("/proc/self/exe"));
  EXPECT_TRUE(real.has_value());
  const fs::path script = folder / "helper.sh";
  std::ofstream(script) << "#!/bin/sh\ncase \" $* \" in *\" --version \"*) exec '" << real->string()
                        << "' \"$@\";; esac\nREAL='" << real->string() << "'\n" << compile << "\n";
  fs::permissions(script, fs::perms::owner_all);
  return script;
}

// Whatever ends the helper (no assembler on the PATH, a temporary folder that fills up,
// a crash), the program goes on: the map runs interpreted with the built-in's bits, the
// cause is said once, and nothing is left in the temporary folder.
TEST(NativeMaps, NoFailureOfTheCompilerTouchesTheProgram) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  struct Case {
    const char* compile;
    const char* cause;  // a part of the message that names it
  };
  const Case cases[] = {
      {"PATH=/nonexistent exec \"$REAL\" \"$@\"", "cannot execute \u2018as\u2019"},
      {"ulimit -f 4; exec \"$REAL\" \"$@\"", "File size limit exceeded"},
      {"kill -SEGV $$", "signal 11 (Segmentation fault)"},
  };
  for (const Case& c : cases) {
    const TempWorkDir scripts, temporary, cache;
    Scenario sc;
    OrbitraState& s = sc.State();
    NativeCompilerSettings settings;
    settings.helper = HelperScript(scripts.Path(), c.compile);
    settings.temporaryFolder = temporary.Path();
    settings.cacheFolder = cache.Path();
    s.CompiledMaps = NativeMaps(settings);
    Choose(s, TypedHenon("Mine"));
    EXPECT_FALSE(s.Model.userMap->Native()) << c.compile;
    const std::vector<std::string> said = Messages(s.CompiledMaps);
    ASSERT_EQ(said.size(), 1u) << c.compile;
    const std::string start = "\"Mine\" runs interpreted (same results, slower): compiling it failed: ";
    EXPECT_EQ(said[0].substr(0, start.size()), start);
    EXPECT_NE(said[0].find(c.cause, start.size()), std::string::npos) << said[0];
    EXPECT_TRUE(fs::is_empty(temporary.Path())) << c.compile;
    EXPECT_TRUE(fs::is_empty(cache.Path())) << c.compile;

    s.Run.InitialPoint = {0.1, 0.1};
    s.Run.Settings.Iterations = 500;
    sc.Apply(StartRun(s));
    ExpectBuiltInHenonOrbit(s, 500);
  }
}

// A map compiled once is loaded from the cache by the next program; a damaged cached file
// is made again, never loaded.
TEST(NativeMaps, CompiledCodeIsKeptInTheCache) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  const TempWorkDir cache, temporary;
  NativeCompilerSettings settings;
  settings.cacheFolder = cache.Path();
  settings.temporaryFolder = temporary.Path();
  const UserMapProgram program = *MakeUserMap(TypedHenon("Cached")).map->evaluator->Program();
  const auto compile = [&] { return NativeMapCompiler(settings).Compile(program); };
  {
    const NativeCompilation first = compile();
    ASSERT_TRUE(first.code) << first.failure;
    EXPECT_FALSE(first.fromCache);
    const NativeCompilation second = compile();
    ASSERT_TRUE(second.code) << second.failure;
    EXPECT_TRUE(second.fromCache);
    MappingModel m;
    m.k1 = 1.4;
    m.k2 = 0.3;
    m.k3 = 1.0;
    for (const double x : {-0.7, 0.1, 1.3}) {
      const MapImage image = second.code->Step(x, 0.2, m);
      EXPECT_EQ(image.x, 1.0 - 1.4 * x * x + 1.0 * 0.2);
      EXPECT_EQ(image.y, 0.3 * x);
    }
  }
  // Replaced (once nothing uses it) by a file that is no machine code.
  ASSERT_EQ(CodeFiles(cache.Path()).size(), 1u);
  const fs::path file = CodeFiles(cache.Path()).front();
  std::ofstream(cache.File("damaged")) << "not machine code";
  fs::rename(cache.File("damaged"), file);
  const NativeCompilation third = compile();
  ASSERT_TRUE(third.code) << third.failure;
  EXPECT_FALSE(third.fromCache);
  EXPECT_TRUE(fs::is_empty(temporary.Path()));
}

}  // namespace
}  // namespace orbitra
