#pragma once

#include "app/command_host.h"
#include "platform/invalidation.h"

namespace orbitra {

// "Orbit Diagram...": asks for the diagram's settings, then opens its window for the
// explorer's map and parameters as they are now.
Invalidation OnOrbitDiagram(CommandHost& host);

}  // namespace orbitra
