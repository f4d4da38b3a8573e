// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/user_map_table.h"

#include "maps/formula_text.h"

namespace orbitra {

namespace {

// "x'=<formula>" on the first line, followed by the helpers; "y'=<formula>" on the second.
std::string FirstLine(const UserMapDefinition& d) {
  std::string line = "x'=" + std::string(TrimBlanks(d.xFormula));
  for (const std::string& helper : d.helpers) {
    const std::string_view text = TrimBlanks(helper);
    if (!text.empty()) line += ",  " + std::string(text);
  }
  return line;
}

}  // namespace

UserMapMaking MakeUserMap(const UserMapDefinition& definition) {
  UserMapCompilation compiled = CompileUserMap(definition);
  if (!compiled.evaluator) return {std::nullopt, std::move(compiled.error)};
  UserMap map{definition, std::move(compiled.evaluator), FirstLine(definition),
              "y'=" + std::string(TrimBlanks(definition.yFormula))};
  return {std::move(map), std::nullopt};
}

const UserMap* UserMapTable::OfSystem(int t) const noexcept {
  const int i = t - kFirstUserSystem;
  if (i < 0 || i >= Count()) return nullptr;
  return &maps_[static_cast<std::size_t>(i)];
}

std::optional<int> UserMapTable::Find(std::string_view name) const noexcept {
  for (int i = 0; i < Count(); ++i) {
    if (maps_[static_cast<std::size_t>(i)].definition.name == name) return i;
  }
  return std::nullopt;
}

bool UserMapTable::Add(UserMap map) {
  if (Full()) return false;
  maps_.push_back(std::move(map));
  return true;
}

void UserMapTable::Replace(int i, UserMap map) { maps_.at(static_cast<std::size_t>(i)) = std::move(map); }

void UserMapTable::Remove(int i) {
  if (i < 0 || i >= Count()) return;
  maps_.erase(maps_.begin() + i);
}

std::vector<UserMapDefinition> UserMapTable::Definitions() const {
  std::vector<UserMapDefinition> definitions;
  definitions.reserve(maps_.size());
  for (const UserMap& map : maps_) definitions.push_back(map.definition);
  return definitions;
}

}  // namespace orbitra
