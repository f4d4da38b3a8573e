// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>

#include "render/render_arguments.h"

namespace orbitra {

// orbitra-render --phase-space with a chaos indicator or the rotation number: computes the
// picture (or one tile of it) on the worker pool and writes the picture and the export
// ("x y value"), or the tile. Returns the exit status; messages go to err.
int RenderPhaseSpace(const RenderRequest& request, std::ostream& err, bool errIsTerminal);

// --merge-tiles of phase-space tiles.
int MergePhaseSpace(const RenderRequest& request, std::ostream& err);

}  // namespace orbitra
