// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <filesystem>
#include <string_view>

#include "platform/prompter.h"
#include "storage/file_io.h"
#include "storage/point_store.h"

namespace orbitra {

// One export as the "Export data" dialog describes it; the values a freshly built dialog
// holds.
struct ExportDialogValues {
  bool memoryBuffer = true;
  bool diskStream = false;
  bool lastTrajectory = false;
  bool highAccuracy = false;
  std::string fileName;
  double xLower = 0.0;
  double xUpper = 0.0;
  double yLower = 0.0;
  double yUpper = 0.0;
};

inline constexpr std::int64_t kExportDeclined = -1;  // the user did not want the file overwritten
inline constexpr std::int64_t kExportFailed = -2;    // the export failed and was reported

// Writes the chosen stored points that lie in the rectangle (bounds included) to the file,
// one "x y" line each: the buffer's points in slot order ("Memory-Buffer points " wins over
// "Last Trajectory"), then the stream's in file order. An existing file is replaced only
// after the user agreed, and only by a complete new one. The file name and the stream
// are taken in the working folder. A stream that cannot be read (removed or changed
// from outside) does not stop the export: what could be read is written, and a message
// says what is missing. Returns the number of lines, kExportDeclined, or kExportFailed
// once the failure has been shown.
std::int64_t ExportPoints(const PointStore& store, const std::filesystem::path& workDir, Prompter& prompter,
                          const ExportDialogValues& values);

struct StemAndExtension {
  std::string stem;       // the path up to the last '.' of its file name
  std::string extension;  // the text after that '.', empty when the file name has none
};

// Splits off the extension of the file name; dots in folder names and a leading dot of
// the file name (a hidden file) never start an extension.
StemAndExtension SplitExtension(std::string_view path);

// The export file name for a path picked with "Browse": its extension replaced by ".dat"
// (or ".dat" appended when it has none).
std::string BrowseResultToFileName(const std::string& chosenPath);

}  // namespace orbitra
