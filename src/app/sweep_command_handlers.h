// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "app/command_host.h"
#include "app/sweep_window.h"
#include "platform/invalidation.h"
#include "sessions/session_views.h"
#include "sweeps/sweep_view.h"

namespace orbitra {

// Opens the window of a sweep beside the main window, linked to the explorer through the
// host; `exporter`, when given, is its Export button. Each kind of sweep window's command
// opens its dialog, makes its view and hands it here.
void OpenSweepWindow(CommandHost& host, std::unique_ptr<SweepView> view, SweepWindow::Exporter exporter = {});

// Opens the window of a sweep a session kept, with its saved picture (see ShowSaved);
// a window whose map the user no longer has is not opened, and the user is told.
void OpenSavedSweepWindow(CommandHost& host, const SavedSweepView& saved);

// "Orbit Diagram...": asks for the diagram's settings, then opens its window for the
// explorer's map and parameters as they are now.
Invalidation OnOrbitDiagram(CommandHost& host);

// "Parameter Plane..." and "Basins...": ask for the grid's settings, then open its window
// for the explorer's map and parameters as they are now.
Invalidation OnParameterPlane(CommandHost& host);
Invalidation OnBasins(CommandHost& host);
// "Phase Space...": asks which indicator, then opens its window over the X-Y box's range.
Invalidation OnPhaseSpace(CommandHost& host);
// "Rotation Profile...": the user draws a segment in the X-Y box, then says how many
// points and iterations; its window opens for the explorer's map as it is then.
Invalidation OnRotationProfile(CommandHost& host);
// The same once the segment from a to b is drawn.
void OpenRotationProfile(CommandHost& host, WorldPoint a, WorldPoint b);

}  // namespace orbitra
