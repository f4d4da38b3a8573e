// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace orbitra {

// The bytes this process may take at most: the machine's memory, or less when a limit of
// the process (ulimit -v, -d) is lower. What a file asks to be held in memory is checked
// against it before anything is allocated.
std::uint64_t MemoryBudget() noexcept;

// Whole megabytes of `bytes`, rounded up, for messages.
std::uint64_t Megabytes(std::uint64_t bytes) noexcept;

}  // namespace orbitra
