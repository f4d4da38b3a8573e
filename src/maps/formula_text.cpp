// SPDX-License-Identifier: GPL-3.0-or-later
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

namespace {

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// Numbers, "pi", blanks, parentheses and + - * / ^ only, with an operator and a value.
bool IsConstantSegment(std::string_view text) noexcept {
  bool anyOperator = false;
  bool anyValue = false;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (IsBlank(c) || c == '(' || c == ')') {
      ++i;
    } else if (c == '+' || c == '-' || c == '*' || c == '/' || c == '^') {
      anyOperator = true;
      ++i;
    } else if (IsDigit(c) || c == '.') {
      while (i < text.size() && (IsDigit(text[i]) || text[i] == '.')) ++i;
      if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        while (i < text.size() && IsDigit(text[i])) ++i;
      }
      anyValue = true;
    } else if (IsNameChar(c)) {
      const std::size_t start = i;
      while (i < text.size() && IsNameChar(text[i])) ++i;
      if (text.substr(start, i - start) != "pi") return false;
      anyValue = true;
    } else {
      return false;
    }
  }
  return anyOperator && anyValue;
}

}  // namespace

std::string FoldConstantSegments(std::string_view formula,
                                 const std::function<std::optional<std::string>(std::string_view)>& valueOf) {
  if (IsConstantSegment(formula)) {
    if (const std::optional<std::string> value = valueOf(formula)) return "(" + *value + ")";
  }
  std::string out;
  std::size_t i = 0;
  while (i < formula.size()) {
    if (formula[i] != '(') {
      out += formula[i++];
      continue;
    }
    // The group up to its closing parenthesis, its segments split at its own commas.
    std::size_t close = i + 1;
    int depth = 1;
    for (; close < formula.size(); ++close) {
      if (formula[close] == '(') ++depth;
      if (formula[close] == ')' && --depth == 0) break;
    }
    if (close >= formula.size()) {
      out.append(formula.substr(i));
      break;
    }
    out += '(';
    std::size_t start = i + 1;
    depth = 0;
    for (std::size_t j = i + 1; j < close; ++j) {
      if (formula[j] == '(') ++depth;
      if (formula[j] == ')') --depth;
      if (formula[j] == ',' && depth == 0) {
        out += FoldConstantSegments(formula.substr(start, j - start), valueOf) + ",";
        start = j + 1;
      }
    }
    out += FoldConstantSegments(formula.substr(start, close - start), valueOf) + ")";
    i = close + 1;
  }
  return out;
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
