// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "maps/user_map_definition.h"
#include "maps/user_map_evaluator.h"

namespace orbitra {

// The system index of the first user map; user maps follow the ten built-in ones.
inline constexpr int kFirstUserSystem = 11;
// The catalogue has room for 32 systems, 0 to 31.
inline constexpr int kMaxUserMaps = 21;

// A user map as the program keeps it: what the user typed, compiled, and the two lines
// the selection dialog shows under its list.
struct UserMap {
  UserMapDefinition definition;
  std::shared_ptr<const UserMapEvaluator> evaluator;
  std::string formulaLine1;
  std::string formulaLine2;
};

// The definition compiled into a user map, or the first fault of its formulas.
struct UserMapMaking {
  std::optional<UserMap> map;
  std::optional<FormulaError> error;
};
UserMapMaking MakeUserMap(const UserMapDefinition& definition);

// The user's maps in list order; map i is system kFirstUserSystem + i.
class UserMapTable {
 public:
  int Count() const noexcept { return static_cast<int>(maps_.size()); }
  bool Full() const noexcept { return Count() >= kMaxUserMaps; }
  const UserMap& At(int i) const { return maps_.at(static_cast<std::size_t>(i)); }
  // The map of system index t; nothing for a built-in or an unused index.
  const UserMap* OfSystem(int t) const noexcept;
  // Position of the map with exactly this name; nothing when none has it.
  std::optional<int> Find(std::string_view name) const noexcept;

  // False when the table is full.
  bool Add(UserMap map);
  void Replace(int i, UserMap map);
  void Remove(int i);

  std::vector<UserMapDefinition> Definitions() const;

 private:
  std::vector<UserMap> maps_;
};

}  // namespace orbitra
