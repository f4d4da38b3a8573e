// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "platform/invalidation.h"

namespace orbitra {

struct OrbitraState;

// The "DisplayMode" dialog's one member: the position of the selected radio button,
// 0 "Single mapping Window", 1 "Mapping Window and  X(n),Y(n) evolution".
struct DisplayModeValues {
  std::int32_t mode = 0;
};

DisplayModeValues PrepareDisplayModeDialog(const OrbitraState& state) noexcept;

// "OK": the display mode is the selected position; the window repaints from a cleared
// picture. A position other than 0 or 1 changes nothing.
Invalidation ApplyDisplayModeDialog(OrbitraState& state, const DisplayModeValues& values) noexcept;

}  // namespace orbitra
