#include "explorer/point_store_commands.h"

#include <algorithm>
#include <limits>

#include "storage/file_io.h"
#include "storage/point_buffer.h"
#include "storage/text_format.h"

namespace orbitra {

namespace {

// Takes up to n points (n < 0: none) from the end of the buffer; true when the buffer
// held fewer than n.
bool RemoveNewestPoints(PointStore& store, std::int64_t n) noexcept {
  const std::int64_t remaining = static_cast<std::int64_t>(store.Buf) - std::max<std::int64_t>(n, 0);
  store.Buf = static_cast<std::int32_t>(std::max<std::int64_t>(remaining, 0));
  return remaining < 0;
}

// Empties "tmpdata.bin"; a failure is reported and Dsk then keeps counting what is there.
void EmptyStream(OrbitraState& state, Prompter& prompter) {
  if (const FileFailure failure = TruncateFile(state.FilePath(kStreamFileName))) {
    prompter.ShowMessage(*failure);
    return;
  }
  state.Store.Dsk = 0;
}

}  // namespace

void DeleteAll(OrbitraState& state, Prompter& prompter, bool force) {
  PointStore& store = state.Store;
  if (!force) {
    if (store.Buf == 0 && store.Dsk == 0) return;
    // One buffered point is not worth a question, but points in the stream always are.
    const bool nothingToLose = store.Buf <= 1 && store.Dsk == 0;
    if (!nothingToLose && prompter.AskYesNo(kAskDeletePreviousData) != Answer::Yes) return;
  }
  store.Buf = 0;
  EmptyStream(state, prompter);
}

bool TransferBufferToStream(OrbitraState& state, Prompter& prompter) {
  PointStore& store = state.Store;
  const std::int64_t points = store.Buf;
  const std::int64_t bytes = points * static_cast<std::int64_t>(sizeof(StoredPoint));
  if (const FileFailure failure =
          AppendToFile(state.FilePath(kStreamFileName), store.Slots.get(), static_cast<std::size_t>(bytes))) {
    prompter.ShowMessage(*failure + "\nThe points stay in the buffer.");
    return false;
  }
  store.Dsk = static_cast<std::int32_t>(
      std::min<std::int64_t>(store.Dsk + points, std::numeric_limits<std::int32_t>::max()));
  prompter.ShowInformation(FormatCounts(kTransferMessage, {points, bytes}));
  store.Buf = 0;
  return true;
}

Invalidation DeleteAllCommand(OrbitraState& state, Prompter& prompter) {
  DeleteAll(state, prompter, false);
  return Invalidation::WithErase;
}

Invalidation DeleteBuffer(OrbitraState& state, Prompter& prompter) {
  if (prompter.AskYesNo(kAskDeleteBuffer) == Answer::Yes) state.Store.Buf = 0;
  return Invalidation::WithErase;
}

Invalidation DeleteStream(OrbitraState& state, Prompter& prompter) {
  if (prompter.AskYesNo(kAskDeleteStream) == Answer::Yes) EmptyStream(state, prompter);
  return Invalidation::WithErase;
}

Invalidation StoreBufferInStream(OrbitraState& state, Prompter& prompter) {
  if (state.Store.Buf == 0) {
    prompter.ShowMessage(kBufferEmptyMessage);
  } else {
    TransferBufferToStream(state, prompter);
  }
  return Invalidation::None;
}

Invalidation DeleteLastTrajectory(OrbitraState& state, Prompter& prompter) {
  PointStore& store = state.Store;
  if (RemoveNewestPoints(store, LastTrajectoryCount(store))) prompter.ShowMessage(kPartlyInStreamMessage);
  store.RTN = 0;
  store.DTN = 0;
  return Invalidation::WithErase;
}

Invalidation DeleteTrajectoryOrPoints(OrbitraState& state, Prompter& prompter) {
  PointStore& store = state.Store;
  if (store.Buf == 0) return Invalidation::None;
  if (store.RTN != 0) return DeleteLastTrajectory(state, prompter);
  RemoveNewestPoints(store, state.Run.Settings.ContinueIterations);
  return Invalidation::WithErase;
}

ReconstructResult ReconstructBuffer(OrbitraState& state, Prompter& prompter,
                                    const std::function<std::optional<std::int32_t>()>& readCapacityFromDialog) {
  PointStore& store = state.Store;
  if (store.Buf >= 2) {
    const Answer answer = prompter.AskYesNoCancel(kAskSaveBeforeReconstruction);
    if (answer == Answer::Cancel) return ReconstructResult::Cancelled;
    // Points the user wanted saved are never dropped because saving failed.
    if (answer == Answer::Yes && !TransferBufferToStream(state, prompter)) return ReconstructResult::SaveFailed;
  }
  const std::optional<std::int32_t> capacity = readCapacityFromDialog();
  if (!capacity) return ReconstructResult::DialogInvalid;
  store.BufferCapacity = *capacity;
  if (!AllocateBuffer(store)) {
    prompter.ShowMessage(kReconstructionFailure);
    return ReconstructResult::AllocationFailed;
  }
  return ReconstructResult::Rebuilt;
}

}  // namespace orbitra
