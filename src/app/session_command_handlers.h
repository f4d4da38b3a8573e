// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

#include "app/command_host.h"
#include "platform/invalidation.h"

namespace orbitra {

// "Save Session..." and "Open Session...": a file dialog, then the core's command; a
// session saved or opened goes to the front of "Recent Sessions".
Invalidation OnSaveSession(CommandHost& host);
Invalidation OnOpenSession(CommandHost& host);
// The "Recent Sessions" item only holds its submenu; the frame fills that when it opens.
Invalidation OnRecentSessions(CommandHost& host);

// Opens the session in the file (a recent one, or one named on the command line); the
// sweep windows open before close, and the session's open with their saved pictures.
Invalidation OpenSessionFile(CommandHost& host, const std::filesystem::path& file);

}  // namespace orbitra
