// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/idle_hint.h"

#include "storage/point_buffer.h"

namespace orbitra {

std::string IdleHint(const OrbitraState& state) {
  // A store without slots (not started yet) has nothing to free.
  if (state.Store.Slots == nullptr || !IsBufferFull(state.Store)) return {};
  return "The buffer is full: Data > \"Store Buffer in Stream\", \"Delete last trajectory\" or \"Delete All\" "
         "make room for new runs";
}

}  // namespace orbitra
