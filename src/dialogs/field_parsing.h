// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orbitra {

// How the dialogs turn the text of an edit field into a number. Blanks (space, tab) may
// stand before and after the number; anything else around it makes the entry invalid.

// A finite double in the usual decimal or exponent notation, with an optional sign.
// Infinities, not-a-number and values beyond the double range are refused.
std::optional<double> ParseDoubleField(std::string_view text);

// A whole number with an optional sign that fits a signed 32-bit value.
std::optional<std::int32_t> ParseIntField(std::string_view text);

// What an unsigned field made of the text: digits only, with an optional '+' before them,
// and the value.
struct UnsignedFieldValue {
  bool wholeNumber = false;  // false: not a number, or a negative one
  std::uint64_t value = 0;   // saturates at the largest 64-bit value
};
UnsignedFieldValue ParseUnsignedField(std::string_view text);

// A double as the fields show it: the shortest text of "%.15g", "%.16g" and "%.17g" that
// reads back to the same double, so that confirming a dialog never changes a number.
std::string FormatDoubleField(double value);

// "Please enter an integer between %1 and %2." with the bounds in place.
std::string IntegerRangeMessage(std::int64_t lo, std::int64_t hi);
// "Please enter no more than %1 characters." with the limit in place.
std::string MaxCharactersMessage(int limit);

inline constexpr std::string_view kEnterNumber = "Please enter a number.";
inline constexpr std::string_view kEnterInteger = "Please enter an integer.";
inline constexpr std::string_view kEnterPositiveInteger = "Please enter a positive integer.";

}  // namespace orbitra
