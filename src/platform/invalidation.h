// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orbitra {

// How a command or a click asks the mapping window to repaint: not at all, adding to
// the picture on screen, or from a cleared (white) picture, which is a full repaint.
enum class Invalidation { None, WithoutErase, WithErase };

}  // namespace orbitra
