// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/segment_pick.h"

namespace orbitra {

std::optional<WorldSegment> SegmentBetweenPixels(const OrbitraState& state, PixelPoint press, PixelPoint release) {
  if (press.x == release.x && press.y == release.y) return std::nullopt;
  WorldSegment segment;
  if (!state.Boxes.XYBox.ScreenToWorld(press.x, press.y, segment.a.x, segment.a.y) ||
      !state.Boxes.XYBox.ScreenToWorld(release.x, release.y, segment.b.x, segment.b.y)) {
    return std::nullopt;
  }
  return segment;
}

}  // namespace orbitra
