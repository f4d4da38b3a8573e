// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "storage/grid_files.h"
#include "support/temp_work_dir.h"

namespace orbitra {
namespace {

std::string Read(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A tile of 3 by 2 cells (rows 2 and 3 of 5) whose numbers are hard to carry: not a
// number, infinities, the last bit of a value, a subnormal.
GridTile AwkwardTile(GridColouring colouring) {
  GridSettings s;
  s.colouring = colouring;
  s.range = {-0.1, 0.30000000000000004, 1e-300, 2.5};
  s.width = 3;
  s.height = 5;
  s.from = {0.1, -0.0};
  GridTile t{{"Henon D-C Map", {1.4, 0.3, 1.0, 0.0}, 205, 91, 1.5}, 1, 2, GridValues(s, {2, 2})};
  const double awkward[] = {std::nan(""), -HUGE_VAL, 0.1 + 0.2, 5e-324, -0.0, 0.41912345678901234};
  for (std::size_t i = 0; i < 6; ++i) {
    t.values.value[i] = static_cast<std::int32_t>(i) - 1;
    if (!t.values.lambda1.empty()) t.values.lambda1[i] = awkward[i];
    if (!t.values.representative.empty()) t.values.representative[i] = {awkward[5 - i], awkward[i]};
    t.values.done[i] = 1;
  }
  return t;
}

TEST(GridFiles, TilesComeBackToTheBit) {
  testing::TempWorkDir dir;
  for (const GridColouring c : {GridColouring::Period, GridColouring::Attractor}) {
    const GridTile tile = AwkwardTile(c);
    ASSERT_FALSE(WriteGridTile(tile, dir.File("t")));
    const GridTileRead read = ReadGridTile(dir.File("t"));
    ASSERT_TRUE(read.tile) << read.error;
    EXPECT_EQ(read.tile->identity, tile.identity);
    EXPECT_EQ(read.tile->index, 1);
    EXPECT_EQ(read.tile->count, 2);
    const GridValues& a = read.tile->values;
    EXPECT_EQ(a.settings, tile.values.settings);
    EXPECT_EQ(a.rows.first, 2);
    EXPECT_EQ(a.rows.count, 2);
    EXPECT_EQ(a.value, tile.values.value);
    for (std::size_t i = 0; i < a.lambda1.size(); ++i) EXPECT_TRUE(SameBits(a.lambda1[i], tile.values.lambda1[i])) << i;
    ASSERT_EQ(a.representative.size(), tile.values.representative.size());
    for (std::size_t i = 0; i < a.representative.size(); ++i) {
      EXPECT_TRUE(SameBits(a.representative[i].x, tile.values.representative[i].x)) << i;
      EXPECT_TRUE(SameBits(a.representative[i].y, tile.values.representative[i].y)) << i;
    }
  }
}

TEST(GridFiles, ACutOrForeignFileIsNoTile) {
  testing::TempWorkDir dir;
  ASSERT_FALSE(WriteGridTile(AwkwardTile(GridColouring::Period), dir.File("t")));
  const std::string whole = Read(dir.File("t"));
  // Cut anywhere (in the closing line, a value's middle, the header): never a tile.
  for (const std::size_t keep : {whole.size() - 2, whole.size() - 7, whole.size() / 2, std::size_t{30}}) {
    std::ofstream(dir.File("cut"), std::ios::trunc) << whole.substr(0, keep);
    const GridTileRead read = ReadGridTile(dir.File("cut"));
    EXPECT_FALSE(read.tile) << keep;
    EXPECT_EQ(read.error.rfind("\"" + dir.File("cut").string() + "\" is damaged or incomplete (line ", 0), 0u)
        << read.error;
  }
  std::ofstream(dir.File("other"), std::ios::trunc) << "0.5 0.25 1\n";
  EXPECT_EQ(ReadGridTile(dir.File("other")).error,
            "\"" + dir.File("other").string() + "\" is not a tile written by orbitra-render --tile");
}

TEST(GridFiles, ExportLinesOfTheExponentSayNanWhereEscaped) {
  testing::TempWorkDir dir;
  GridTile tile = AwkwardTile(GridColouring::Lyapunov);
  tile.values.value[1] = -1;  // escaped, whatever its number
  ASSERT_FALSE(WriteGridExport(tile.values, dir.File("e")));
  // Cell centres x = -0.1 + (i + 0.5) * ((0.30000000000000004 + 0.1) / 3) and
  // y = 1e-300 + (r + 0.5) * ((2.5 - 1e-300) / 5), as Python's doubles give them.
  EXPECT_EQ(Read(dir.File("e")),
            "-0.03333333333333334 1.25 nan\n"
            "0.10000000000000001 1.25 nan\n"
            "0.23333333333333331 1.25 0.30000000000000004\n"
            "-0.03333333333333334 1.75 4.9406564584124654e-324\n"
            "0.10000000000000001 1.75 -0\n"
            "0.23333333333333331 1.75 0.41912345678901236\n");
}

// Tile i of 3 of a 3 by 5 period plane, its numbers those the whole grid has at its pixels.
GridTile TileOfThree(std::int32_t index) {
  GridSettings s;
  s.width = 3;
  s.height = 5;
  s.longestPeriod = 20;
  GridTile t{{"Henon D-C Map", {1.4, 0.3, 1.0, 0.0}, 205, 91, 1.0}, index, 3, GridValues(s, TileRows(5, index, 3))};
  for (std::size_t i = 0; i < t.values.value.size(); ++i) {
    const std::size_t pixel = static_cast<std::size_t>(t.values.rows.first) * 3 + i;
    t.values.value[i] = static_cast<std::int32_t>(pixel) - 1;
    t.values.lambda1[i] = 0.125 * static_cast<double>(pixel);
    t.values.done[i] = 1;
  }
  return t;
}

TEST(GridFiles, TilesGivenInAnyOrderMergeIntoTheWholeGridTheLastOneIncluded) {
  testing::TempWorkDir dir;
  for (std::int32_t i = 0; i < 3; ++i) ASSERT_FALSE(WriteGridTile(TileOfThree(i), dir.File("t" + std::to_string(i))));
  const GridMerge merge = MergeGridTiles({dir.File("t2"), dir.File("t0"), dir.File("t1")});
  ASSERT_TRUE(merge.whole) << merge.error;
  const GridValues& g = merge.whole->values;
  EXPECT_EQ(g.rows.first, 0);
  EXPECT_EQ(g.rows.count, 5);
  ASSERT_EQ(g.value.size(), 15u);
  for (std::size_t i = 0; i < 15; ++i) {
    EXPECT_EQ(g.value[i], static_cast<std::int32_t>(i) - 1) << i;
    EXPECT_EQ(g.lambda1[i], 0.125 * static_cast<double>(i)) << i;
  }
  EXPECT_TRUE(g.Complete());

  const GridMerge lacking = MergeGridTiles({dir.File("t0"), dir.File("t2")});
  EXPECT_EQ(lacking.error, "tile 1 of 3 is missing");
  EXPECT_FALSE(lacking.unreadable);
  const GridMerge twice = MergeGridTiles({dir.File("t0"), dir.File("t1"), dir.File("t1")});
  EXPECT_EQ(twice.error, "tile 1 of 3 is given twice: \"" + dir.File("t1").string() + "\" and \"" +
                             dir.File("t1").string() + "\"");
  // A tile that claims to be one of two billion: found missing, nothing allocated for the rest.
  GridTile one = TileOfThree(0);
  one.count = 2000000000;
  ASSERT_FALSE(WriteGridTile(one, dir.File("many")));
  EXPECT_EQ(MergeGridTiles({dir.File("many")}).error.rfind("\"" + dir.File("many").string() + "\" is damaged", 0), 0u);
}

TEST(GridFiles, CrlfLineEndsAreReadAndValuesBeyondTheirKindAreNot) {
  testing::TempWorkDir dir;
  ASSERT_FALSE(WriteGridTile(TileOfThree(2), dir.File("t")));
  std::string crlf;
  for (const char c : Read(dir.File("t"))) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::ofstream(dir.File("crlf"), std::ios::binary | std::ios::trunc) << crlf;
  const GridTileRead read = ReadGridTile(dir.File("crlf"));
  ASSERT_TRUE(read.tile) << read.error;
  EXPECT_EQ(read.tile->values.value, TileOfThree(2).values.value);

  // Periods below -1 or above the longest looked for (20), an escape time beyond its limit.
  for (const std::int32_t bad : {-5, 21, 1000000000}) {
    GridTile t = TileOfThree(2);
    t.values.value[3] = bad;
    ASSERT_FALSE(WriteGridTile(t, dir.File("bad")));
    EXPECT_EQ(ReadGridTile(dir.File("bad")).error,
              "\"" + dir.File("bad").string() + "\" is damaged or incomplete (line 22)")
        << bad;
  }
  GridTile escape = TileOfThree(2);
  escape.values = GridValues([] {
    GridSettings s = TileOfThree(2).values.settings;
    s.colouring = GridColouring::Escape;
    s.escapeIterations = 50;
    return s;
  }(), escape.values.rows);
  for (std::size_t i = 0; i < escape.values.value.size(); ++i) escape.values.value[i] = 50;
  ASSERT_FALSE(WriteGridTile(escape, dir.File("escape")));
  EXPECT_TRUE(ReadGridTile(dir.File("escape")).tile);
  escape.values.value[0] = 51;
  ASSERT_FALSE(WriteGridTile(escape, dir.File("escape")));
  EXPECT_FALSE(ReadGridTile(dir.File("escape")).tile);
}

TEST(GridFiles, WhatIsNoRegularFileIsRefusedWithItsReasonUnread) {
  testing::TempWorkDir dir;
  const auto refusal = [](const std::filesystem::path& file) { return ReadGridTile(file).error; };
  EXPECT_EQ(refusal(dir.File("missing")), "cannot read the tile \"" + dir.File("missing").string() +
                                              "\": No such file or directory");
  EXPECT_EQ(refusal(dir.Path()), "cannot read the tile \"" + dir.Path().string() + "\": it is a folder");
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  alarm(60);  // a FIFO that is opened blocks: the test then fails
  EXPECT_EQ(refusal(dir.File("fifo")), "cannot read the tile \"" + dir.File("fifo").string() +
                                           "\": it is not a regular file");
  EXPECT_EQ(refusal("/dev/zero"), "cannot read the tile \"/dev/zero\": it is not a regular file");
  alarm(0);
  // A first line without end is read no further than a tile's line may be long.
  std::ofstream(dir.File("long"), std::ios::trunc) << std::string(std::size_t{8} << 20, 'a');
  EXPECT_EQ(refusal(dir.File("long")), "\"" + dir.File("long").string() + "\" is not a tile written by orbitra-render --tile");
  const GridMerge merge = MergeGridTiles({dir.File("missing")});
  EXPECT_TRUE(merge.unreadable);
}

}  // namespace
}  // namespace orbitra
