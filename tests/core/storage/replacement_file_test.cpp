// SPDX-License-Identifier: GPL-3.0-or-later
// Files written anew as a whole: what stands at the name stays what it was (a FIFO, a
// device, a link, a file's mode and other names), failures say the system's reason, and
// no temporary file outlives the program that made it.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "explorer/orbitra_state.h"
#include "explorer/startup.h"
#include "storage/replacement_file.h"
#include "storage/user_map_file.h"
#include "support/scripted_prompter.h"
#include "support/temp_work_dir.h"

namespace orbitra {
namespace {

namespace fs = std::filesystem;
using testing::TempWorkDir;

// Writes past `bytes` fail with "File too large" while it lives, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit old_{};
  void (*previous_)(int) = nullptr;
};

// A process id that no process has now: a child that has ended and been reaped.
pid_t GoneProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ReplacementFile, AFifoIsWrittenIntoAndStaysAFifo) {
  TempWorkDir dir;
  const fs::path fifo = dir.File("points.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  std::string received;
  std::thread reader([&] {
    std::ifstream in(fifo, std::ios::binary);
    received.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  });
  const std::string content(100000, 'p');  // more than a pipe holds at once
  const FileFailure failure = ReplaceFile(fifo, content);
  reader.join();
  EXPECT_FALSE(failure.has_value()) << *failure;
  EXPECT_EQ(received, content);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"points.fifo"});
}

TEST(ReplacementFile, ADeviceIsWrittenIntoAndItsErrorSaid) {
  // A device node like /dev/full of our own, where the system lets us make one.
  TempWorkDir dir;
  const fs::path full = dir.File("full");
  if (::mknod(full.c_str(), S_IFCHR | 0666, ::makedev(1, 7)) != 0) GTEST_SKIP() << "no device nodes here";
  const FileFailure failure = ReplaceFile(full, "some points\n");
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(*failure, "Cannot write \"" + full.string() + "\": No space left on device");
  EXPECT_TRUE(fs::is_character_file(full));
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"full"});
}

TEST(ReplacementFile, FoldersAreRefusedAndFailuresKeepTheOldContent) {
  TempWorkDir dir;
  fs::create_directory(dir.File("folder"));
  EXPECT_EQ(ReplaceFile(dir.File("folder"), "x"),
            FileFailure("Cannot replace \"" + dir.File("folder").string() + "\": Is a directory"));

  dir.Write("old.txt", "old content\n");
  {
    const FileSizeLimit limit(16);
    EXPECT_EQ(ReplaceFile(dir.File("old.txt"), std::string(64, 'n')),
              FileFailure("Cannot write \"" + dir.File("old.txt").string() + "\": File too large"));
  }
  EXPECT_EQ(dir.Read("old.txt"), "old content\n");
  EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"folder", "old.txt"}));

  // A library writing by name: its failure leaves the target as it was; its file, once
  // written, takes the target's place.
  const auto failing = [](const fs::path&) -> FileFailure { return "Cannot write: the library failed"; };
  EXPECT_EQ(ReplaceFileByName(dir.File("old.txt"), failing), FileFailure("Cannot write: the library failed"));
  EXPECT_EQ(dir.Read("old.txt"), "old content\n");
  const auto writing = [](const fs::path& at) -> FileFailure {
    fs::remove(at);  // as a library that creates its file anew
    std::ofstream(at) << "session\n";
    return std::nullopt;
  };
  EXPECT_FALSE(ReplaceFileByName(dir.File("old.txt"), writing).has_value());
  EXPECT_EQ(dir.Read("old.txt"), "session\n");
  EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"folder", "old.txt"}));
}

// The maps file keeps what the user made of it: a link stays a link, a private file
// stays private, and a second name still sees the maps.
TEST(ReplacementFile, UserMapsKeepLinkModeAndOtherNames) {
  TempWorkDir dir;
  UserMapDefinition map;
  map.name = "Shift";
  map.xFormula = "y";
  map.yFormula = "x";
  fs::create_directory(dir.File("store"));
  dir.Write("store/maps.txt", "# old\n");
  fs::permissions(dir.File("store/maps.txt"), fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("store/maps.txt", dir.File("usermaps.txt"));
  fs::create_hard_link(dir.File("store/maps.txt"), dir.File("store/twin.txt"));

  ASSERT_FALSE(WriteUserMapFile(dir.File("usermaps.txt"), {map}).has_value());
  EXPECT_TRUE(fs::is_symlink(dir.File("usermaps.txt")));
  EXPECT_EQ(fs::status(dir.File("store/maps.txt")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(dir.Read("store/twin.txt"), dir.Read("store/maps.txt"));
  EXPECT_NE(dir.Read("store/maps.txt").find("map Shift\n"), std::string::npos);
  EXPECT_EQ(Names(dir.File("store")), (std::vector<std::string>{"maps.txt", "twin.txt"}));
}

// Temporary files of a killed program go at the next save of that file or the next start;
// those of a program still running stay.
TEST(ReplacementFile, TemporaryFilesOfKilledProgramsAreRemoved) {
  TempWorkDir dir;
  const std::string gone = std::to_string(GoneProcess());
  const std::string alive = std::to_string(::getppid());
  dir.Write("usermaps.txt.tmp", "left by an older version");
  dir.Write("usermaps.txt." + gone + "-0.orbitra-part", "half");
  dir.Write("usermaps.txt." + alive + "-0.orbitra-part", "being written");
  dir.Write("export.dat." + gone + "-3.orbitra-part", "half");
  dir.Write("mine.part0", "the user's own");

  ASSERT_FALSE(WriteUserMapFile(dir.File("usermaps.txt"), {}).has_value());
  EXPECT_EQ(Names(dir.Path()),
            (std::vector<std::string>{"export.dat." + gone + "-3.orbitra-part", "mine.part0", "usermaps.txt",
                                      "usermaps.txt." + alive + "-0.orbitra-part", "usermaps.txt.tmp"}));

  OrbitraState state(dir.Path());
  testing::ScriptedPrompter prompter;
  StartUp(state, prompter);
  const std::vector<std::string> left = Names(dir.Path());
  EXPECT_EQ(std::count(left.begin(), left.end(), "usermaps.txt.tmp"), 0);
  EXPECT_EQ(std::count(left.begin(), left.end(), "export.dat." + gone + "-3.orbitra-part"), 0);
  EXPECT_EQ(std::count(left.begin(), left.end(), "usermaps.txt." + alive + "-0.orbitra-part"), 1);
  EXPECT_EQ(std::count(left.begin(), left.end(), "mine.part0"), 1);
}

}  // namespace
}  // namespace orbitra
