// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "analysis/grid_values.h"
#include "storage/file_io.h"

namespace orbitra {

// What a whole-plane picture was made of besides the grid's own settings: the map, its
// parameters, and the picture's size, so that tiles computed apart can be checked to
// belong together and assembled into the very picture a single run draws.
struct GridIdentity {
  std::string mapName;
  std::array<double, 4> k{};
  std::int32_t pictureWidth = 0;
  std::int32_t pictureHeight = 0;
  double textScale = 1.0;
  friend bool operator==(const GridIdentity&, const GridIdentity&) = default;
};

// A tile: the values of a band of rows, with everything they belong to.
struct GridTile {
  GridIdentity identity;
  std::int32_t index = 0;
  std::int32_t count = 1;
  GridValues values;
};

// The export of a grid: one line per pixel, "p q value", rows from the bottom up, each left
// to right; p and q are the pixel centre's parameters (or coordinates) with 17 significant
// digits; the value is the period (0 chaotic, -1 escaped, -2 not settled), λ1 ("nan" when
// escaped), the iterations to escape (0 never) or the attractor's number (-1 escaped, 0 no
// period), by the grid's colouring. The file is replaced only by a complete new one.
[[nodiscard]] FileFailure WriteGridExport(const GridValues& grid, const std::filesystem::path& file);

// A tile's file: its identity and settings, then its values to the last bit.
[[nodiscard]] FileFailure WriteGridTile(const GridTile& tile, const std::filesystem::path& file);

// A tile's file is read only when it is a regular file, line by line up to the first that
// cannot be a tile's; lines may end in CRLF. Values a tile of its kind cannot hold (a
// period beyond the longest looked for) make it damaged.
struct GridTileRead {
  std::optional<GridTile> tile;
  std::string error;  // set when the file cannot be read or is not a whole tile
};
GridTileRead ReadGridTile(const std::filesystem::path& file);

// The whole grid from its tiles, given in any order: refused (with a message naming the
// files) when a file is not a tile, when tiles belong to different pictures, or when a
// tile is missing or given twice.
struct GridMerge {
  std::optional<GridTile> whole;  // index 0 of 1, all rows
  std::string error;
  bool unreadable = false;  // the error is a file that cannot be read or is no whole tile
};
GridMerge MergeGridTiles(const std::vector<std::filesystem::path>& files);

}  // namespace orbitra
