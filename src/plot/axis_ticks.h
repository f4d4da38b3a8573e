// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "platform/canvas.h"
#include "plot/plot_box.h"

namespace orbitra {

// Ticks of a sweep picture's axis at round values, as plotting libraries choose them: a
// spacing of 1, 2 or 5 times a power of ten, the smallest that keeps at most `most`
// spaces over [lo, hi], every multiple of it inside the range. Labels have as many
// decimals as the spacing needs. Where the digits would run past kMostLabelDigits (a deep
// zoom, whose ticks differ only in far decimals), the labels count spacings from a round
// offset and `note` says what they mean ("1.05 + 2e-13 x").
struct AxisTicks {
  std::vector<double> values;
  std::vector<std::string> labels;
  std::string note;  // empty unless the labels count from an offset
};

inline constexpr int kMostLabelDigits = 8;

AxisTicks RoundTicks(double lo, double hi, int most);

// The ticks and labels of both axes of a box whose frame is drawn (ShowTicks off), at
// round values: under the bottom edge and left of the left one; the notes of offset
// labels at the right end under the x labels and above the left top corner.
void DrawRoundTicks(Canvas& canvas, const PlotBox& box);

}  // namespace orbitra
