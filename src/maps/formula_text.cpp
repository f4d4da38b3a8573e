#include "maps/formula_text.h"

#include <vector>

namespace orbitra {

namespace {

bool IsNameChar(char c) noexcept {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::optional<std::size_t> FindAssignment(std::string_view formula) noexcept {
  for (std::size_t i = 0; i < formula.size(); ++i) {
    if (formula[i] != '=') continue;
    const char before = i > 0 ? formula[i - 1] : ' ';
    const char after = i + 1 < formula.size() ? formula[i + 1] : ' ';
    if (after == '=') {
      ++i;  // "==": skip its second sign as well
      continue;
    }
    if (before == '<' || before == '>' || before == '!') continue;
    return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> FindStrayComma(std::string_view formula) noexcept {
  // One entry per open parenthesis: whether it opens the arguments of a function.
  std::vector<bool> calls;
  bool nameBefore = false;
  for (std::size_t i = 0; i < formula.size(); ++i) {
    const char c = formula[i];
    if (c == '(') {
      calls.push_back(nameBefore);
    } else if (c == ')') {
      if (!calls.empty()) calls.pop_back();
    } else if (c == ',' && (calls.empty() || !calls.back())) {
      return i;
    }
    if (IsNameChar(c)) {
      nameBefore = true;
    } else if (!IsBlank(c)) {
      nameBefore = false;
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> FindControlCharacter(std::string_view text) noexcept {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\t') || c == 0x7f) return i;
  }
  return std::nullopt;
}

bool IsFormulaName(std::string_view name) noexcept {
  if (name.empty() || (name.front() >= '0' && name.front() <= '9')) return false;
  for (char c : name) {
    if (!IsNameChar(c)) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) noexcept {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<HelperLineParts> SplitHelperLine(std::string_view line) noexcept {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view left = line.substr(0, equals);
  const std::string_view name = TrimBlanks(left);
  std::size_t namePosition = 0;
  while (namePosition < left.size() && IsBlank(left[namePosition])) ++namePosition;
  return HelperLineParts{name, namePosition, line.substr(equals + 1), equals + 1};
}

}  // namespace orbitra
