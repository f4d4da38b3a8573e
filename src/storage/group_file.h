// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace orbitra {

inline constexpr const char* kGroupFileName = "icgroup.txt";
inline constexpr const char* kGroupFileNotFound = "Group file is not found!";
inline constexpr const char* kGroupFormatError = "Format error of group file";

// One trajectory of the group file: its initial point, iteration count, colour index
// (only the lowest 8 bits are used) and storage restriction (nonzero = on).
struct GroupLine {
  double X0 = 0.0;
  double Y0 = 0.0;
  std::int32_t iterations = 0;
  std::int32_t colour = 0;
  std::int32_t restricted = 0;
};

// The line as the group file holds it: "%f %f %d %d %d\n", except that X0 and Y0 get as
// many decimals as they need to read back exactly.
std::string FormatGroupLine(const GroupLine& line);

// Reads the group file's entries: whitespace-separated fields, five at a time, so blank
// lines and extra blanks do not matter. The whole file is read on construction.
class GroupFileReader {
 public:
  explicit GroupFileReader(const std::filesystem::path& file);

  bool IsOpen() const noexcept { return open_; }

  enum class Result { Entry, End, FormatError };
  // Entry: `line` holds the next entry, the last one included even without a final line
  // break. End: nothing but blanks remained. FormatError: a field is no number of its
  // kind, or the file ends inside an entry (or could not be read to its end).
  Result Next(GroupLine& line);

  // How many entries the rest of the file holds, counting a short last one: for progress.
  std::size_t EntriesLeft() const noexcept;

 private:
  bool NextToken(std::string_view& token) noexcept;

  std::string content_;
  std::size_t position_ = 0;
  bool open_ = false;
  bool readFailed_ = false;
};

}  // namespace orbitra
