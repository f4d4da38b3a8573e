// SPDX-License-Identifier: GPL-3.0-or-later
// The compiler's helper and cache against what another program, a full disk or a killed
// run may leave behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "maps/native_map_compiler.h"
#include "maps/user_map_evaluator.h"
#include "maps/user_map_table.h"
#include "support/temp_work_dir.h"

namespace orbitra {
namespace {

using testing::TempWorkDir;
namespace fs = std::filesystem;

UserMapProgram HenonProgram() {
  const UserMapDefinition d{"Henon", {}, "1 - k1*x*x + k3*y", "k2*x", 1.4, 0.3, 1, 0, {-1.5, 1.5, -0.5, 0.5}};
  return *MakeUserMap(d).map->evaluator->Program();
}

fs::path OnlyCodeFile(const fs::path& folder) {
  fs::path found;
  int count = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
    if (e.path().extension() == ".so") {
      found = e.path();
      ++count;
    }
  }
  EXPECT_EQ(count, 1);
  return found;
}

void ExpectHenon(const NativeCompilation& c) {
  ASSERT_TRUE(c.code) << c.failure;
  MappingModel m;
  m.k1 = 1.4;
  m.k2 = 0.3;
  m.k3 = 1.0;
  const MapImage image = c.code->Step(0.25, 0.2, m);
  EXPECT_EQ(image.x, 1.0 - 1.4 * 0.25 * 0.25 + 1.0 * 0.2);
  EXPECT_EQ(image.y, 0.3 * 0.25);
}

// A cached object cut short (as a full disk or a killed copy leaves it), or a FIFO in its
// place, is never loaded: the map is compiled again.
TEST(NativeCompiler, ACachedObjectCutShortOrAFifoInItsPlaceIsMadeAgain) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  const TempWorkDir cache, temporary;
  NativeCompilerSettings settings;
  settings.cacheFolder = cache.Path();
  settings.temporaryFolder = temporary.Path();
  const UserMapProgram program = HenonProgram();
  const auto compile = [&] { return NativeMapCompiler(settings).Compile(program); };
  ExpectHenon(compile());
  const fs::path file = OnlyCodeFile(cache.Path());
  for (const double kept : {0.5, 0.6, 0.75}) {
    const std::uintmax_t size = fs::file_size(file);
    fs::resize_file(file, static_cast<std::uintmax_t>(static_cast<double>(size) * kept));
    const NativeCompilation again = compile();
    EXPECT_FALSE(again.fromCache) << kept;
    ExpectHenon(again);
    EXPECT_EQ(fs::file_size(OnlyCodeFile(cache.Path())), size) << kept;
  }
  fs::remove(file);
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  alarm(120);  // a FIFO that is opened blocks: the test then fails
  const NativeCompilation afterFifo = compile();
  alarm(0);
  EXPECT_FALSE(afterFifo.fromCache);
  ExpectHenon(afterFifo);
  EXPECT_TRUE(fs::is_regular_file(file));
  EXPECT_TRUE(compile().fromCache);
}

// A helper that starts a process of its own and fails: that process is ended with it.
TEST(NativeCompiler, WhatTheHelperStartedEndsWithIt) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  const TempWorkDir scripts, temporary;
  const std::optional<fs::path> real = NativeMapCompiler::FindHelper(fs::read_symlink("/proc/self/exe"));
  ASSERT_TRUE(real);
  const fs::path script = scripts.File("helper.sh");
  std::ofstream(script) << "#!/bin/sh\ncase \" $* \" in *\" --version \"*) exec '" << real->string()
                        << "' \"$@\";; esac\nsleep 1000 &\necho $! > '" << scripts.File("pid").string()
                        << "'\nexit 1\n";
  fs::permissions(script, fs::perms::owner_all);
  NativeCompilerSettings settings;
  settings.helper = script;
  settings.cache = false;
  settings.temporaryFolder = temporary.Path();
  EXPECT_FALSE(NativeMapCompiler(settings).Compile(HenonProgram()).code);
  std::ifstream in(scripts.File("pid"));
  pid_t pid = 0;
  ASSERT_TRUE(in >> pid);
  // Ended (gone, or a zombie waiting for its new parent), never still sleeping.
  std::string state = "gone";
  for (int tries = 0; tries < 100; ++tries) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) break;
    state = line.substr(line.rfind(')') + 2, 1);
    if (state == "Z") break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(state == "gone" || state == "Z") << state;
}

// A program longer than a command line may be (long helpers) is handed to the helper in a
// file, never as an argument.
TEST(NativeCompiler, AProgramLongerThanACommandLineIsCompiled) {
  if (!NativeCompilerBuilt()) GTEST_SKIP() << "this build has no JIT compiler";
  // Each helper adds x to the one before 490 times: t18 = x * (1 + 18 * 490), exactly.
  UserMapDefinition d{"Long", {}, "t18", "y", 0, 0, 0, 0, {-1, 1, -1, 1}};
  std::string previous = "x";
  for (int i = 1; i <= 18; ++i) {
    std::string line = "t" + std::to_string(i) + " = " + previous;
    for (int j = 0; j < 490; ++j) line += "+x";
    d.helpers.push_back(line);
    previous = "t" + std::to_string(i);
  }
  const UserMapMaking made = MakeUserMap(d);
  ASSERT_TRUE(made.map);
  const UserMapProgram program = *made.map->evaluator->Program();
  // Twice as long in hexadecimal: more than one argument may hold (128 KiB).
  ASSERT_GT(program.Key().size(), std::size_t{70000}) << "the program fits a command line: nothing tested";
  const TempWorkDir temporary;
  NativeCompilerSettings settings;
  settings.cache = false;
  settings.temporaryFolder = temporary.Path();
  const NativeCompilation c = NativeMapCompiler(settings).Compile(program);
  ASSERT_TRUE(c.code) << c.failure;
  EXPECT_EQ(c.code->Step(0.5, 0.0, MappingModel{}).x, 0.5 * (1 + 18 * 490));
}

}  // namespace
}  // namespace orbitra
