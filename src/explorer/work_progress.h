// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace orbitra {

// What long work is doing now, for a progress line.
struct WorkProgress {
  enum class Kind { None, Replay, Run };
  Kind kind = Kind::None;
  std::int64_t done = 0;   // points replayed, or iterations of the current run
  std::int64_t total = 0;  // points to replay, or iterations asked for
  int trajectory = 0;      // in a group run: the current entry, counted from 1
  int trajectories = 0;    // in a group run: the entries of the group file; 0 otherwise
  std::int64_t unitsDone = 0;  // iterations and points of the whole work so far
};

// "Running: 42% of 100000000 iterations, 31 M/s", "Running trajectory 3 of 12: ...",
// "Replaying stored points: 42% of 250000000"; the speed from the work's units done in
// `seconds` (left out when no time has passed). Empty when there is nothing to say.
std::string ProgressText(const WorkProgress& progress, double seconds);

// How much of the whole work is done, 0 to 1000, for a progress bar: a group run counts
// its finished entries and the part of the current one.
int ProgressPermille(const WorkProgress& progress) noexcept;

}  // namespace orbitra
