// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>

#include "platform/prompter.h"
#include "storage/point_store.h"

namespace orbitra {

inline constexpr const char* kStreamFileName = "tmpdata.bin";
inline constexpr const char* kStartUpAllocationFailure = "Memory Allocation Failure! - set buffer";

// The slots that can hold points: BufferCapacity after a successful allocation, 0 after a
// failed one, so that the buffer then behaves everywhere as a buffer of capacity 0.
inline std::int32_t UsableCapacity(const PointStore& store) noexcept { return store.slotCount; }

// Appends one point to the buffer and counts it for the current trajectory; a full buffer
// (or one without slots) takes nothing. Hot path of every run: no allocation.
inline void StorePoint(PointStore& store, double x, double y, std::uint8_t colour) noexcept {
  if (store.Buf >= store.slotCount) return;
  store.Slots[store.Buf] = StoredPoint{x, y, colour, {}};
  ++store.Buf;
  ++store.DTN;
}

// True once the buffer holds (usable capacity - 1) points: a run ends there.
inline bool IsBufferFull(const PointStore& store) noexcept { return store.Buf > UsableCapacity(store) - 2; }

// Points of the current trajectory that are still in the buffer: what "Delete last
// trajectory" removes and what the export's "Last Trajectory" writes.
inline std::int32_t LastTrajectoryCount(const PointStore& store) noexcept { return store.DTN; }

// The fill in percent of `buf` points in `capacity` slots, rounded to the nearest integer;
// 0 without slots.
inline int BufferPercent(std::int32_t buf, std::int32_t capacity) noexcept {
  if (capacity <= 0) return 0;
  return static_cast<int>(buf * 100.0 / capacity + 0.5);
}
inline int BufferPercent(const PointStore& store) noexcept { return BufferPercent(store.Buf, UsableCapacity(store)); }

// Replaces the slot block by one of BufferCapacity slots (not cleared) and empties the
// buffer. False when it cannot be had (a negative capacity included): the buffer then
// has no slots. The old block is freed first, so a new one of the same size fits.
bool AllocateBuffer(PointStore& store) noexcept;

// Start-up of the store: allocates the buffer (with its message on failure) and creates
// "tmpdata.bin" empty in the working folder; all counters become 0. False when either step
// failed (reported).
bool InitStorage(PointStore& store, const std::filesystem::path& workDir, Prompter& prompter);

}  // namespace orbitra
