// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "explorer/orbitra_state.h"

namespace orbitra {

// What the status bar says when no work goes on, instead of "Ready", while the state calls
// for something to be done: after "Buffer is Full", which commands make room. Empty
// otherwise.
std::string IdleHint(const OrbitraState& state);

}  // namespace orbitra
