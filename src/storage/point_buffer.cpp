// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/point_buffer.h"

#include <cstring>

#include "storage/file_io.h"
#include "storage/stream_reader.h"

namespace orbitra {

bool AllocateBuffer(PointStore& store) noexcept {
  store.Slots.reset();
  store.slotCount = 0;
  store.Buf = 0;
  if (store.BufferCapacity < 0) return false;
  if (store.BufferCapacity == 0) return true;
  store.Slots = AllocateSlots(static_cast<std::size_t>(store.BufferCapacity));
  if (store.Slots == nullptr) return false;
  // Every page touched now, once: a run would otherwise take the first-touch fault of each
  // page in the middle of its loop (costly on virtual machines), and the first run after an
  // allocation would be slower than the next.
  std::memset(static_cast<void*>(store.Slots.get()), 0,
              static_cast<std::size_t>(store.BufferCapacity) * sizeof(StoredPoint));
  store.slotCount = store.BufferCapacity;
  return true;
}

bool InitStorage(PointStore& store, const std::filesystem::path& workDir, Prompter& prompter) {
  const bool allocated = AllocateBuffer(store);
  store.Buf = store.Dsk = store.RTN = store.DTN = 0;
  // Every start begins with an empty stream; points of an earlier session are never read.
  const FileFailure failure = TruncateFile(workDir / kStreamFileName);
  // Told only once the store is set up: a message box lets the event loop run.
  if (!allocated) prompter.ShowMessage(kStartUpAllocationFailure);
  if (failure) prompter.ShowMessage(*failure);
  return allocated && !failure;
}

}  // namespace orbitra
