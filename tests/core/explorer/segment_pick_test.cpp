// SPDX-License-Identifier: GPL-3.0-or-later
// A segment drawn in the X-Y box: its ends are the world points under the press and the
// release; a segment with an end outside the box, or of no length, is none.
#include <gtest/gtest.h>

#include "explorer/segment_pick.h"
#include "support/scenario.h"

namespace orbitra {
namespace {

TEST(SegmentPick, EndsInsideTheBoxOnly) {
  testing::Scenario sc;
  const PlotBox& box = sc.State().Boxes.XYBox;
  const WorldRange r = box.GetRange();
  // Pixels a quarter and three quarters of the way across the box.
  const double x0 = r.Xmin + 0.25 * (r.Xmax - r.Xmin), y0 = r.Ymin + 0.25 * (r.Ymax - r.Ymin);
  const double x1 = r.Xmin + 0.75 * (r.Xmax - r.Xmin), y1 = r.Ymin + 0.6 * (r.Ymax - r.Ymin);
  const PixelPoint press = box.WorldToScreen(x0, y0), release = box.WorldToScreen(x1, y1);
  const std::optional<WorldSegment> s = SegmentBetweenPixels(sc.State(), press, release);
  ASSERT_TRUE(s);
  // Within a pixel of the points aimed at.
  const double pixelX = (r.Xmax - r.Xmin) / 100.0, pixelY = (r.Ymax - r.Ymin) / 100.0;
  EXPECT_NEAR(s->a.x, x0, pixelX);
  EXPECT_NEAR(s->a.y, y0, pixelY);
  EXPECT_NEAR(s->b.x, x1, pixelX);
  EXPECT_NEAR(s->b.y, y1, pixelY);

  EXPECT_FALSE(SegmentBetweenPixels(sc.State(), press, press));
  const PixelPoint outside = box.WorldToScreen(r.Xmax + (r.Xmax - r.Xmin), y0);
  EXPECT_FALSE(SegmentBetweenPixels(sc.State(), press, outside));
  EXPECT_FALSE(SegmentBetweenPixels(sc.State(), outside, release));
}

}  // namespace
}  // namespace orbitra
