// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "maps/mapping_catalogue.h"
#include "maps/user_map_table.h"

namespace orbitra {

// The systems the program can iterate, by index: the built-in catalogue (1 to 10) and
// then the user's maps (from 11). Everything that names the selected system or shows its
// formula lines looks it up here, so a user map is seen by the same index everywhere.

struct SystemText {
  std::string_view name;
  std::string_view formulaLine1;
  std::string_view formulaLine2;
};

// The texts of system t; those of entry 0, "No mapping", for an index that names none.
SystemText SystemTextAt(const UserMapTable& users, int t) noexcept;
inline std::string_view SystemName(const UserMapTable& users, int t) noexcept { return SystemTextAt(users, t).name; }

// The index of the last system: 10 plus the number of user maps.
inline int LastSystem(const UserMapTable& users) noexcept { return kLastSystem + users.Count(); }

// Pure lookup of system t's routine, parameters and range (a user map's formulas with it).
SystemDefaults LoadSystemDefaults(const UserMapTable& users, int t);

// "OK" of the selection dialog: the model takes system t and the parameters as the user
// left them; routine, default range and formulas come from the pending pick, if there was
// one. The X-Y box title becomes the system's name.
void CommitSelection(MappingModel& model, std::string& xyBoxLabel, const UserMapTable& users, int t, double k1,
                     double k2, double k3, double k4, const std::optional<PendingSelection>& pending);

// Two names are the same map's when they differ at most in the case of ASCII letters.
bool SameName(std::string_view a, std::string_view b) noexcept;

// Why a name cannot be given to a user map.
enum class MapNameProblem { Empty, TooLong, ControlCharacter, BuiltIn, Taken };
inline constexpr std::size_t kMaxMapNameLength = 40;  // characters of its UTF-8 text

// The problem of a (trimmed) name for a user map, comparing letters without case; the map
// at position `self` (the one being renamed) does not count as taking it.
std::optional<MapNameProblem> CheckMapName(const UserMapTable& users, std::string_view name,
                                           std::optional<int> self = std::nullopt);

}  // namespace orbitra
