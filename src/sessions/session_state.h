// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "explorer/orbitra_state.h"
#include "maps/user_map_definition.h"
#include "storage/session_file.h"

namespace orbitra {

// What of the state a session keeps: the map and its parameters, the run state's points
// and settings, the four boxes, the store's counters and points, the group file's lines,
// and a few remembered choices. The picture itself is not kept: the repaint after opening
// draws it again from these. The points are written from where they are (see SaveSession).
SessionContent GatherSession(const OrbitraState& state, const std::vector<std::string>& groupLines);

// A session read into copies of the state's records, checked, ready to take their place.
struct SessionRecords {
  MappingModel Model;
  std::optional<UserMapDefinition> userMap;  // the session's map, when it is a typed one
  RunState Run;
  PlotBoxes Boxes;
  PointStore Store;  // counters only; the points are in the session's buffer
  GroupState Group;
  ExportOptions Export;
  int UseDefaultRange = 1;
  std::vector<std::string> groupLines;
};

// The records of a session over those of the current state (so that what a session lacks
// stays as it is), or the reason the content cannot be a session this program wrote:
// a missing or wrongly typed value, a value out of its range, counts that differ from the
// points there are.
struct SessionDecoding {
  std::optional<SessionRecords> records;
  std::string problem;
};
SessionDecoding DecodeSession(const OrbitraState& state, const SessionContent& content, std::int64_t streamPoints);

}  // namespace orbitra
