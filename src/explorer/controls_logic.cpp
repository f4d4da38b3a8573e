// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/controls_logic.h"

#include <filesystem>
#include <limits>
#include <system_error>

#include "explorer/orbitra_state.h"
#include "storage/point_buffer.h"

namespace orbitra {
namespace {

std::int32_t KilobytesOf(std::uintmax_t bytes) noexcept {
  const std::uintmax_t kb = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
  constexpr auto kLargest = static_cast<std::uintmax_t>(std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(kb > kLargest ? kLargest : kb);
}

}  // namespace

std::int32_t BufferMemoryKb(const PointStore& store) noexcept {
  if (!store.Slots || store.slotCount <= 0) return 0;
  return KilobytesOf(static_cast<std::uintmax_t>(store.slotCount) * sizeof(StoredPoint));
}

std::int32_t StreamFileKb(const OrbitraState& state) noexcept {
  std::error_code error;
  const std::uintmax_t bytes = std::filesystem::file_size(state.FilePath(kStreamFileName), error);
  return error ? 0 : KilobytesOf(bytes);
}

ControlsDialogValues PrepareControlsDialog(const OrbitraState& state) {
  const RunSettings& s = state.Run.Settings;
  ControlsDialogValues values;
  values.bufferInBlack = s.BufferInBlack;
  values.restrictToBox = s.RestrictToBox;
  values.showStreamPoints = s.ShowStreamPoints;
  values.storeInBuffer = s.StoreInBuffer;
  values.showBufferPoints = s.ShowBufferPoints;
  values.bufferCapacity = state.Store.BufferCapacity;
  values.infoEvery = s.InfoEvery;
  values.boldPoints = s.BoldPoints;
  values.continueIterations = s.ContinueIterations;
  values.infinity = s.InfinityValue;
  RefreshStoreSizes(values, state);
  return values;
}

void RefreshStoreSizes(ControlsDialogValues& values, const OrbitraState& state) {
  values.diskKb = StreamFileKb(state);
  values.memoryKb = BufferMemoryKb(state.Store);
}

void ApplyControlsDialog(OrbitraState& state, const ControlsDialogValues& values) {
  RunSettings& s = state.Run.Settings;
  s.BufferInBlack = values.bufferInBlack;
  s.RestrictToBox = values.restrictToBox;
  s.ShowStreamPoints = values.showStreamPoints;
  s.StoreInBuffer = values.storeInBuffer;
  s.ShowBufferPoints = values.showBufferPoints;
  s.InfoEvery = values.infoEvery;
  s.BoldPoints = values.boldPoints;
  s.ContinueIterations = values.continueIterations;
  s.InfinityValue = values.infinity;
}

}  // namespace orbitra
