// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/text_format.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace orbitra {

void AppendFixed(std::string& out, double v, int decimals, int width) {
  // The widest fixed-point double: 309 integer digits, a sign, a point and the decimals.
  char digits[400];
  if (decimals < 0) decimals = 0;
  if (decimals > 60) decimals = 60;
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, v, std::chars_format::fixed, decimals);
  const std::size_t length = r.ec == std::errc{} ? static_cast<std::size_t>(r.ptr - digits) : 0;
  if (width > 0 && length < static_cast<std::size_t>(width)) out.append(static_cast<std::size_t>(width) - length, ' ');
  out.append(digits, length);
}

void AppendShortest(std::string& out, double v) {
  char digits[32];
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, v);
  out.append(digits, static_cast<std::size_t>(r.ptr - digits));
}

void AppendFixedExact(std::string& out, double v, int decimals) {
  const std::size_t start = out.size();
  AppendFixed(out, v, decimals);
  double back = 0.0;
  if (!std::isfinite(v) || (ParseDouble(std::string_view(out).substr(start), back) && back == v)) return;
  out.resize(start);
  // Without a precision, to_chars gives the shortest text that reads back exactly.
  char digits[400];
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, v, std::chars_format::fixed);
  if (r.ec == std::errc{}) out.append(digits, static_cast<std::size_t>(r.ptr - digits));
}

void AppendInteger(std::string& out, std::int64_t v) {
  char digits[24];
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, v);
  out.append(digits, static_cast<std::size_t>(r.ptr - digits));
}

std::string FormatCounts(std::string_view pattern, std::initializer_list<std::int64_t> values) {
  std::string text;
  const std::int64_t* next = values.begin();
  std::size_t from = 0;
  for (std::size_t at = pattern.find("%d"); at != std::string_view::npos; at = pattern.find("%d", from)) {
    text.append(pattern.substr(from, at - from));
    if (next != values.end()) AppendInteger(text, *next++);
    from = at + 2;
  }
  text.append(pattern.substr(from));
  return text;
}

namespace {

// scanf takes a '+' before a number; from_chars does not.
std::string_view WithoutPlus(std::string_view token) noexcept {
  if (token.size() > 1 && token.front() == '+' && token[1] != '-' && token[1] != '+') token.remove_prefix(1);
  return token;
}

}  // namespace

bool ParseDouble(std::string_view token, double& v) noexcept {
  token = WithoutPlus(token);
  if (token.empty()) return false;
  double parsed = 0.0;
  const std::from_chars_result r = std::from_chars(token.data(), token.data() + token.size(), parsed);
  if (r.ec != std::errc{} || r.ptr != token.data() + token.size() || !std::isfinite(parsed)) return false;
  v = parsed;
  return true;
}

bool ParseInt32(std::string_view token, std::int32_t& v) noexcept {
  token = WithoutPlus(token);
  if (token.empty()) return false;
  std::int32_t parsed = 0;
  const std::from_chars_result r = std::from_chars(token.data(), token.data() + token.size(), parsed);
  if (r.ec != std::errc{} || r.ptr != token.data() + token.size()) return false;
  v = parsed;
  return true;
}

std::string CutForMessage(std::string_view text, std::size_t longest) {
  if (text.size() <= longest) return std::string(text);
  std::size_t end = longest;
  // Back to the start of the character that would be cut.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end)) + "...";
}

}  // namespace orbitra
