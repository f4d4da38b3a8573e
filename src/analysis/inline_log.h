// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

namespace orbitra {

// ln x inline, for the tangent-vector lengths the chaos indicators take every iteration,
// where the library's call would keep every lane's numbers in memory around it.
//
// x = 2^k m with m in [1, 2); m's leading seven bits pick c near m from a table of 1 / c
// and ln c (made by the library's log), and ln x = k ln 2 + ln c + ln(1 + r) with
// r = m / c - 1, |r| < 1/256, where six terms of the series leave less than 1e-17. The
// error is absolute, a few units of 1e-16: what a sum of logarithms needs, not the
// relative accuracy of a result near 0. Zero, subnormal, infinite and not-a-number
// arguments go to the library.
namespace inline_log {

constexpr int kTableBits = 7;
constexpr int kTableSize = 1 << kTableBits;

struct Entry {
  double inverse;  // 1 / c, rounded
  double log;      // -ln(inverse), so that ln m = log + ln(m * inverse)
};

inline const std::array<Entry, kTableSize>& Table() noexcept {
  static const std::array<Entry, kTableSize> table = [] {
    std::array<Entry, kTableSize> t{};
    for (int i = 0; i < kTableSize; ++i) {
      const double inverse = 1.0 / (1.0 + (i + 0.5) / kTableSize);
      t[static_cast<std::size_t>(i)] = {inverse, -std::log(inverse)};
    }
    return t;
  }();
  return table;
}

}  // namespace inline_log

// Whether x is a positive normal finite number, which the inline path takes.
inline bool InlineLogTakes(double x) noexcept {
  return std::bit_cast<std::uint64_t>(x) - 0x0010000000000000ULL < 0x7fe0000000000000ULL;
}

// ln x for a positive normal finite x (anything else gives a meaningless number, safely).
// Integer and floating operations only, with the table passed in, so that a loop over
// lanes can run it in vector registers.
inline double InlineLogOfNormal(double x, const inline_log::Entry* table) noexcept {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
  // The exponent field as a double without an integer conversion: 2^52 + e, less 2^52.
  const double k = std::bit_cast<double>(0x4330000000000000ULL | (bits >> 52)) - (4503599627370496.0 + 1023.0);
  const double m = std::bit_cast<double>((bits & 0x000fffffffffffffULL) | 0x3ff0000000000000ULL);
  const inline_log::Entry& e = table[(bits >> (52 - inline_log::kTableBits)) & (inline_log::kTableSize - 1)];
  const double r = m * e.inverse - 1.0;
  const double series = r * r * (-0.5 + r * (1.0 / 3.0 + r * (-0.25 + r * (0.2 + r * (-1.0 / 6.0)))));
  return (k * 0.6931471805599453094 + e.log) + (r + series);
}

inline double InlineLog(double x) noexcept {
  if (!InlineLogTakes(x)) [[unlikely]] return std::log(x);
  return InlineLogOfNormal(x, inline_log::Table().data());
}

// The logarithms of n numbers (n even), two at a time in one vector register: the inline
// path for all, then the library for the few it does not take.
template <int N>
inline void InlineLogs(const double (&x)[N], double (&out)[N]) noexcept {
  static_assert(N % 2 == 0);
  using Doubles = double __attribute__((vector_size(16)));
  using Words = std::uint64_t __attribute__((vector_size(16)));
  const inline_log::Entry* table = inline_log::Table().data();
  for (int l = 0; l < N; l += 2) {
    const Doubles v = {x[l], x[l + 1]};
    const Words bits = std::bit_cast<Words>(v);
    const Words exponentBits = (bits >> 52) | 0x4330000000000000ULL;
    const Doubles k = std::bit_cast<Doubles>(exponentBits) - (4503599627370496.0 + 1023.0);
    const Words mantissa = (bits & 0x000fffffffffffffULL) | 0x3ff0000000000000ULL;
    const Doubles m = std::bit_cast<Doubles>(mantissa);
    const Words index = (bits >> (52 - inline_log::kTableBits)) & static_cast<std::uint64_t>(inline_log::kTableSize - 1);
    const inline_log::Entry& a = table[index[0]];
    const inline_log::Entry& b = table[index[1]];
    const Doubles inverse = {a.inverse, b.inverse};
    const Doubles logC = {a.log, b.log};
    const Doubles r = m * inverse - 1.0;
    const Doubles series = r * r * (-0.5 + r * (1.0 / 3.0 + r * (-0.25 + r * (0.2 + r * (-1.0 / 6.0)))));
    const Doubles result = (k * 0.6931471805599453094 + logC) + (r + series);
    out[l] = result[0];
    out[l + 1] = result[1];
  }
  for (int l = 0; l < N; ++l) {
    if (!InlineLogTakes(x[l])) [[unlikely]] out[l] = std::log(x[l]);
  }
}

}  // namespace orbitra
