// SPDX-License-Identifier: GPL-3.0-or-later
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "analysis/inline_log.h"

namespace orbitra {
namespace {

// The inline logarithm against the C library's over the whole range of doubles, one and
// eight at a time: within 5e-16 absolutely (or relatively, beyond 1), and the library's
// own answers where the inline path does not go.
TEST(InlineLog, AgreesWithTheLibraryEverywhere) {
  std::mt19937_64 random(12345);
  std::uniform_real_distribution<double> exponent(-708.0, 709.0);
  std::uniform_real_distribution<double> nearOne(0.5, 2.0);
  double worst = 0.0;
  double eight[8], logs[8];
  for (int i = 0; i < 200000; ++i) {
    const double x = i % 2 ? std::exp(exponent(random)) : nearOne(random);
    const double error = std::fabs(InlineLog(x) - std::log(x)) / std::max(1.0, std::fabs(std::log(x)));
    worst = std::max(worst, error);
    eight[i % 8] = x;
    if (i % 8 == 7) {
      InlineLogs(eight, logs);
      for (int l = 0; l < 8; ++l) EXPECT_EQ(logs[l], InlineLog(eight[l]));
    }
  }
  EXPECT_LT(worst, 5e-16);
  // Powers of two and the table's edges come out exactly k ln 2 and as the library's.
  EXPECT_NEAR(InlineLog(std::ldexp(1.0, 1000)), 1000 * 0.6931471805599453094, 2e-13);
  EXPECT_NEAR(InlineLog(std::nextafter(2.0, 0.0)), std::log(std::nextafter(2.0, 0.0)), 5e-16);
  const double odd[8] = {0.0, -1.0, 4.9e-324, DBL_MIN, DBL_MAX, std::numeric_limits<double>::infinity(),
                         std::numeric_limits<double>::quiet_NaN(), 1.0};
  InlineLogs(odd, logs);
  EXPECT_EQ(logs[0], -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(logs[1]));
  EXPECT_EQ(logs[2], std::log(4.9e-324));
  EXPECT_NEAR(logs[3], std::log(DBL_MIN), 1e-13);
  EXPECT_NEAR(logs[4], std::log(DBL_MAX), 1e-13);
  EXPECT_EQ(logs[5], std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(logs[6]));
  EXPECT_NEAR(logs[7], 0.0, 1e-17);
}

}  // namespace
}  // namespace orbitra
