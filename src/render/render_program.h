// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <ostream>

#include <QStringList>

#include "explorer/orbitra_state.h"
#include "platform/prompter.h"
#include "sweeps/sweep_view.h"

namespace orbitra {

inline constexpr int kRenderDone = 0;
inline constexpr int kRenderWriteFailed = 1;
inline constexpr int kRenderBadArguments = 2;

// orbitra-render: reads the command line, runs the map in a fresh temporary working folder
// (the user's own "tmpdata.bin" and "icgroup.txt" are never touched) and writes the picture
// and the export. Help and the orbit report go to out, messages and errors to err, and
// so does a progress line of long work when err is a terminal. Returns the exit status.
// Needs a QGuiApplication.
// --save-session of an orbit diagram, a parameter plane or basins: the state's session
// with the view (made from the numbers computed) as its one sweep window, at that size.
bool SaveSessionWithView(const OrbitraState& state, Prompter& prompter, const std::filesystem::path& file,
                         SweepView& view, int width, int height);

int RunRenderProgram(const QStringList& arguments, std::ostream& out, std::ostream& err, bool errIsTerminal = false);

}  // namespace orbitra
