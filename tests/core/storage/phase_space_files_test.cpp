// SPDX-License-Identifier: GPL-3.0-or-later
// Phase-space tiles: written, merged back into exactly the whole picture's numbers, and
// refused when one is missing, given twice, or belongs to another picture.
#include <cmath>
#include <cstring>
#include <fstream>

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
