// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "maps/mapping_model.h"

namespace orbitra {

// Where the invariant circle of rotation number omega breaks, by Greene's residue
// criterion (J. M. Greene, J. Math. Phys. 20, 1183, 1979): the residues of the elliptic
// orbits whose types are the convergents p_n/q_n of omega tend to 0 while the circle
// exists and grow without bound once it is gone; the parameter k_n at which the residue
// of the q_n orbit is 1/4 tends to the critical one. Each k_n is found by bisection in the
// parameter, the orbit followed by Newton's method from the one at the nearer end of the
// bracket; the first guess of each q_n lies on the circle the previous orbit traced.
struct CriticalCircleSettings {
  double omega = 0.6180339887498949;  // (sqrt 5 - 1) / 2
  int parameter = 0;                  // which of k1 to k4 (0 to 3) varies
  int largestPeriod = 987;            // convergents up to this q
  double firstParameter = 1.0;        // where the first convergent's search starts
};

struct CriticalCircleRow {
  int n = 0;
  int p = 0;
  int q = 0;
  double parameter = 0.0;  // the parameter at which the residue is 1/4
};

struct CriticalCircle {
  std::vector<CriticalCircleRow> rows;
  std::string failure;  // why the table stops early, if it does
};

// The convergents p/q of omega with 1 <= q <= largest, in order (0/1 left out).
std::vector<std::pair<int, int>> Convergents(double omega, int largest);

// The table for the model's map, whose x must wrap. A stop asked for ends it between two
// orbits, the rows found so far kept and the failure "asked to stop".
CriticalCircle FindCriticalCircle(const MappingModel& model, const CriticalCircleSettings& settings,
                                  const std::stop_token& stop = {});

// "n p/q parameter" per row, then "estimate VALUE, differences D1 D2" (the last value and
// its last two differences).
std::string FormatCriticalCircle(const CriticalCircle& circle);

}  // namespace orbitra
