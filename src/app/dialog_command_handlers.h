// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/command_host.h"
#include "platform/invalidation.h"

namespace orbitra {

// The commands that open a dialog: each shows it over the main frame and applies it
// through the core.
Invalidation OnSelectMapping(CommandHost& host);
Invalidation OnDefineMap(CommandHost& host);
Invalidation OnWorkDisplay(CommandHost& host);
Invalidation OnExportData(CommandHost& host);
Invalidation OnInitialConditions(CommandHost& host);
Invalidation OnRunNewTrajectory(CommandHost& host);
Invalidation OnControls(CommandHost& host);
Invalidation OnEditXYBox(CommandHost& host);
Invalidation OnEditXBox(CommandHost& host);
Invalidation OnEditYBox(CommandHost& host);
Invalidation OnEditGBox(CommandHost& host);

}  // namespace orbitra
