#include "maps/system_catalogue.h"

#include "maps/user_map_evaluator.h"

namespace orbitra {

namespace {

char Lower(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Characters of UTF-8 text: every byte but the continuation bytes 10xxxxxx.
std::size_t CharacterCount(std::string_view text) noexcept {
  std::size_t count = 0;
  for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

SystemText SystemTextAt(const UserMapTable& users, int t) noexcept {
  if (const UserMap* user = users.OfSystem(t)) {
    return SystemText{user->definition.name, user->formulaLine1, user->formulaLine2};
  }
  const CatalogueEntry& entry = CatalogueAt(t);
  return SystemText{entry.name, entry.formulaLine1, entry.formulaLine2};
}

SystemDefaults LoadSystemDefaults(const UserMapTable& users, int t) {
  const UserMap* user = users.OfSystem(t);
  if (user == nullptr) return LoadSystemDefaults(t);
  const UserMapDefinition& d = user->definition;
  return SystemDefaults{&UserMapRoutine, d.k1, d.k2, d.k3, d.k4, d.range, user->evaluator};
}

void CommitSelection(MappingModel& model, std::string& xyBoxLabel, const UserMapTable& users, int t, double k1,
                     double k2, double k3, double k4, const std::optional<PendingSelection>& pending) {
  model.system = t;
  model.k1 = k1;
  model.k2 = k2;
  model.k3 = k3;
  model.k4 = k4;
  if (pending) {
    model.routine = pending->routine;
    model.DefaultRange = pending->DefaultRange;
    model.userMap = pending->userMap;
  }
  xyBoxLabel = std::string(SystemName(users, t));
}

std::optional<MapNameProblem> CheckMapName(const UserMapTable& users, std::string_view name,
                                           std::optional<int> self) {
  if (name.empty()) return MapNameProblem::Empty;
  if (CharacterCount(name) > kMaxMapNameLength) return MapNameProblem::TooLong;
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return MapNameProblem::ControlCharacter;
  }
  for (const CatalogueEntry& entry : MappingCatalogue) {
    if (SameName(entry.name, name)) return MapNameProblem::BuiltIn;
  }
  for (int i = 0; i < users.Count(); ++i) {
    if (i != self && SameName(users.At(i).definition.name, name)) return MapNameProblem::Taken;
  }
  return std::nullopt;
}

}  // namespace orbitra
