// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>

namespace orbitra {

// Tiles come from other machines and other people: these read them as hostile text.

// No line of a tile is longer; a longer one is damage (a device or a binary file).
inline constexpr std::size_t kLongestTileLine = 1 << 16;
// No tile holds more pixels than this, whatever its header claims.
inline constexpr std::int64_t kMostTilePixels = std::int64_t{1} << 28;

// The next line without its end ("\n" or "\r\n"); false at the end of the file or when
// the line is longer than any of a tile (then only that much has been read).
bool ReadTileLine(std::istream& in, std::string& line);

// Why `file` cannot be read as a tile before it is opened (missing, a folder, a FIFO or a
// device, which would block or never end); nothing for a regular file.
std::optional<std::string> TileFileProblem(const std::filesystem::path& file);

}  // namespace orbitra
