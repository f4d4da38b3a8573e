// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "explorer/orbitra_state.h"
#include "platform/invalidation.h"
#include "platform/prompter.h"
#include "sessions/session_views.h"

namespace orbitra {

inline constexpr const char* kRecentSessionsFileName = "recentsessions.txt";
inline constexpr std::size_t kRecentSessionsKept = 8;

// The file name a chosen name stands for: ".orbitra.h5" added when it has another ending.
std::filesystem::path SessionFileName(const std::filesystem::path& chosen);

// "Save Session...": the state (with the stream's and the group file's contents) written to
// the file, replacing it only when complete. A failure is shown; true when saved.
bool SaveSession(const OrbitraState& state, Prompter& prompter, const std::filesystem::path& file);
// The same with the open windows of sweeps: each one's settings, history, picture size
// and finished numbers go into "/views" (with the periodic orbits and the manifolds,
// which SaveSession alone keeps too).
bool SaveSession(const OrbitraState& state, Prompter& prompter, const std::filesystem::path& file,
                 std::span<const SweepView* const> views);

// "Open Session...": the session read, checked and put in place of the current state,
// with "tmpdata.bin" and "icgroup.txt" rewritten to hold its points and lines. A session
// whose typed map has the name of a different map of the user's asks whether to replace
// the user's map (Yes), to add the session's under a new name (No) or not to open it
// (Cancel). A file that cannot be read, or is refused, is named with the reason, and the
// state and the files stay as they were. A full repaint after success.
// The session's periodic orbits, their markers and its manifolds take the place of the
// state's; its windows of sweeps, when `sweeps` is given, are handed over there for the
// caller to open (see MakeSavedView).
Invalidation OpenSession(OrbitraState& state, Prompter& prompter, const std::filesystem::path& file,
                         std::vector<SavedSweepView>* sweeps = nullptr);

// The sessions last saved or opened, newest first, from "recentsessions.txt" in the
// working folder, and the note of one more (moved to the front, kRecentSessionsKept kept).
// The list is a convenience: a list that cannot be read or written is simply empty.
std::vector<std::filesystem::path> RecentSessions(const OrbitraState& state);
void RememberSession(const OrbitraState& state, const std::filesystem::path& file);

}  // namespace orbitra
