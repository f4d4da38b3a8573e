// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/field_parsing.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace orbitra {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// from_chars takes a '-' but no '+': drop one '+' that stands before a digit or a point.
std::string_view DropPlusSign(std::string_view text) {
  if (text.size() >= 2 && text[0] == '+' && text[1] != '+' && text[1] != '-') text.remove_prefix(1);
  return text;
}

}  // namespace

std::optional<double> ParseDoubleField(std::string_view text) {
  text = DropPlusSign(TrimBlanks(text));
  if (text.empty()) return std::nullopt;
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::int32_t> ParseIntField(std::string_view text) {
  text = DropPlusSign(TrimBlanks(text));
  if (text.empty()) return std::nullopt;
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

UnsignedFieldValue ParseUnsignedField(std::string_view text) {
  text = TrimBlanks(text);
  if (text.size() >= 2 && text[0] == '+') text.remove_prefix(1);  // "+5" as the other fields take it
  UnsignedFieldValue result;
  if (text.empty()) return result;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return result;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  result.wholeNumber = true;
  result.value = value;
  return result;
}

std::string FormatDoubleField(double value) {
  // Up to 15 significant digits, as the fields have always shown numbers; 16 or 17 only
  // when fewer would read back as another number, so "OK" never changes a value. The
  // closest text of n digits reads back whenever any text of n digits does.
  char text[40];
  std::to_chars_result r{};
  for (int digits = 15; digits <= 17; ++digits) {
    r = std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    if (ParseDoubleField(std::string_view(text, static_cast<std::size_t>(r.ptr - text))) == value) break;
  }
  return std::string(text, r.ptr);
}

std::string IntegerRangeMessage(std::int64_t lo, std::int64_t hi) {
  return "Please enter an integer between " + std::to_string(lo) + " and " + std::to_string(hi) + ".";
}

std::string MaxCharactersMessage(int limit) {
  return "Please enter no more than " + std::to_string(limit) + " characters.";
}

}  // namespace orbitra
