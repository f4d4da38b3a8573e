// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "explorer/orbitra_state.h"
#include "platform/invalidation.h"
#include "platform/prompter.h"

namespace orbitra {

inline constexpr const char* kRecentSessionsFileName = "recentsessions.txt";
inline constexpr std::size_t kRecentSessionsKept = 8;

// The file name a chosen name stands for: ".orbitra.h5" added when it has another ending.
std::filesystem::path SessionFileName(const std::filesystem::path& chosen);

// "Save Session...": the state (with the stream's and the group file's contents) written to
// the file, replacing it only when complete. A failure is shown; true when saved.
bool SaveSession(const OrbitraState& state, Prompter& prompter, const std::filesystem::path& file);

// "Open Session...": the session read, checked and put in place of the current state,
// with "tmpdata.bin" and "icgroup.txt" rewritten to hold its points and lines. A session
// whose typed map has the name of a different map of the user's asks whether to replace
// the user's map (Yes), to add the session's under a new name (No) or not to open it
// (Cancel). A file that cannot be read, or is refused, is named with the reason, and the
// state and the files stay as they were. A full repaint after success.
Invalidation OpenSession(OrbitraState& state, Prompter& prompter, const std::filesystem::path& file);

// The sessions last saved or opened, newest first, from "recentsessions.txt" in the
// working folder, and the note of one more (moved to the front, kRecentSessionsKept kept).
// The list is a convenience: a list that cannot be read or written is simply empty.
std::vector<std::filesystem::path> RecentSessions(const OrbitraState& state);
void RememberSession(const OrbitraState& state, const std::filesystem::path& file);

}  // namespace orbitra
