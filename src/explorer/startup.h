// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "explorer/orbitra_state.h"
#include "platform/prompter.h"

namespace orbitra {

// The model and storage start-up, in the program's fixed order: "Standard Map", the
// colour table, the default ranges, the group and notebook files, the user's maps, the
// boxes' screen settings, the trajectory points, then the point buffer and an emptied
// disk stream.
void StartUp(OrbitraState& state, Prompter& prompter);

}  // namespace orbitra
