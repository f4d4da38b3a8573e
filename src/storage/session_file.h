// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "storage/file_io.h"
#include "storage/session_values.h"
#include "storage/session_view_records.h"
#include "storage/stored_point.h"

namespace orbitra {

// A session is one HDF5 file (see docs/session-format.md). This layer knows the file's
// frame: the root's format marks, groups holding scalar attributes, lists of text lines,
// and the two point datasets; which attribute means what is the explorer's business.

inline constexpr const char* kSessionExtension = ".orbitra.h5";
inline constexpr const char* kSessionFormatName = "Orbitra session";
// Raised whenever a reader of the previous version could misread a new file.
inline constexpr std::int32_t kSessionFormatVersion = 2;

// Everything of a session but the stream's points, which go straight between the file and
// the disk stream in blocks. Group names are paths below the root ("map", "boxes/xy").
struct SessionContent {
  std::map<std::string, SessionAttributes, std::less<>> groups;
  std::map<std::string, std::vector<std::string>, std::less<>> texts;  // datasets of text lines
  std::vector<StoredPoint> buffer;  // the buffer's points, as read
  SessionViews views;               // "/views": the windows of sweeps and the structure
};

// The points a session is written with: the buffer's where they are, and the stream's
// first `streamPoints` records, copied from its file block by block.
struct SessionPoints {
  std::span<const StoredPoint> buffer;
  std::filesystem::path streamFile;
  std::int64_t streamPoints = 0;
};

// Writes the session to target: into a new file beside it, which takes target's place
// only when complete (and then its permissions). A stream shorter than its count is a
// failure. Nothing is left behind on failure.
[[nodiscard]] FileFailure WriteSessionFile(const std::filesystem::path& target, const SessionContent& content,
                                           const SessionPoints& points);

struct SessionReading {
  SessionContent content;
  std::int64_t streamPoints = 0;  // records written to the stream copy
  FileFailure failure;            // "Cannot open the session "<file>": <reason>"
};

// Reads a whole session: a missing file, a file that is no HDF5 file or no session, a
// newer format, and a damaged or truncated one are refused with the reason. The stream's
// points are written to streamCopy (a new file the caller places or removes).
SessionReading ReadSessionFile(const std::filesystem::path& file, const std::filesystem::path& streamCopy);

}  // namespace orbitra
