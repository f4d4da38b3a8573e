// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "maps/user_map_table.h"
#include "storage/file_io.h"

namespace orbitra {

inline constexpr const char* kUserMapFileName = "usermaps.txt";
// Where a damaged "usermaps.txt" is kept when the first change is saved over it.
inline constexpr const char* kUserMapBackupName = "usermaps.bak";

// The first line of the file that could not be read, and why.
struct UserMapFileProblem {
  int line = 0;  // from 1
  std::string what;
  friend bool operator==(const UserMapFileProblem&, const UserMapFileProblem&) = default;
};

// "\"usermaps.txt\", line 3: WHAT", with the file named as the user knows it.
std::string DescribeUserMapFileProblem(std::string_view fileName, const UserMapFileProblem& problem);

// The maps that could be read, compiled, in file order; a map with any fault is left out
// whole, and the first fault is kept.
struct UserMapFileContents {
  std::vector<UserMap> maps;
  std::optional<UserMapFileProblem> problem;
};

// The file's text: one block per map,
//   map NAME
//   t = x + y          (helper lines, evaluated in order before the formulas)
//   x' = FORMULA
//   y' = FORMULA
//   k1 = NUMBER        (k1 to k4; a missing one is 0)
//   range = XMIN XMAX YMIN YMAX
//   end
// with blank lines and lines starting with '#' anywhere. Names must be valid, unique and
// not those of built-in maps; at most 21 maps are read.
UserMapFileContents ParseUserMapText(std::string_view text);

// The text of these maps, in that format, numbers written so that they read back exactly.
std::string FormatUserMapText(const std::vector<UserMapDefinition>& maps);

// Reads the file; a missing file holds no maps. A file that exists but cannot be read
// gives the failure's message.
struct UserMapFileRead {
  UserMapFileContents contents;
  FileFailure failure;
};
UserMapFileRead ReadUserMapFile(const std::filesystem::path& file);

// Replaces the file with these maps, through a temporary file, so a failed save leaves
// the old file whole. With keepOldAs, the old file is first copied there (a failed copy
// writes nothing).
[[nodiscard]] FileFailure WriteUserMapFile(const std::filesystem::path& file,
                                           const std::vector<UserMapDefinition>& maps,
                                           const std::optional<std::filesystem::path>& keepOldAs = std::nullopt);

}  // namespace orbitra
