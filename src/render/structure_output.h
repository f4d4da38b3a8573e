// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>

#include "explorer/orbitra_state.h"
#include "platform/canvas.h"
#include "platform/prompter.h"
#include "render/render_arguments.h"

namespace orbitra {

// --periodic-orbits and --manifolds on the state a render job has left: the list goes to
// `out`; the manifolds are drawn over the picture on `canvas` and kept in the state, and
// with --export their points are written there. False when something was asked that
// could not be done or written (said through the prompter).
bool PerformStructureRequest(OrbitraState& state, const RenderRequest& request, Canvas& canvas, std::ostream& out,
                             Prompter& prompter);

}  // namespace orbitra
