// SPDX-License-Identifier: GPL-3.0-or-later
// Phase-space tiles: written, merged back into exactly the whole picture's numbers, and
// refused when one is missing, given twice, or belongs to another picture.
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "storage/phase_space_files.h"
#include "support/temp_work_dir.h"

namespace orbitra {
namespace {

PhaseSpaceValues Values(const PhaseSpaceSettings& s, RowBand band) {
  PhaseSpaceValues v(s, band);
  for (std::int32_t r = band.first; r < band.first + band.count; ++r) {
    for (std::int32_t c = 0; c < s.width; ++c) {
      // Values whose every bit matters, and an escape.
      v.value[v.Index(c, r)] = (c + r) % 7 == 3 ? NAN : std::sqrt(2.0 + c) / (r + 3.0);
      v.done[v.Index(c, r)] = 1;
    }
  }
  return v;
}

TEST(PhaseSpaceFiles, TilesMergeToTheWholeAndRefuseStrangers) {
  const testing::TempWorkDir dir;
  PhaseSpaceSettings s;
  s.colouring = PhaseColouring::Fli;
  s.range = {0.1, 6.2, -1.0 / 3.0, 2.0};
  s.width = 11;
  s.height = 10;
  s.centre = {3.14, 0.0};
  const PhaseSpaceIdentity id{"Standard Map", {0.97, 0, 0, 0}, 200, 150, 1.0};
  std::vector<std::filesystem::path> files;
  for (std::int32_t t = 3; t-- > 0;) {  // out of order on purpose
    const RowBand band = TileRows(s.height, t, 3);
    files.push_back(dir.Path() / ("tile" + std::to_string(t)));
    ASSERT_FALSE(WritePhaseSpaceTile({id, t, 3, Values(s, band)}, files.back()));
  }
  const PhaseSpaceMerge merge = MergePhaseSpaceTiles(files);
  ASSERT_TRUE(merge.whole) << merge.error;
  const PhaseSpaceValues whole = Values(s, {0, s.height});
  ASSERT_EQ(merge.whole->values.value.size(), whole.value.size());
  EXPECT_EQ(std::memcmp(merge.whole->values.value.data(), whole.value.data(), whole.value.size() * sizeof(double)), 0);
  EXPECT_EQ(merge.whole->values.settings, s);
  EXPECT_EQ(merge.whole->identity.mapName, "Standard Map");
  EXPECT_EQ(merge.whole->identity.k[0], 0.97);

  EXPECT_EQ(MergePhaseSpaceTiles({files[0], files[1]}).error, "tile 0 of 3 is missing");
  EXPECT_EQ(MergePhaseSpaceTiles({files[0], files[1], files[1]}).error, "tile 1 of 3 is given twice");
  PhaseSpaceSettings other = s;
  other.iterations = 2000;
  const std::filesystem::path stranger = dir.Path() / "stranger";
  ASSERT_FALSE(WritePhaseSpaceTile({id, 0, 3, Values(other, TileRows(s.height, 0, 3))}, stranger));
  EXPECT_EQ(MergePhaseSpaceTiles({files[0], files[1], stranger}).error,
            "\"" + stranger.string() + "\" is a tile of another picture than \"" + files[0].string() + "\"");
  // Cut short.
  std::string text;
  {
    std::ifstream in(files[2]);
    text.assign(std::istreambuf_iterator<char>(in), {});
  }
  std::ofstream(files[2]) << text.substr(0, text.size() - 30);
  EXPECT_EQ(MergePhaseSpaceTiles(files).error, "\"" + files[2].string() + "\" is a damaged phase-space tile (it ends early)");
  EXPECT_TRUE(IsPhaseSpaceTile(files[0]));
}

// Tiles come from elsewhere: what is no regular file is never opened, no line is read
// without bound, a header's sizes are checked before anything is allocated from them, and
// a tile that crossed a Windows machine (CRLF) still merges.
TEST(PhaseSpaceFiles, HostileTilesAreRefusedBeforeTheyCostAnything) {
  const testing::TempWorkDir dir;
  PhaseSpaceSettings s;
  s.colouring = PhaseColouring::Megno;
  s.range = {-1.0, 1.0, 0.0, 0.001};
  s.width = 5;
  s.height = 3;
  const PhaseSpaceIdentity id{"Henon rotation", {0.3, 0, 0, 0}, 120, 90, 1.0};
  const std::filesystem::path tile = dir.Path() / "tile0";
  ASSERT_FALSE(WritePhaseSpaceTile({id, 0, 1, Values(s, {0, s.height})}, tile));
  std::string text;
  {
    std::ifstream in(tile, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), {});
  }
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::filesystem::path windows = dir.Path() / "windows";
  std::ofstream(windows, std::ios::binary) << crlf;
  const PhaseSpaceMerge merged = MergePhaseSpaceTiles({windows});
  ASSERT_TRUE(merged.whole) << merged.error;
  EXPECT_EQ(std::memcmp(merged.whole->values.value.data(), Values(s, {0, s.height}).value.data(),
                        merged.whole->values.value.size() * sizeof(double)),
            0);

  EXPECT_FALSE(IsPhaseSpaceTile("/dev/zero"));
  const PhaseSpaceMerge zero = MergePhaseSpaceTiles({"/dev/zero"});
  EXPECT_EQ(zero.error, "cannot read the tile \"/dev/zero\": it is not a regular file");
  EXPECT_TRUE(zero.unreadable);
  const std::filesystem::path fifo = dir.Path() / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(IsPhaseSpaceTile(fifo));  // would block forever if opened
  EXPECT_EQ(MergePhaseSpaceTiles({dir.Path()}).error,
            "cannot read the tile \"" + dir.Path().string() + "\": it is a folder");

  // A first line of a megabyte: refused after the bound, not read whole.
  const std::filesystem::path longLine = dir.Path() / "long";
  std::ofstream(longLine) << std::string(1 << 20, 'x') << "\n";
  EXPECT_FALSE(IsPhaseSpaceTile(longLine));

  // Headers claiming a grid of 2^31 x 2^31 pixels, or a row band past the grid's end.
  const auto with = [&](const std::string& from, const std::string& to) {
    std::string t = text;
    const std::size_t at = t.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    t.replace(at, from.size(), to);
    const std::filesystem::path f = dir.Path() / "edited";
    std::ofstream(f, std::ios::binary) << t;
    return MergePhaseSpaceTiles({f}).error;
  };
  const std::string damaged = "\"" + (dir.Path() / "edited").string() + "\" is a damaged phase-space tile (its header)";
  EXPECT_EQ(with("grid 5 3\n", "grid 2147483647 2147483647\n"), damaged);
  EXPECT_EQ(with("rows 0 3\n", "rows 2 2\n"), damaged);
  EXPECT_EQ(with("rows 0 3\n", "rows 2147483647 1\n"), damaged);
  // Tiles that are whole but do not make a picture together are another kind of refusal.
  EXPECT_FALSE(MergePhaseSpaceTiles({tile, tile}).unreadable);
}

TEST(PhaseSpaceFiles, ExportHasOneLinePerPixel) {
  const testing::TempWorkDir dir;
  PhaseSpaceSettings s;
  s.range = {0.0, 2.0, 0.0, 1.0};
  s.width = 2;
  s.height = 1;
  PhaseSpaceValues v(s, {0, 1});
  v.value = {2.0, NAN};
  ASSERT_FALSE(WritePhaseSpaceExport(v, dir.Path() / "e.txt"));
  std::ifstream in(dir.Path() / "e.txt");
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text, "0.5 0.5 2\n1.5 0.5 nan\n");
}

}  // namespace
}  // namespace orbitra
