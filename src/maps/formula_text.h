// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orbitra {

// Plain text checks of a formula that the expression library would accept with another
// meaning, or report less clearly. Positions count from 0.

// The first '=' that is an assignment rather than part of "==", "!=", "<=" or ">=".
std::optional<std::size_t> FindAssignment(std::string_view formula) noexcept;

// The first ',' that does not separate the arguments of a function call: a second
// formula in the same text.
std::optional<std::size_t> FindStrayComma(std::string_view formula) noexcept;

// The first character below blank other than a tab, or DEL: text the file cannot hold.
std::optional<std::size_t> FindControlCharacter(std::string_view text) noexcept;

// A name of letters, digits and '_' that does not start with a digit.
bool IsFormulaName(std::string_view name) noexcept;

// The text without blanks (spaces, tabs, line ends) at either end.
std::string_view TrimBlanks(std::string_view text) noexcept;

// A segment of a formula is the whole formula, one argument of a function, or the inside
// of a parenthesis. Each largest segment made only of numbers, "pi", blanks, parentheses
// and the operators + - * / ^ (at least one) is replaced by "(" + valueOf(segment) + ")",
// unless valueOf gives nothing. Replacing a whole segment cannot change how the text
// around it reads. The formula must be one the expression library accepts.
std::string FoldConstantSegments(std::string_view formula,
                                 const std::function<std::optional<std::string>(std::string_view)>& valueOf);

// A helper line "name = formula" split at its first '='; positions are those of the line.
struct HelperLineParts {
  std::string_view name;      // trimmed
  std::size_t namePosition;   // where the trimmed name starts
  std::string_view formula;   // everything after the '=', untrimmed
  std::size_t formulaPosition;
};
// Nothing when the line has no '='.
std::optional<HelperLineParts> SplitHelperLine(std::string_view line) noexcept;

}  // namespace orbitra
