// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace orbitra {

// What the program knows of the trajectory group file.
struct GroupState {
  bool GroupEmpty = true;
  std::int32_t GroupCount = 0;
};

}  // namespace orbitra
