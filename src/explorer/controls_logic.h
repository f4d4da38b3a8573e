// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "platform/invalidation.h"

namespace orbitra {

struct OrbitraState;
struct PointStore;

// The values of the "Controls" dialog, in its member order.
struct ControlsDialogValues {
  int bufferInBlack = 0;
  int restrictToBox = 0;
  int showStreamPoints = 0;
  int storeInBuffer = 1;
  int showBufferPoints = 1;
  std::int32_t bufferCapacity = 0;  // applied only by "reconstruction"
  std::int32_t diskKb = 0;          // shown only
  std::int32_t memoryKb = 0;        // shown only
  std::int32_t infoEvery = 10;      // 0: no status refresh during a run
  int boldPoints = 1;
  std::int32_t continueIterations = 1000;
  double infinity = 10000.0;
};

// Kilobytes (1024 bytes, a started one counting whole) of the point buffer's allocated
// block (0 when none is allocated) and of the disk stream file (0 when it is missing).
std::int32_t BufferMemoryKb(const PointStore& store) noexcept;
std::int32_t StreamFileKb(const OrbitraState& state) noexcept;

// The dialog as it opens: the run settings, the buffer capacity and the two sizes.
ControlsDialogValues PrepareControlsDialog(const OrbitraState& state);

// Refreshes only the two sizes, after the buffer was rebuilt from the open dialog.
void RefreshStoreSizes(ControlsDialogValues& values, const OrbitraState& state);

// "OK": writes the settings back; the capacity and the sizes are not applied.
void ApplyControlsDialog(OrbitraState& state, const ControlsDialogValues& values);

// Whichever button closed the dialog, the window repaints from a cleared picture.
inline constexpr Invalidation kControlsDialogClosed = Invalidation::WithErase;

}  // namespace orbitra
