#pragma once

#include <string>

#include "analysis/chaos_indicators.h"
#include "platform/canvas.h"
#include "sweeps/grid_view.h"

namespace orbitra {

// The title of a phase-space picture, e.g. "Standard Map: phase space by MEGNO".
std::string PhaseSpaceTitle(const std::string& mapName, const PhaseSpaceSettings& s);

// The settings a picture of the state's map starts with: the X-Y box's range, the map's
// wraps and, for the rotation number of a map whose x does not wrap, its centre.
PhaseSpaceSettings PhaseSpaceSettingsFor(const GridViewMap& map, PhaseColouring colouring, WorkerPool& pool);

// The whole picture: what a window shows and orbitra-render writes.
void DrawPhaseSpaceView(Canvas& canvas, const PhaseSpaceValues& values, const std::string& mapName);

}  // namespace orbitra
