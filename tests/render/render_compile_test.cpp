// SPDX-License-Identifier: GPL-3.0-or-later
// A job of orbitra-render whose typed map compiles slowly: its runs never wait for the
// compiler, and their points are those of the map's formulas all the same.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "maps/mapping_catalogue.h"
#include "maps/native_map_compiler.h"
#include "maps/native_maps.h"
#include "maps/user_map_table.h"
#include "render/render_job.h"
#include "support/scenario.h"
#include "support/temp_work_dir.h"

namespace orbitra {
namespace {

namespace fs = std::filesystem;
using testing::Scenario;
using testing::TempWorkDir;

// Whether the process is gone (or a zombie waiting for its parent).
bool Ended(pid_t pid) {
  for (int tries = 0; tries < 200; ++tries) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line) || line.substr(line.rfind(')') + 2, 1) == "Z") return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

TEST(RenderCompile, RunsGoOnWithoutTheCompilerAndTheCompileIsDroppedAtTheEnd) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  const TempWorkDir scripts, temporary;
  const std::optional<fs::path> real = NativeMapCompiler::FindHelper(fs::read_symlink("/proc/self/exe"));
  ASSERT_TRUE(real);
  // A compile that never ends: it waits on a FIFO nobody writes.
  ASSERT_EQ(mkfifo(scripts.File("never").c_str(), 0600), 0);
  const fs::path script = scripts.File("helper.sh");
  std::ofstream(script) << "#!/bin/sh\ncase \" $* \" in *\" --version \"*) exec '" << real->string()
                        << "' \"$@\";; esac\necho $$ > '" << scripts.File("pid").string() << "'\nread line < '"
                        << scripts.File("never").string() << "'\n";
  fs::permissions(script, fs::perms::owner_all);

  const UserMapDefinition henon{"Slow Henon", {}, "1 - k1*x*x + k3*y", "k2*x", 1.4, 0.3, 1, 0, {-1.5, 1.5, -0.5, 0.5}};
  RenderJob job;
  job.userMaps.push_back(*MakeUserMap(henon).map);
  job.system = kFirstUserSystem;
  job.mapGiven = true;
  job.starts = {{0.1, 0.1}};
  job.iterations = 3000;
  pid_t helper = 0;
  {
    Scenario s;
    NativeCompilerSettings settings;
    settings.helper = script;
    settings.cache = false;
    settings.temporaryFolder = temporary.Path();
    s.State().CompiledMaps = NativeMaps(settings);
    ASSERT_TRUE(PerformRenderJob(s.State(), job, s.Picture(), s.Prompts()));
    // Every iterate is the formulas' own.
    const PointStore& store = s.State().Store;
    ASSERT_EQ(store.Buf, 3000);
    double x = 0.1, y = 0.1;
    for (int i = 0; i < 3000; ++i) {
      const double nx = 1.0 - 1.4 * x * x + 1.0 * y;
      y = 0.3 * x;
      x = nx;
      ASSERT_EQ(store.Slots[i].x, x) << i;
      ASSERT_EQ(store.Slots[i].y, y) << i;
    }
    EXPECT_TRUE(s.Prompts().Messages().empty());
    // The helper had begun (it is still waiting).
    for (int tries = 0; tries < 500 && !fs::exists(scripts.File("pid")); ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::ifstream(scripts.File("pid")) >> helper;
    ASSERT_GT(helper, 0);
  }
  // The program's end dropped the compile: the helper is ended, not waited for.
  EXPECT_TRUE(Ended(helper));
  EXPECT_TRUE(fs::is_empty(temporary.Path()));
}

}  // namespace
}  // namespace orbitra
