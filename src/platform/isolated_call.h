// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace orbitra {

// Work on hostile input done in a child process of its own (fork), so that a library
// that crashes, loops or eats memory on a damaged file harms only the child: the caller
// learns how it ended and where it was. The child has no core file, a limit of processor
// seconds and of memory beyond what the process already had.
struct IsolationLimits {
  std::uint64_t extraMemory = std::uint64_t{2} << 30;  // bytes of address space beyond the present ones
  int cpuSeconds = 60;
};

struct IsolatedOutcome {
  bool started = false;   // a child was made
  bool finished = false;  // the work returned (its result is in `result`)
  std::string result;
  std::string lastMark;  // the last mark the work set: where it was when it died
  std::string ending;    // how a child that did not finish ended ("signal 11 (Segmentation fault)")
};

// `work` runs in the child; it may set marks (short texts) as it goes and returns its
// result. Nothing it changes in memory reaches the caller.
using IsolationMark = std::function<void(std::string_view)>;
IsolatedOutcome RunIsolated(const std::function<std::string(const IsolationMark& mark)>& work,
                            const IsolationLimits& limits = {});

}  // namespace orbitra
