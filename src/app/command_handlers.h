// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/command_host.h"
#include "platform/invalidation.h"

namespace orbitra {

// The handlers of the command table: each forwards to the core operation of its command.
Invalidation OnExit(CommandHost& host);
Invalidation OnRefresh(CommandHost& host);
Invalidation OnZoomIn(CommandHost& host);
Invalidation OnZoomOut(CommandHost& host);
Invalidation OnZoomOneToOne(CommandHost& host);
Invalidation OnToggleToolbar(CommandHost& host);
Invalidation OnToggleStatusBar(CommandHost& host);
Invalidation OnToggleOrbitInspector(CommandHost& host);
Invalidation OnFindPeriodicOrbits(CommandHost& host);
Invalidation OnStartRun(CommandHost& host);
Invalidation OnContinue(CommandHost& host);
Invalidation OnRunTrajectoryGroup(CommandHost& host);
Invalidation OnAddTrajectory(CommandHost& host);
Invalidation OnEditGroup(CommandHost& host);
Invalidation OnClearGroup(CommandHost& host);
Invalidation OnNotebookEdit(CommandHost& host);
Invalidation OnNotebookAddAndEdit(CommandHost& host);
Invalidation OnShowHideAxis(CommandHost& host);
Invalidation OnSetCurrentAsDefault(CommandHost& host);
Invalidation OnDeleteLastTrajectory(CommandHost& host);
Invalidation OnDeleteBuffer(CommandHost& host);
Invalidation OnDeleteStream(CommandHost& host);
Invalidation OnDeleteAll(CommandHost& host);
Invalidation OnStoreBufferInStream(CommandHost& host);
Invalidation OnDeleteTrajectoryOrPoints(CommandHost& host);
Invalidation OnAbout(CommandHost& host);
Invalidation OnUserGuide(CommandHost& host);
Invalidation OnStopRun(CommandHost& host);

}  // namespace orbitra
