// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "storage/stored_point.h"

namespace orbitra {

inline constexpr std::int32_t kDefaultBufferCapacity = 1000000;

// The slot block comes from malloc so that allocating it touches no page: the stored
// point is an aggregate, so the block holds usable (uninitialised) records at once.
struct SlotBlockDeleter {
  void operator()(StoredPoint* block) const noexcept { std::free(block); }
};
using SlotBlock = std::unique_ptr<StoredPoint[], SlotBlockDeleter>;

// The memory point buffer and the counters of the store. The slots are one block,
// allocated once and not cleared; points occupy slots 0 to Buf - 1 in storing order.
// Invariant: 0 <= Buf <= slotCount.
struct PointStore {
  SlotBlock Slots;
  std::int32_t slotCount = 0;  // slots actually allocated: 0 before and after a failed allocation
  std::int32_t BufferCapacity = kDefaultBufferCapacity;  // slots asked for
  std::int32_t Buf = 0;  // points in the buffer
  std::int32_t Dsk = 0;  // points in the disk stream
  std::int32_t RTN = 0;  // iterations of the current trajectory
  std::int32_t DTN = 0;  // points of the current trajectory stored in the buffer
  // The stream could not be read at a repaint, and the user was told; cleared when it reads
  // again, so each such spell is reported once.
  bool streamFailureShown = false;
};

}  // namespace orbitra
