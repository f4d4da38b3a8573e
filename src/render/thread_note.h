// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orbitra {

// Said once when the system gave a sweep fewer threads than were asked for.
inline std::string FewerThreadsNote(int started, int asked) {
  return "only " + std::to_string(started) + " of the " + std::to_string(asked) +
         " threads asked for could be started; the work runs on those";
}

}  // namespace orbitra
