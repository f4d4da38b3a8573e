#pragma once

#include "explorer/orbitra_state.h"
#include "platform/canvas.h"
#include "platform/prompter.h"

namespace orbitra {

// Runs every entry of "icgroup.txt" as a trajectory, in one repaint, in display mode 0.
// The trajectory counters are not reset between entries.
void RunGroup(OrbitraState& state, Canvas& canvas, Prompter& prompter);

}  // namespace orbitra
