// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "render/render_arguments.h"

namespace orbitra {

// orbitra-render's whole-plane pictures: computes the grid (or one tile of it) on the
// worker pool, or merges tiles, then writes the picture the view window shows and the
// export. Returns the exit status; messages go to err, and a progress line too when err is
// a terminal. Needs a QGuiApplication.
int RenderGrid(const RenderRequest& request, std::ostream& err, bool errIsTerminal);

// What is wrong when an output of a merge is one of its tiles (the same file by any name,
// which writing would destroy); nothing when none is.
std::optional<std::string> OutputAmongInputs(const RenderRequest& request);

}  // namespace orbitra
