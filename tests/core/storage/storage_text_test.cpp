// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "storage/text_format.h"

namespace orbitra {
namespace {

// The program's files must read exactly as printf writes them in the "C" locale (which
// the tests run in), whatever locale the windowing library later switches to.
TEST(TextFormat, FixedPointMatchesPrintfInTheCLocale) {
  const double values[] = {0.0,  -0.0,   0.5,   -1.25, 0.125, 2.675, 5e-7, -5e-7, 123456789.987654321,
                           1e22, -3e300, 0.9999995, 6.283185307179586, HUGE_VAL, -HUGE_VAL};
  for (const double v : values) {
    char expected[512];
    for (const auto& [decimals, width, format] :
         {std::tuple{6, 0, "%.6f"}, std::tuple{12, 14, "%14.12f"}, std::tuple{12, 13, "%13.12f"}}) {
      std::snprintf(expected, sizeof expected, format, v);
      std::string text = "|";
      AppendFixed(text, v, decimals, width);
      EXPECT_EQ(text, std::string("|") + expected) << format << " of " << v;
    }
  }
}

// Names in messages: whole up to the limit, else cut with "..." and never inside a
// character ("é" is two bytes in UTF-8).
TEST(TextFormat, LongTextsAreCutForMessagesAtWholeCharacters) {
  EXPECT_EQ(CutForMessage("Henon", 5), "Henon");
  EXPECT_EQ(CutForMessage("Henons", 5), "Henon...");
  EXPECT_EQ(CutForMessage("abcd\xc3\xa9" "f", 5), "abcd...");
  EXPECT_EQ(CutForMessage("abc\xc3\xa9" "f", 5), "abc\xc3\xa9...");
  EXPECT_EQ(CutForMessage(std::string(1 << 20, 'm')), std::string(80, 'm') + "...");
}

}  // namespace
}  // namespace orbitra
