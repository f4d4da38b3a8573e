#pragma once

#include <cstdint>
#include <memory>

#include "storage/stored_point.h"

namespace orbitra {

inline constexpr std::int32_t kDefaultBufferCapacity = 1000000;

// The memory point buffer and the counters of the store. The slots are one block,
// allocated once and not cleared; points occupy slots 0 to Buf - 1 in storing order.
struct PointStore {
  std::unique_ptr<StoredPoint[]> slots;
  std::int32_t BufferCapacity = kDefaultBufferCapacity;  // slots asked for
  std::int32_t Buf = 0;  // points in the buffer
  std::int32_t Dsk = 0;  // points in the disk stream
  std::int32_t RTN = 0;  // iterations of the current trajectory
  std::int32_t DTN = 0;  // points of the current trajectory stored in the buffer
};

}  // namespace orbitra
