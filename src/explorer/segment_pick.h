// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include "explorer/orbitra_state.h"
#include "maps/world_geometry.h"
#include "plot/pixel_point.h"

namespace orbitra {

// A segment drawn with the mouse in the X-Y box (press at one end, drag, release at the
// other), for the commands that work along a line of initial points.
struct WorldSegment {
  WorldPoint a;
  WorldPoint b;
};

// The segment between the pixels of the press and the release, in the X-Y box's
// coordinates; nothing when either end lies outside the box or both are the same pixel.
std::optional<WorldSegment> SegmentBetweenPixels(const OrbitraState& state, PixelPoint press, PixelPoint release);

inline constexpr const char* kDrawSegmentHint =
    "Draw the segment in the X-Y box: press the left button at one end, drag, release at the other. Escape cancels.";
inline constexpr const char* kSegmentOutsideBox = "The segment must start and end inside the X-Y box.";

}  // namespace orbitra
