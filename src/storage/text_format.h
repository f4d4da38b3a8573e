// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace orbitra {

// Number formatting and parsing for the program's text files and messages. It never
// depends on the C locale (the windowing library switches it to the user's, which could
// turn "0.5" into "0,5"): the results are those of printf and scanf in the "C" locale.

// Characters of the longest "%.Nf" text of a double, N = decimals: a sign, 309 integer
// digits, the point and the decimals. A buffer for such a text needs one more.
constexpr int LongestFixedText(int decimals) noexcept { return 1 + 309 + 1 + decimals; }

// Appends v as "%*.*f" would: `decimals` decimals, right-aligned in at least `width`
// characters.
void AppendFixed(std::string& out, double v, int decimals, int width = 0);

// Appends v in the fewest digits that read back as exactly v ("0.1", "6.283185307179586").
void AppendShortest(std::string& out, double v);

// Appends v as AppendFixed does with `decimals` decimals when that text reads back to v;
// otherwise in the shortest fixed-point text that does, so a file keeps its look for
// numbers it holds exactly and never changes the others.
void AppendFixedExact(std::string& out, double v, int decimals);

// Appends v as "%d" (or "%lld") would.
void AppendInteger(std::string& out, std::int64_t v);

// Replaces every "%d" in the pattern by the next value, in order; used for the
// program's messages.
std::string FormatCounts(std::string_view pattern, std::initializer_list<std::int64_t> values);

// Whole-token parsing as "%lf" and "%d" accept numbers: an optional sign, no blanks, and
// nothing left over. False for anything else, for an int out of range, and for a double
// that is not finite ("nan", "inf", "infinity", or beyond the double range), which the
// dialogs refuse too.
bool ParseDouble(std::string_view token, double& v) noexcept;
bool ParseInt32(std::string_view token, std::int32_t& v) noexcept;

// A text (a name, a file name) as a message shows it: whole when short, else its first
// `longest` bytes (never half a UTF-8 character) and "...".
inline constexpr std::size_t kLongestShownText = 80;
std::string CutForMessage(std::string_view text, std::size_t longest = kLongestShownText);

}  // namespace orbitra
