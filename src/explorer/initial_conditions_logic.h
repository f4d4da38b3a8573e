// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "explorer/run_state.h"
#include "platform/invalidation.h"

namespace orbitra {

struct OrbitraState;

// The values of the "Initial conditions" dialog, in its member order.
struct InitialConditionsValues {
  int colourIndex = 0;  // position in the sorted "Color" list: the RunColour
  int onlyDataInBox = 0;
  int dataIntoBuffer = 1;
  std::int32_t iterations = 1000;
  double k1 = 0.0;
  double k2 = 0.0;
  double k3 = 0.0;
  std::string systemName;
  double x0 = 0.0;
  double xc = 0.0;
  double xm = 0.0;
  double y0 = 0.0;
  double yc = 0.0;
  double ym = 0.0;
  int runOnOk = 0;
  int useOnContinue = 0;
};

// The "Color" list, sorted as the list shows it; a colour's position here is its index
// into the colour table, so stored colour indices depend on this order.
const std::array<std::string_view, kColourCount>& SortedColourNames() noexcept;

// The dialog as it opens: the selected system and its k1 to k3, the three trajectory
// points, the run settings, RunOnOk; "Use this value on Continue Trajectory" is off.
InitialConditionsValues PrepareInitialConditionsDialog(const OrbitraState& state);

// The "^" buttons: X0 and Y0 take the mouse point, or the last point of the trajectory.
// Nothing else in the dialog changes.
void TakeMousePoint(InitialConditionsValues& values) noexcept;
void TakeLastPoint(InitialConditionsValues& values) noexcept;

// "OK": writes the storage options, the iteration counts, the initial point and the run
// colour, restarts the trajectory at the initial point and requests a run when "Run
// trajectory by pressing Ok" is ticked. Call InitialConditionsDialogClosed as well.
Invalidation ApplyInitialConditionsDialog(OrbitraState& state, const InitialConditionsValues& values);

// After the dialog has closed by any button: the next opening has its run box clear.
void InitialConditionsDialogClosed(OrbitraState& state) noexcept;

}  // namespace orbitra
