// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/lyapunov_accumulator.h"
#include "analysis/orbit_period.h"
#include "analysis/rotation_number.h"
#include "maps/world_geometry.h"

namespace orbitra {

struct OrbitraState;

// What the orbit inspector shows of the trajectory it follows.
struct OrbitReport {
  bool following = false;  // false before the first run with the inspector shown
  std::string_view mapName;
  std::array<double, 4> k{};
  WorldPoint initialPoint;
  std::int64_t iterations = 0;
  WorldPoint currentPoint;
  LyapunovEstimate exponents;
  RotationNumber rotation;
  bool escaped = false;
  PeriodFinding period;
};

// The report of the state's inspector.
OrbitReport MakeOrbitReport(const OrbitraState& state);

// One line of the panel: a label and its value.
struct ReportLine {
  std::string label;
  std::string value;
};

// The panel's lines, in order: map, parameters, initial point, iterations, current point,
// the two exponents, their sum beside the mean of log|det J|, the rotation number with
// what it rests on, and the period. Values are
// "-" where there is nothing to show yet, and say in words why a value cannot be known
// (never an infinity or not a number).
std::vector<ReportLine> OrbitReportLines(const OrbitReport& report);

// The lines as text, "label: value" each, for the clipboard.
std::string FormatOrbitReport(const OrbitReport& report);

}  // namespace orbitra
