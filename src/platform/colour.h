// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace orbitra {

// A colour reference: red + 256 * green + 65536 * blue, the highest byte 0.
struct Colour {
  std::uint32_t ref = 0;

  static constexpr Colour FromRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) noexcept {
    return Colour{static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
                  (static_cast<std::uint32_t>(blue) << 16)};
  }
  constexpr std::uint8_t Red() const noexcept { return static_cast<std::uint8_t>(ref & 0xFFu); }
  constexpr std::uint8_t Green() const noexcept { return static_cast<std::uint8_t>((ref >> 8) & 0xFFu); }
  constexpr std::uint8_t Blue() const noexcept { return static_cast<std::uint8_t>((ref >> 16) & 0xFFu); }

  friend constexpr bool operator==(Colour, Colour) noexcept = default;
};

inline constexpr Colour kBlack = Colour::FromRgb(0, 0, 0);
inline constexpr Colour kWhite = Colour::FromRgb(255, 255, 255);

}  // namespace orbitra
