// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/system_catalogue.h"

#include <locale.h>
#include <wctype.h>

#include "maps/user_map_evaluator.h"

namespace orbitra {

namespace {

// The next character of UTF-8 text as a code point; a byte that starts no valid sequence
// stands for itself.
char32_t NextCharacter(std::string_view text, std::size_t& i) noexcept {
  const auto lead = static_cast<unsigned char>(text[i++]);
  const int more = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (lead < 0x80 || more == 0 || i + static_cast<std::size_t>(more) > text.size()) return lead;
  char32_t c = lead & (0x3F >> more);
  for (int k = 0; k < more; ++k) {
    const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
    if ((next & 0xC0) != 0x80) return lead;
    c = (c << 6) | (next & 0x3F);
  }
  i += static_cast<std::size_t>(more);
  return c;
}

// Letter case folded as the C library's Unicode tables fold it (ASCII alone where the
// system has no UTF-8 locale).
char32_t Lower(char32_t c) noexcept {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
  static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return utf8 != static_cast<locale_t>(nullptr) ? static_cast<char32_t>(::towlower_l(static_cast<wint_t>(c), utf8))
                                                 : c;
}

// Characters of UTF-8 text: every byte but the continuation bytes 10xxxxxx.
std::size_t CharacterCount(std::string_view text) noexcept {
  std::size_t count = 0;
  for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) noexcept {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (Lower(NextCharacter(a, i)) != Lower(NextCharacter(b, j))) return false;
  }
  return i == a.size() && j == b.size();
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
