// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the reader of grid tiles (run by scripts/fuzz-tiles.sh; not part of
// the test suite). Any bytes are read or refused without a fault; a tile read is written
// and read back as exactly the same tile.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "storage/grid_files.h"

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orbitra;
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "orbitra-tile-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) __builtin_trap();
    return std::filesystem::path(pattern);
  }();
  const std::filesystem::path file = folder / "tile.txt";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const GridTileRead read = ReadGridTile(file);
  if (!read.tile) {
    if (read.error.empty()) __builtin_trap();
    return 0;
  }
  if (WriteGridTile(*read.tile, folder / "again.txt")) __builtin_trap();
  const GridTileRead again = ReadGridTile(folder / "again.txt");
  if (!again.tile || !(again.tile->identity == read.tile->identity) ||
      !(again.tile->values.settings == read.tile->values.settings) || again.tile->values.value != read.tile->values.value ||
      again.tile->values.lambda1.size() != read.tile->values.lambda1.size()) {
    __builtin_trap();
  }
  for (std::size_t i = 0; i < read.tile->values.lambda1.size(); ++i) {
    if (!SameBits(again.tile->values.lambda1[i], read.tile->values.lambda1[i])) __builtin_trap();
  }
  return 0;
}
