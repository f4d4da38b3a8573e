// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "maps/world_geometry.h"

namespace orbitra {

// A map typed by the user: its name, helper lines "t = x + y" evaluated in order before
// the two formulas, the formulas of x' and y', default parameters and a default range.
// Formulas may use x, y, k1 to k4, pi and the helpers defined above them.
struct UserMapDefinition {
  std::string name;
  std::vector<std::string> helpers;
  std::string xFormula;
  std::string yFormula;
  double k1 = 0.0;
  double k2 = 0.0;
  double k3 = 0.0;
  double k4 = 0.0;
  WorldRange range{-1.0, 1.0, -1.0, 1.0};
  friend bool operator==(const UserMapDefinition&, const UserMapDefinition&) = default;
};

// Longest formula or helper line accepted, in characters.
inline constexpr std::size_t kMaxFormulaLength = 1000;
// Most helper lines one map may have.
inline constexpr std::size_t kMaxHelperLines = 32;
// Longest helper name, in characters.
inline constexpr std::size_t kMaxHelperNameLength = 100;
// All helper lines and both formulas of one map together, in characters: the formula
// library reads them as one expression, which it takes up to some 20000 characters long.
inline constexpr std::size_t kMaxMapTextLength = 19000;

}  // namespace orbitra
