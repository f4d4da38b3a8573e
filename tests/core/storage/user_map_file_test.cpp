// SPDX-License-Identifier: GPL-3.0-or-later
// "usermaps.txt": the exact text written, what a damaged file still yields, and a save
// that fails without touching the old file.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "storage/user_map_file.h"
#include "support/temp_work_dir.h"

namespace orbitra {
namespace {

using testing::TempWorkDir;

const char* const kTwoMaps =
    "# Orbitra's user maps. Each runs from \"map NAME\" to \"end\"; lines \"name = formula\"\n"
    "# are helpers, evaluated in order before x' and y'. See README.md.\n"
    "\n"
    "map Henon\n"
    "x' = 1 - k1*x*x + y\n"
    "y' = k2*x\n"
    "k1 = 1.4\n"
    "k2 = 0.3\n"
    "k3 = 0\n"
    "k4 = 0\n"
    "range = -1.5 1.5 -0.5 0.5\n"
    "end\n"
    "\n"
    "map Kicked twice\n"
    "t = x + y\n"
    "u = t*t\n"
    "x' = mod(t, 2*pi)\n"
    "y' = mod(y + k1*sin(t) + k2*u, 2*pi)\n"
    "k1 = 0.1\n"
    "k2 = -0\n"
    "k3 = 1e-300\n"
    "k4 = 6.283185307179586\n"
    "range = 0 6.283185307179586 -3.5 3.5\n"
    "end\n";

std::vector<UserMapDefinition> TwoMaps() {
  UserMapDefinition henon{"Henon", {}, "1 - k1*x*x + y", "k2*x", 1.4, 0.3, 0, 0, {-1.5, 1.5, -0.5, 0.5}};
  UserMapDefinition kicked{"Kicked twice", {" t = x + y ", "", "u = t*t"}, " mod(t, 2*pi)",
                           "mod(y + k1*sin(t) + k2*u, 2*pi) ", 0.1, -0.0, 1e-300, 6.283185307179586,
                           {0, 6.283185307179586, -3.5, 3.5}};
  return {henon, kicked};
}

std::vector<std::string> Names(const UserMapFileContents& contents) {
  std::vector<std::string> names;
  for (const UserMap& map : contents.maps) names.push_back(map.definition.name);
  return names;
}

TEST(UserMapFile, IsWrittenAsPlainTextThatReadsBackExactly) {
  const std::string text = FormatUserMapText(TwoMaps());
  EXPECT_EQ(text, kTwoMaps);

  const UserMapFileContents read = ParseUserMapText(text);
  EXPECT_FALSE(read.problem.has_value());
  ASSERT_EQ(read.maps.size(), 2u);
  EXPECT_EQ(read.maps[0].definition, TwoMaps()[0]);
  const UserMapDefinition& kicked = read.maps[1].definition;
  EXPECT_EQ(kicked.helpers, (std::vector<std::string>{"t = x + y", "u = t*t"}));
  EXPECT_EQ(kicked.yFormula, "mod(y + k1*sin(t) + k2*u, 2*pi)");
  EXPECT_TRUE(std::signbit(kicked.k2));
  EXPECT_EQ(kicked.k3, 1e-300);
  EXPECT_EQ(kicked.range.Xmax, 6.283185307179586);
  EXPECT_EQ(read.maps[1].formulaLine1, "x'=mod(t, 2*pi),  t = x + y,  u = t*t");
  EXPECT_EQ(read.maps[1].formulaLine2, "y'=mod(y + k1*sin(t) + k2*u, 2*pi)");
  // Hand-written files may use CR LF, blanks and comments anywhere.
  const UserMapFileContents loose =
      ParseUserMapText("  # mine\r\n\r\n map   Henon  \r\n  y' = k2*x\r\n\tx'=1 - k1*x*x + y\r\nk1 = +1.4\r\n"
                       "k2 = 0.3\r\n range =  -1.5 1.5   -0.5 0.5\r\n end \r\n");
  EXPECT_FALSE(loose.problem.has_value());
  ASSERT_EQ(loose.maps.size(), 1u);
  EXPECT_EQ(loose.maps[0].definition, TwoMaps()[0]);
  // A byte-order mark before the first line is skipped; names differing only in the case
  // of letters beyond ASCII are one name.
  const UserMapFileContents marked = ParseUserMapText(std::string("\xEF\xBB\xBF") + kTwoMaps);
  EXPECT_FALSE(marked.problem.has_value());
  EXPECT_EQ(marked.maps.size(), 2u);
  const UserMapFileContents twice =
      ParseUserMapText("map \u00c9t\u00e9\nx' = x\ny' = y\nend\nmap \u00e9T\u00c9\nx' = y\ny' = x\nend\n");
  ASSERT_TRUE(twice.problem.has_value());
  EXPECT_EQ(twice.problem->line, 5);
  EXPECT_EQ(twice.problem->what, "a second map named \"\u00e9T\u00c9\"");
}

struct Damage {
  const char* name;
  std::string text;
  std::vector<std::string> loaded;
  int line;
  std::string what;
};

void PrintTo(const Damage& damage, std::ostream* os) { *os << damage.name; }

class DamagedUserMapFile : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedUserMapFile, LoadsTheGoodMapsAndNamesTheFirstBadLine) {
  const Damage& d = GetParam();
  const UserMapFileContents read = ParseUserMapText(d.text);
  EXPECT_EQ(Names(read), d.loaded);
  ASSERT_TRUE(read.problem.has_value());
  EXPECT_EQ(*read.problem, (UserMapFileProblem{d.line, d.what}));
}

const std::string kA = "map A\nx' = y\ny' = x\nend\n";
const std::string kC = "map C\nx' = x\ny' = y\nend\n";

std::string ManyMaps(int n) {
  std::string text;
  for (int i = 1; i <= n; ++i) text += "map M" + std::to_string(i) + "\nx' = x\ny' = y\nend\n";
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedUserMapFile,
    ::testing::Values(
        Damage{"BadNumber", kA + "map B\nx' = x\ny' = y\nk2 = 0.3.1\nend\n" + kC, {"A", "C"}, 8,
               "invalid number \"0.3.1\""},
        Damage{"UnknownLine", kA + "map B\nx' = x\nhello\ny' = y\nend\n" + kC, {"A", "C"}, 7, "unexpected text"},
        Damage{"Truncated", kA + "map B\nx' = x\ny' = ", {"A"}, 5, "map \"B\" has no \"end\""},
        Damage{"NoEndBeforeTheNextMap", "map B\nx' = x\ny' = y\n" + kA, {"A"}, 1, "map \"B\" has no \"end\""},
        Damage{"BinaryGarbage", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\xff\xfe\n", 13) + kA, {"A"}, 1,
               "unreadable characters"},
        Damage{"TextOutsideAMap", "x' = x\n" + kA, {"A"}, 1, "expected \"map NAME\""},
        Damage{"DuplicateName", kA + "map a\nx' = x\ny' = y\nend\n" + kC, {"A", "C"}, 5, "a second map named \"a\""},
        Damage{"BuiltInName", "map Henon D-C Map\nx' = x\ny' = y\nend\n" + kA, {"A"}, 1,
               "\"Henon D-C Map\" is the name of a built-in map"},
        Damage{"FaultyFormula", kA + "map B\nt = x\ny' = y\nx' = t + z\nend\n", {"A"}, 8,
               "x': unknown name \"z\" at column 5"},
        Damage{"FaultyHelper", kA + "map B\nt = x +\nx' = t\ny' = y\nend\n", {"A"}, 6,
               "helper line 1: the formula ends too early at column 8"},
        Damage{"SecondXFormula", kA + "map B\nx' = x\nx' = y\ny' = y\nend\n", {"A"}, 7, "\"x'\" given twice"},
        Damage{"MissingFormula", kA + "map B\nx' = x\nend\n", {"A"}, 7, "map \"B\" has no y' formula"},
        Damage{"EmptyRange", "map B\nx' = x\ny' = y\nrange = 1 1 0 1\nend\n" + kA, {"A"}, 4,
               "\"range\" needs XMIN XMAX YMIN YMAX with XMIN < XMAX and YMIN < YMAX"},
        Damage{"TooManyMaps", ManyMaps(22), {"M1", "M2", "M3", "M4", "M5", "M6", "M7", "M8", "M9", "M10", "M11",
                                              "M12", "M13", "M14", "M15", "M16", "M17", "M18", "M19", "M20", "M21"},
               85, "more than 21 maps"}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST(UserMapFile, AFailedSaveLeavesTheOldFileWhole) {
  TempWorkDir dir;
  const std::filesystem::path file = dir.File("usermaps.txt");
  dir.Write("usermaps.txt", "old maps\n");
  // No room for the new content: writes beyond 32 bytes fail, as on a full disk.
  {
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = 32;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const FileFailure failure = WriteUserMapFile(file, TwoMaps());
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(*failure, "Cannot write \"" + file.string() + "\": File too large");
  }
  EXPECT_EQ(dir.Read("usermaps.txt"), "old maps\n");

  EXPECT_FALSE(WriteUserMapFile(file, TwoMaps(), dir.File("usermaps.bak")).has_value());
  EXPECT_EQ(dir.Read("usermaps.txt"), kTwoMaps);
  EXPECT_EQ(dir.Read("usermaps.bak"), "old maps\n");
  // A second save keeping the old file refreshes the backup with what it replaces.
  EXPECT_FALSE(WriteUserMapFile(file, {}, dir.File("usermaps.bak")).has_value());
  EXPECT_EQ(dir.Read("usermaps.bak"), kTwoMaps);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 2);
}

}  // namespace
}  // namespace orbitra
