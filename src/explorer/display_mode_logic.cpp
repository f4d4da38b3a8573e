// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/display_mode_logic.h"

#include "explorer/orbitra_state.h"

namespace orbitra {

DisplayModeValues PrepareDisplayModeDialog(const OrbitraState& state) noexcept {
  return DisplayModeValues{state.Run.Settings.DisplayMode};
}

Invalidation ApplyDisplayModeDialog(OrbitraState& state, const DisplayModeValues& values) noexcept {
  if (values.mode != 0 && values.mode != 1) return Invalidation::None;
  state.Run.Settings.DisplayMode = values.mode;
  return Invalidation::WithErase;
}

}  // namespace orbitra
