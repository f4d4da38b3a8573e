// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "analysis/chaos_indicators.h"
#include "storage/file_io.h"

namespace orbitra {

// What a phase-space picture was made of besides its settings: the map and the picture.
struct PhaseSpaceIdentity {
  std::string mapName;
  double k[4] = {0, 0, 0, 0};
  int pictureWidth = 0;
  int pictureHeight = 0;
  double textScale = 1.0;
};

// One tile of a phase-space picture, as orbitra-render --phase-space --tile i/N writes it.
struct PhaseSpaceTile {
  PhaseSpaceIdentity identity;
  std::int32_t index = 0;
  std::int32_t count = 1;
  PhaseSpaceValues values;
};

// A text file: a header of "name values" lines that says everything the numbers depend
// on, the line "values", then one value a line (17 significant digits, "nan" for an orbit
// that escaped), the tile's rows from its lowest up.
[[nodiscard]] FileFailure WritePhaseSpaceTile(const PhaseSpaceTile& tile, const std::filesystem::path& file);

// "x y value" per pixel (17 significant digits, "nan" for an escape), rows from the bottom.
[[nodiscard]] FileFailure WritePhaseSpaceExport(const PhaseSpaceValues& values, const std::filesystem::path& file);

struct PhaseSpaceMerge {
  std::optional<PhaseSpaceTile> whole;  // the whole picture as tile 0 of 1
  std::string error;                    // otherwise why not
  bool unreadable = false;  // the error is a file that cannot be read or is no whole tile
};

// The tiles of one picture assembled: every tile of the same picture (same header) once,
// their rows the ones TileRows gives them.
PhaseSpaceMerge MergePhaseSpaceTiles(const std::vector<std::filesystem::path>& files);

// Whether the file starts as a phase-space tile does.
bool IsPhaseSpaceTile(const std::filesystem::path& file);

}  // namespace orbitra
